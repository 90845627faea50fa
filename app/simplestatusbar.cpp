#include "simplestatusbar.h"

#include <QLabel>

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
    return text_->text();
}

void SimpleStatusBar::setSimpleText(const QString &text)
{
    text_->setText(text);
    Q_EMIT simpleTextChanged(text);
}

} // namespace meteo
