#include "Clock.h"

#include <QThread>

void SystemClock::sleep(int ms) {
    QThread::msleep(ms);
}
