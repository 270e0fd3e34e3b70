#include "platform/sleeper.h"

#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

void RealSleeper::Sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  if (!QCoreApplication::instance()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return;
  }
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    const qint64 left = deadline.remainingTime();
    if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min<qint64>(left, 10)));
  }
}

Sleeper& DefaultSleeper() {
  static RealSleeper sleeper;
  return sleeper;
}
