#include <gtest/gtest.h>

#include <deque>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "comms/portchoice.h"
#include "platform/qvaerrors.h"

namespace {

// Answers in order and records what it was asked to preselect.
class ScriptedChooser : public PortChooser {
 public:
  std::optional<QString> ChoosePort(const QString& current) override {
    asked.push_back(current);
    if (answers.empty()) {
      ADD_FAILURE() << "port question not expected";
      return std::nullopt;
    }
    const std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<QString>> answers;
  std::vector<QString> asked;
};

void StoreRaw(const QString& value) {
  TRegistry registry(RegistryRoot::LocalMachine);
  OpenApplicationKey(registry);
  registry.WriteString(kCommPortValueName, value);
}

// Every case starts from a store without a port name, also when the cases
// share one process.
class PortChoice : public testing::Test {
 protected:
  void SetUp() override {
    TRegistry registry(RegistryRoot::LocalMachine);
    registry.DeleteKey(ApplicationKeyPath());
    ASSERT_FALSE(ReadStoredCommPort().has_value());
  }
};

}  // namespace

TEST_F(PortChoice, StartupFirstStartAsksWithCom1AndStoresTheChoice) {
  ScriptedChooser chooser;
  chooser.answers = {QStringLiteral("COM3")};
  QString port;
  CommunicationsPortStartup(port, chooser);
  EXPECT_EQ(chooser.asked, std::vector<QString>{QStringLiteral("COM1")});
  EXPECT_EQ(port, QStringLiteral("COM3"));
  EXPECT_EQ(ReadStoredCommPort(), std::optional<QString>(QStringLiteral("COM3")));
}

TEST_F(PortChoice, StartupCancelUsesCom1StoresNothingAndAsksAgainNextTime) {
  ScriptedChooser chooser;
  chooser.answers = {std::nullopt, QStringLiteral("COM2")};
  QString port;
  EXPECT_THROW(CommunicationsPortStartup(port, chooser), EAbort);
  EXPECT_EQ(port, QStringLiteral("COM1"));
  EXPECT_FALSE(ReadStoredCommPort().has_value());

  QString nextRun;
  CommunicationsPortStartup(nextRun, chooser);
  EXPECT_EQ(chooser.asked.size(), 2u);
  EXPECT_EQ(nextRun, QStringLiteral("COM2"));
}

TEST_F(PortChoice, StartupStoredNameIsUsedUnchangedWithoutAsking) {
  StoreRaw(QStringLiteral("/dev/ttyUSB1"));
  ScriptedChooser chooser;
  QString port;
  CommunicationsPortStartup(port, chooser);
  EXPECT_TRUE(chooser.asked.empty());
  EXPECT_EQ(port, QStringLiteral("/dev/ttyUSB1"));
}

TEST_F(PortChoice, CommandSameNameWritesNothing) {
  ScriptedChooser chooser;
  chooser.answers = {QStringLiteral("COM2")};
  QString port = QStringLiteral("COM2");
  CommunicationsPortCommand(port, chooser);
  EXPECT_EQ(chooser.asked, std::vector<QString>{QStringLiteral("COM2")});
  EXPECT_EQ(port, QStringLiteral("COM2"));
  EXPECT_FALSE(ReadStoredCommPort().has_value());
}

TEST_F(PortChoice, CommandOtherNameIsUsedAndStored) {
  StoreRaw(QStringLiteral("COM2"));
  ScriptedChooser chooser;
  chooser.answers = {QStringLiteral("COM7")};
  QString port = QStringLiteral("COM2");
  CommunicationsPortCommand(port, chooser);
  EXPECT_EQ(port, QStringLiteral("COM7"));
  EXPECT_EQ(ReadStoredCommPort(), std::optional<QString>(QStringLiteral("COM7")));
}

TEST_F(PortChoice, CommandCancelAndAnEmptyChoiceChangeNothing) {
  StoreRaw(QStringLiteral("COM4"));
  ScriptedChooser chooser;
  chooser.answers = {std::nullopt, QString()};
  QString port = QStringLiteral("COM4");
  CommunicationsPortCommand(port, chooser);
  CommunicationsPortCommand(port, chooser);
  EXPECT_EQ(port, QStringLiteral("COM4"));
  EXPECT_EQ(ReadStoredCommPort(), std::optional<QString>(QStringLiteral("COM4")));
}

TEST_F(PortChoice, ADevicePathChosenInsteadOfANameIsUsedForThisRunAndNeverStored) {
  StoreRaw(QStringLiteral("COM4"));
  ScriptedChooser chooser;
  chooser.answers = {QStringLiteral("/dev/pts/7"), QStringLiteral("COM4"), QStringLiteral("/dev/pts/7")};
  QString port = QStringLiteral("COM4");
  CommunicationsPortCommand(port, chooser);
  EXPECT_EQ(port, QStringLiteral("/dev/pts/7"));
  EXPECT_EQ(ReadStoredCommPort(), std::optional<QString>(QStringLiteral("COM4")));
  CommunicationsPortCommand(port, chooser);
  EXPECT_EQ(port, QStringLiteral("COM4"));

  TRegistry registry(RegistryRoot::LocalMachine);
  registry.DeleteKey(ApplicationKeyPath());
  QString firstRun;
  CommunicationsPortStartup(firstRun, chooser);
  EXPECT_EQ(firstRun, QStringLiteral("/dev/pts/7"));
  EXPECT_FALSE(ReadStoredCommPort().has_value()) << "the next start asks again";
}
