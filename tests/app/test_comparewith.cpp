// File > Compare With...: the loaded configuration against a setup file.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "app/formcomparewith.h"
#include "app/setupdocument.h"
#include "support/samplerecords.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"

// Faults caught: rows that do not follow the windows' labels, a take-over
// that leaves the document unmodified or changes the file compared with,
// a file that cannot be read reported without its name.

namespace {

// Runs action on the compare window once it is on screen, then closes it.
void OnCompareWindow(std::function<void(QDialog*)> action) {
  QTimer::singleShot(0, [action] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(widget);
      if (!dialog || !dialog->isVisible() || dialog->objectName() != QLatin1String("FormCompareWith"))
        continue;
      action(dialog);
      dialog->reject();
      return;
    }
    ADD_FAILURE() << "no compare window shown";
  });
}

}  // namespace

TEST(CompareWith, ShowsTheFileAgainstTheLoadedConfigurationAndTakesOverAChosenField) {
  ScriptedPrompter prompter;
  SetupDocument document(prompter);
  const QVA_CONFIG_DATA loaded = SampleConfig();
  document.OpenCopy(loaded, false);
  QVA_CONFIG_DATA other = loaded;
  other.display_config.backlight_intensity = 40;
  other.rpm_pulses_per_rev = 12;
  const QString path = WriteSetup(QStringLiteral("Other.Q11"), other);
  const QByteArray fileBytes = ReadAll(path);
  prompter.ExpectOpenFile(path);
  QStringList rows;
  OnCompareWindow([&](QDialog* dialog) {
    auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("TreeDifferences"));
    ASSERT_NE(tree, nullptr);
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
      rows << (*it)->text(0) + QLatin1Char('|') + (*it)->text(1) + QLatin1Char('|') + (*it)->text(2);
    QTreeWidgetItem* pulses =
        tree->findItems(QStringLiteral("RPM Pulses Per Rev"), Qt::MatchRecursive).value(0);
    ASSERT_NE(pulses, nullptr);
    pulses->setCheckState(0, Qt::Checked);
    dialog->findChild<QPushButton*>(QStringLiteral("ButtonCopySelected"))->click();
  });
  RunCompareWithCommand(document, prompter, nullptr);
  EXPECT_EQ(
      rows,
      (QStringList{
          QStringLiteral("Display||"),
          QStringLiteral("Backlight Intensity|%1 %|40 %").arg(loaded.display_config.backlight_intensity),
          QStringLiteral("Digital Inputs||"),
          QStringLiteral("RPM Pulses Per Rev|%1|12").arg(loaded.rpm_pulses_per_rev)}));
  QVA_CONFIG_DATA expected = loaded;
  expected.rpm_pulses_per_rev = 12;
  EXPECT_TRUE(ConfigsEqual(*document.Config(), expected));
  EXPECT_TRUE(document.Modified());
  EXPECT_EQ(ReadAll(path), fileBytes);
  EXPECT_TRUE(prompter.AllAnswered());
}

TEST(CompareWith, AFileThatCannotBeReadIsNamed) {
  ScriptedPrompter prompter;
  SetupDocument document(prompter);
  document.OpenCopy(SampleConfig(), false);
  const QString path = TestEnvironment::PathIn(QStringLiteral("Short.Q11"));
  WriteAll(path, QByteArray(10, 'x'));
  prompter.ExpectOpenFile(path);
  try {
    RunCompareWithCommand(document, prompter, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), path + QStringLiteral("\nFile format not valid"));
  }
}
