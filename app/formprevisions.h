// The forecast window: one row per forecast day of the stored weather document (weekday and date,
// day and night icons, sky, temperatures, sunrise and sunset). It only places the texts that
// weather/forecast.h composes.
#pragma once
#include <QWidget>
#include <optional>

class QLabel;

namespace meteo {

// The nine days' highs and lows as two curves, a column per day; a missing value leaves a gap.
class DaysChart : public QWidget {
    Q_OBJECT
public:
    explicit DaysChart(QWidget *parent);
    void setDays(const QList<std::pair<std::optional<int>, std::optional<int>>> &highsAndLows);
    QPointF point(int day, bool high) const;  // null where the value is missing

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<std::pair<std::optional<int>, std::optional<int>>> days_;
    double low_ = 0, high_ = 1;
};

class FormPrevisions : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 9;
    explicit FormPrevisions(QWidget *parent);
    // Reads the stored document again. Never raises an error: what cannot be read is said in the
    // window.
    void refresh();
    QLabel *cell(const char *column, int row) const;  // "Jour", 1 -> Jour1
    DaysChart *Courbes;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showMessage(const QString &text);
    void setIcon(QLabel *label, const QByteArray &code, const QByteArray &sky);
    QLabel *Message, *Recues;
};

} // namespace meteo
