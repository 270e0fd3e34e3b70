// The Backups window after real saves and a real Send against
// qva-device-sim: the list, Open as Copy and taking over a table.

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "platform/fileattributes.h"
#include "platform/sleeper.h"
#include "config/qvasetupfiler.h"
#include "comms/qvaserialcomms.h"
#include "comms/transferprocedures.h"
#include "app/formbackups.h"
#include "app/setupdocument.h"
#include "support/devicesimulator.h"
#include "support/qtprinters.h"
#include "support/samplerecords.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"
#include "support/widgettestsupport.h"

// Faults caught: backups missing or out of order; Open as Copy that names
// the document after the backup (a later Save would write over it) or
// changes its bytes; a take-over that copies more than the chosen table or
// leaves the document unmodified; a window that writes to a backup.

namespace {

class SilentProgress : public TransferProgress {
 public:
  void Status(const QString&) override {}
};

class NoFinalWait : public Sleeper {
 public:
  void Sleep(int milliseconds) override {
    if (milliseconds < 1000) real_.Sleep(milliseconds);
  }

 private:
  RealSleeper real_;
};

QStringList Column(QTreeWidget* tree, int column) {
  QStringList texts;
  for (int row = 0; row < tree->topLevelItemCount(); ++row) texts << tree->topLevelItem(row)->text(column);
  return texts;
}

}  // namespace

TEST(BackupsWindow, ListsSavesAndASendOpensACopyAndTakesOverOneTable) {
  ScriptedPrompter prompter;
  SetupDocument document(prompter);
  const QVA_CONFIG_DATA first = SampleConfig({.seed = 1});
  QVA_CONFIG_DATA second = first;
  second.output_table[1].values[0].y = 321;
  QVA_CONFIG_DATA third = second;
  third.output_table[0].values[0].y = 123;
  third.display_config.filter_time = 99;
  const QString file = TestEnvironment::PathIn(QStringLiteral("work/Car.Q11"));
  document.OpenCopy(first, false);
  ASSERT_TRUE(document.SaveConfigToFile(file));
  *document.Config() = second;
  ASSERT_TRUE(document.SaveConfigToFile(file));  // keeps first
  *document.Config() = third;
  ASSERT_TRUE(document.SaveConfigToFile(file));  // keeps second

  const QVA_CONFIG_DATA meter = SampleConfig({.seed = 7});
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--config"),
                       WriteSetup(QStringLiteral("meter.Q11"), meter)});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  {
    QVASerialComms comms(sim.PortPath());
    SilentProgress progress;
    NoFinalWait sleeper;
    ASSERT_EQ(RunSendProcedure(comms, *document.Config(), progress, prompter, sleeper), SendOutcome::Sent);
  }
  sim.Stop();

  TFormBackups form(document, nullptr);
  form.show();
  auto* list = Find<QTreeWidget>(&form, "TreeBackups");
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(Column(list, 1), (QStringList{QStringLiteral("From Device Backups"),
                                          QStringLiteral("Save Backups"), QStringLiteral("Save Backups")}));
  EXPECT_EQ(Column(list, 2),
            (QStringList{QStringLiteral("QVA Backup"), QStringLiteral("Car"), QStringLiteral("Car")}));
  const BackupEntry oldest = form.Shown().at(2);
  const QByteArray oldestBytes = ReadAll(oldest.path);
  ASSERT_TRUE(ConfigsEqual(ReadSetupFile(oldest.path), first));

  // Take over Output Table 1 from the oldest backup, and nothing else.
  list->setCurrentItem(list->topLevelItem(2));
  auto* differences = Find<QTreeWidget>(&form, "TreeDifferences");
  QTreeWidgetItem* table = nullptr;
  for (int s = 0; s < differences->topLevelItemCount(); ++s) {
    QTreeWidgetItem* section = differences->topLevelItem(s);
    for (int i = 0; i < section->childCount(); ++i)
      if (section->text(0) == QLatin1String("Output Table 1") &&
          section->child(i)->text(0) == QLatin1String("Table"))
        table = section->child(i);
  }
  ASSERT_NE(table, nullptr);
  table->setCheckState(0, Qt::Checked);
  Find<QPushButton>(&form, "ButtonCopySelected")->click();
  QVA_CONFIG_DATA expected = third;
  expected.output_table[0] = first.output_table[0];
  EXPECT_TRUE(ConfigsEqual(*document.Config(), expected));
  EXPECT_TRUE(document.Modified());
  EXPECT_EQ(list->topLevelItem(2)->text(4), QStringLiteral("2"));  // the other table and the filter time

  // Open as Copy asks first (the document is modified), then becomes untitled.
  prompter.ExpectMessage(DocumentTexts::kModified, MessageResult::No);
  Find<QPushButton>(&form, "ButtonOpenAsCopy")->click();
  EXPECT_TRUE(document.FileName().isEmpty());
  EXPECT_EQ(SetupFileBytes(*document.Config()), oldestBytes);
  EXPECT_EQ(ReadAll(oldest.path), oldestBytes);
  EXPECT_TRUE(IsReadOnlyFile(oldest.path));
  EXPECT_TRUE(prompter.AllAnswered());
}
