#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include "platform/registryfunctions.h"
#include "app/singleinstanceguard.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"

namespace {

const QString kMessage = QStringLiteral(
    "Ulmora Quvarant Setup is already running.\n\nYou should close the other copy of Ulmora Quvarant Setup "
    "and try "
    "again.");

// Waits for a condition another process brings about, giving up after a
// few seconds.
template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs = 10000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  return true;
}

class SingleInstance : public ::testing::Test {
 protected:
  // A port chosen at an earlier start, so that the first copy comes up
  // without its first-run port question.
  void SetUp() override {
    TRegistry registry;
    OpenApplicationKey(registry);
    registry.WriteString(QStringLiteral("Communications Port"), QStringLiteral("COM1"));
  }
  void TearDown() override {
    for (QProcess* process : processes_) {
      process->kill();
      process->waitForFinished(5000);
      delete process;
    }
  }
  // The desktop program, headless, its message boxes answered and reported on
  // stderr.
  QProcess* Start() {
    auto* process = new QProcess;
    processes_.push_back(process);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QVA_SETUP_RAISE_LOG"), RaiseLog());
    process->setProcessEnvironment(env);
    process->start(BinDir() + QStringLiteral("/qva-setup-host"), {});
    EXPECT_TRUE(process->waitForStarted(10000));
    return process;
  }
  // The first copy is ready once its socket is there to be asked.
  bool WaitUntilListening() {
    const QString server = SingleInstanceGuard().ServerName();
    return WaitFor([&] {
      QLocalSocket probe;
      probe.connectToServer(server);
      const bool connected = probe.waitForConnected(200);
      probe.abort();
      return connected;
    });
  }
  QString RaiseLog() { return TestEnvironment::PathIn(QStringLiteral("raise.log")); }

  std::vector<QProcess*> processes_;
};

TEST_F(SingleInstance, SecondCopyTellsTheUserBringsTheFirstForwardAndEnds) {
  QProcess* first = Start();
  ASSERT_TRUE(WaitUntilListening());
  QProcess* second = Start();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  const QString said = QString::fromUtf8(second->readAllStandardError());
  EXPECT_TRUE(said.contains(QStringLiteral("QVA-PROMPT: Ulmora Quvarant Setup|") + kMessage))
      << said.toStdString();
  // The second copy waits for the first to answer, so the request is handled.
  EXPECT_TRUE(ReadAll(RaiseLog()).startsWith("raised FormQVASetupMain"));
  EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(SingleInstance, LockOfACrashedCopyDoesNotBlockANewStart) {
  QProcess* crashed = Start();
  ASSERT_TRUE(WaitUntilListening());
  crashed->kill();
  ASSERT_TRUE(crashed->waitForFinished(5000));
  ASSERT_TRUE(QFileInfo::exists(SingleInstanceGuard().LockFilePath()));

  QProcess* next = Start();
  ASSERT_TRUE(WaitUntilListening());
  EXPECT_EQ(next->state(), QProcess::Running);
  // It holds the lock now: a further copy is turned away.
  QProcess* another = Start();
  ASSERT_TRUE(another->waitForFinished(15000));
  EXPECT_TRUE(QString::fromUtf8(another->readAllStandardError()).contains(kMessage));
}

TEST(SingleInstanceGuard, NamesItsLockAfterTheApplicationTitle) {
  SingleInstanceGuard guard;
  EXPECT_EQ(guard.MutexName(), QStringLiteral("OneInstance-Ulmora Quvarant Setup"));
  EXPECT_TRUE(QFileInfo(guard.LockFilePath()).fileName().startsWith(guard.MutexName()));
  EXPECT_TRUE(guard.LockFilePath().startsWith(TestEnvironment::Root()));
}

TEST(SingleInstanceGuard, FirstCopyRunsWithoutAskingAndIgnoresForeignRequests) {
  ScriptedPrompter prompter;  // no prompt expected
  SingleInstanceGuard guard;
  int raised = 0;
  guard.SetRaiseHandler([&] { ++raised; });
  ASSERT_TRUE(guard.CheckSingleInstance(prompter));

  QLocalSocket stranger;
  stranger.connectToServer(guard.ServerName());
  ASSERT_TRUE(stranger.waitForConnected(2000));
  stranger.write("open /etc/passwd\n");
  stranger.flush();
  EXPECT_TRUE(WaitFor([&] { return stranger.state() == QLocalSocket::UnconnectedState; }, 5000));
  EXPECT_EQ(raised, 0);

  QLocalSocket friendly;
  friendly.connectToServer(guard.ServerName());
  ASSERT_TRUE(friendly.waitForConnected(2000));
  friendly.write("raise\n");
  friendly.flush();
  EXPECT_TRUE(WaitFor([&] { return raised == 1; }, 5000));
}

TEST(SingleInstanceGuard, AWaitingCopyWithoutAnswerGivesUp) {
  // No first copy listening: nothing to bring forward.
  SingleInstanceGuard guard;
  EXPECT_FALSE(guard.BringOtherInstanceForward());
}

}  // namespace
