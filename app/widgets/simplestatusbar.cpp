// SPDX-License-Identifier: GPL-2.0-or-later
#include "simplestatusbar.h"

#include <QLabel>
#include <QResizeEvent>

namespace meteo {

SimpleStatusBar::SimpleStatusBar(QWidget *parent) : QStatusBar(parent), text_(new QLabel(this))
{
    text_->setTextFormat(Qt::PlainText);
    text_->setObjectName(QStringLiteral("SimpleText"));
    addWidget(text_, 1);
    setSizeGripEnabled(false);
    // The bar is 21 pixels high, whatever the font: the window's layout counts on it.
    setFixedHeight(21);
}

QString SimpleStatusBar::SimpleText() const
{
    return full_;
}

QString SimpleStatusBar::shownText() const
{
    return text_->text();
}

void SimpleStatusBar::setSimpleText(const QString &text)
{
    full_ = text;
    fit();
    Q_EMIT simpleTextChanged(text);
}

void SimpleStatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    fit();
}

void SimpleStatusBar::fit()
{
    const QFontMetrics metrics = text_->fontMetrics();
    const int room = text_->contentsRect().width() - 2;
    QString shown = full_;
    if (room > 0 && metrics.horizontalAdvance(full_) > room) {
        // The longest run of whole words that fits with its "…".
        shown = QStringLiteral("…");
        for (qsizetype space = full_.indexOf(u' '); space > 0; space = full_.indexOf(u' ', space + 1)) {
            const QString candidate = full_.left(space).trimmed() + QStringLiteral(" …");
            if (metrics.horizontalAdvance(candidate) > room)
                break;
            shown = candidate;
        }
    }
    text_->setText(shown);
    const QString whole = shown == full_ ? QString() : full_;
    text_->setToolTip(whole);
    setToolTip(whole);
    text_->setAccessibleDescription(whole);
    setAccessibleDescription(whole);
}

} // namespace meteo
