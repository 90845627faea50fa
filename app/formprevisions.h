// The forecast window: one row per forecast day of the stored weather document (weekday and date,
// day and night icons, sky, temperatures, sunrise and sunset). It only places the texts that
// weather/forecast.h composes.
#pragma once
#include <QWidget>
#include <optional>

class QLabel;

namespace meteo {
class WeatherDocument;

// The nine days' highs and lows as two curves, a column per day; a missing value leaves a gap.
class DaysChart : public QWidget {
    Q_OBJECT
public:
    explicit DaysChart(QWidget *parent);
    void setDays(const QList<std::pair<std::optional<double>, std::optional<double>>> &highsAndLows);
    QPointF point(int day, bool high) const;  // null where the value is missing

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<std::pair<std::optional<double>, std::optional<double>>> days_;
    double low_ = 0, high_ = 1;
};

class FormPrevisions : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 9;
    explicit FormPrevisions(QWidget *parent);
    // Shows `doc` (the one just parsed by the download), or reads the stored document when it is
    // null. Never raises an error: what cannot be read is said in the window.
    void refresh(const WeatherDocument *doc = nullptr);
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
