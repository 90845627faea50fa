#include "windowparts.h"

#include <QKeyEvent>
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

} // namespace meteo
