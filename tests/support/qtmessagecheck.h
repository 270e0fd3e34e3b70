#pragma once

#include <QString>

// Qt reports many programming faults only as a warning on stderr (an arg()
// with more values than the text has places, a connection to a missing
// signal, a painter without a device) and carries on. Every test program
// installs this check, so such a warning fails the test that caused it.
namespace QtMessageCheck {

// Called once by the test main, before the application object exists.
void Install();

}  // namespace QtMessageCheck

// While one is alive, a warning containing text is part of what the test
// checks: it passes, and the test fails if none came.
class ExpectQtWarning {
 public:
  explicit ExpectQtWarning(QString text);
  ~ExpectQtWarning();
  ExpectQtWarning(const ExpectQtWarning&) = delete;
  ExpectQtWarning& operator=(const ExpectQtWarning&) = delete;

  // Counts message when it is the one expected (called by the check).
  bool Take(const QString& message);

 private:
  QString text_;
  int seen_ = 0;
};
