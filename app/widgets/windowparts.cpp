// SPDX-License-Identifier: GPL-2.0-or-later
#include "windowparts.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

namespace meteo {
namespace {

// Sees the key presses that reach the window itself, after its children let them go.
class EscapeCloses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            static_cast<QWidget *>(watched)->close();
            return true;
        }
        return false;
    }
};

} // namespace

void closeOnEscape(QWidget *window)
{
    window->installEventFilter(new EscapeCloses(window));
}

void fillWithScrolledPage(QWidget *window, QWidget *page)
{
    auto *scroll = new QScrollArea(window);
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

bool confirm(QWidget *parent, const QString &title, const QString &question)
{
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
    QPushButton *oui = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *non = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(non);
    box.setEscapeButton(non);
    box.exec();
    return box.clickedButton() == oui;
}

} // namespace meteo
