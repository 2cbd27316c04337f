#include "app/core/BusyWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

void busyWait(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}
