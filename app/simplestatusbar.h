// A status bar that shows one persistent text: unlike a temporary message, nothing but the next
// assignment replaces it (menu hovers do not wipe it).
#pragma once
#include <QStatusBar>

class QLabel;

namespace meteo {

class SimpleStatusBar : public QStatusBar {
    Q_OBJECT
    Q_PROPERTY(QString SimpleText READ SimpleText WRITE setSimpleText)
public:
    explicit SimpleStatusBar(QWidget *parent = nullptr);
    QString SimpleText() const;
    void setSimpleText(const QString &text);

Q_SIGNALS:
    void simpleTextChanged(const QString &text);

private:
    QLabel *text_;
};

} // namespace meteo
