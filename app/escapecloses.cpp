#include "escapecloses.h"

#include <QKeyEvent>
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

} // namespace meteo
