// The simulated meter as a new user meets it: chosen at the first start's
// port question, named in the caption, and answering Get with the
// configuration it keeps in the user's data folder.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/mainform.h"
#include "app/programcommands.h"
#include "comms/portchoice.h"
#include "comms/simulatedmeter.h"
#include "config/qvasetupfiler.h"
#include "support/samplerecords.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"

namespace {

QByteArray Bytes(const QVA_CONFIG_DATA& config) {
  const ConfigBytes bytes = ConfigToBytes(config);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Picks the simulated meter in the port question that is about to open.
void ChooseTheSimulatedMeterWhenAsked() {
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      ADD_FAILURE() << "no port question";
      return;
    }
    auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("TreeWidgetPorts"));
    const QList<QTreeWidgetItem*> entries =
        tree ? tree->findItems(QStringLiteral("Simulated QVA (no meter needed)"), Qt::MatchExactly)
             : QList<QTreeWidgetItem*>();
    if (entries.size() != 1) {
      ADD_FAILURE() << "no simulated meter offered";
      dialog->reject();
      return;
    }
    tree->setCurrentItem(entries.front());
    dialog->findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
  });
}

}  // namespace

TEST(SimulatedMeterE2E, ChosenAtTheFirstStartItAnswersGetWithItsStoredConfiguration) {
  if (!SimulatedMeter::Available()) GTEST_SKIP() << "no simulator or no pseudo-terminals here";
  // What an earlier run left in the simulated meter, as the meter stores it.
  const QVA_CONFIG_DATA stored = ToDeviceImage(SealForDevice(SampleConfig({.seed = 3})));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(SimulatedMeter::StoreFile()).absolutePath()));
  WriteSetupFile(SimulatedMeter::StoreFile(), stored);

  ScriptedPrompter prompter;
  ProgramCommands program(prompter);
  TFormQVASetupMain main(prompter, program);
  ChooseTheSimulatedMeterWhenAsked();
  QApplication::processEvents();  // the start-up's port question
  EXPECT_TRUE(IsSimulatedMeterPort(main.CommPort())) << main.CommPort().toStdString();
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Ulmora Quvarant Setup [simulated meter]"));
  EXPECT_FALSE(ReadStoredCommPort().has_value()) << "the real port question comes again next time";

  main.findChild<QAction*>(QStringLiteral("MenuItemGetConfiguration"))->trigger();
  EXPECT_TRUE(prompter.Errors().empty());
  EXPECT_TRUE(main.Document().FileName().isEmpty());
  ASSERT_TRUE(main.Document().HasConfig());
  EXPECT_EQ(Bytes(*main.Document().Config()), Bytes(stored));
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Ulmora Quvarant Setup - untitled [simulated meter]"));
  main.Document().SetModified(false);
}
