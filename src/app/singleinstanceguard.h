#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QString>

#include "platform/prompter.h"

class QLocalServer;
class QLockFile;

// Only one copy of the program may run: two would share the serial port,
// the settings and the backup folders. The first copy holds a lock file
// named "OneInstance-" + the application title in the user's runtime
// folder and listens on a local socket of the same name; a later copy finds
// the lock held, tells the user, asks the first copy over the socket to
// bring its window forward, and ends. A lock left by a crashed copy is
// recognised as stale (its process is gone) and taken over.
class SingleInstanceGuard : public QObject {
  Q_OBJECT

 public:
  SingleInstanceGuard();
  ~SingleInstanceGuard() override;

  // True when this is the only copy (the lock is then held until the guard
  // is destroyed); false after telling the user and asking the other copy
  // to come forward.
  bool CheckSingleInstance(Prompter& prompter);
  // True when another copy answered the request to come forward.
  bool BringOtherInstanceForward();

  // Called in the first copy whenever a later copy asks it to come forward.
  void SetRaiseHandler(std::function<void()> handler) { raiseHandler_ = std::move(handler); }

  const QString& MutexName() const { return name_; }
  QString LockFilePath() const;
  QString ServerName() const;

 private:
  void AcceptConnection();

  QString name_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> raiseHandler_;
};

// title + " is already running.\n\nYou should close the other copy of " + title + " and try again."
QString AlreadyRunningMessage(const QString& title);
