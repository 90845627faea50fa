// Ends the program at the first paint of a widget: the moment a window is first shown.
#pragma once
#include <QApplication>
#include <QEvent>
#include <QWidget>

class QuitOnFirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};
