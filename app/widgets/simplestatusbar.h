// SPDX-License-Identifier: GPL-2.0-or-later
// A status bar that shows one persistent text: unlike a temporary message, nothing but the next
// assignment replaces it (menu hovers do not wipe it). A text too long for the bar is cut at a word
// and ends with "…"; the whole text is then its tooltip and its description for screen readers.
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

    // The words shown, "…" ending them when the whole text does not fit.
    QString shownText() const;

Q_SIGNALS:
    void simpleTextChanged(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();
    QLabel *text_;
    QString full_;
};

} // namespace meteo
