// File > Export Setup Sheet...'s dialog and command: the note typed in the
// dialog, the PDF's name asked with an overwrite question, the setup file
// never replaced, the configuration never changed.

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

#include "config/qvasetupfiler.h"
#include "editors/exportsheetform.h"
#include "support/widgettestsupport.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"

namespace {

void TypeNoteAndExport(const QString& note) {
  OnNextDialog([note](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Export Setup Sheet");
    Find<QLineEdit>(dialog, "EditNote")->setText(note);
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
}

}  // namespace

TEST(ExportSheetForm, WritesTheSheetWithTheNoteBesideTheSetupFile) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const QString pdf = QFileInfo(setup).absolutePath() + QStringLiteral("/Golf.pdf");
  const QVA_CONFIG_DATA config = SampleConfig();
  const QVA_CONFIG_DATA before = config;
  ScriptedPrompter prompter;
  prompter.ExpectSaveFile(QFileInfo(pdf).absolutePath() + QStringLiteral("/Golf"));
  TypeNoteAndExport(QStringLiteral("Golf GTI, J. Smith"));
  EXPECT_EQ(ExportSetupSheet(prompter, nullptr, config, {setup, true}), pdf);
  ASSERT_EQ(prompter.FileDialogs().size(), 1U);
  const FileDialogRequest& request = prompter.FileDialogs().front();
  EXPECT_EQ(request.title, "Export Setup Sheet");
  EXPECT_EQ(request.fileName, "Golf.pdf");
  EXPECT_EQ(request.initialDir, QFileInfo(setup).absolutePath());
  EXPECT_TRUE(request.overwritePrompt);
  EXPECT_TRUE(request.rejectReadOnly);
  QProcess text;
  text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
  ASSERT_TRUE(text.waitForFinished(30000));
  const QByteArray printed = text.readAllStandardOutput();
  EXPECT_TRUE(printed.contains("Golf GTI, J. Smith"));
  EXPECT_TRUE(printed.contains("Golf.Q11 (with changes not saved to the file)"));
  EXPECT_TRUE(ConfigsEqual(config, before));
}

TEST(ExportSheetForm, CancelInTheDialogOrTheFileDialogWritesNothing) {
  ScriptedPrompter prompter;
  OnNextDialog([](QDialog* dialog) { Find<QPushButton>(dialog, "ButtonCancel")->click(); });
  EXPECT_EQ(ExportSetupSheet(prompter, nullptr, SampleConfig(), {}), QString());
  prompter.ExpectSaveFile(std::nullopt);
  TypeNoteAndExport(QString());
  EXPECT_EQ(ExportSetupSheet(prompter, nullptr, SampleConfig(), {}), QString());
  EXPECT_EQ(prompter.FileDialogs().front().fileName, "Setup Sheet.pdf");
  EXPECT_TRUE(QDir(TestEnvironment::Root()).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
}

TEST(ExportSheetForm, AsksAgainRatherThanReplaceTheSetupFile) {
  const QString setup = WriteSetup(QStringLiteral("cars/Golf.Q11"), SampleConfig());
  const QByteArray before = ReadAll(setup);
  const QString pdf = TestEnvironment::PathIn(QStringLiteral("cars/Sheet.pdf"));
  ScriptedPrompter prompter;
  prompter.ExpectSaveFile(setup)
      .ExpectMessage(QStringLiteral("The setup sheet cannot replace the setup file it is made from.\n"
                                    "You should choose another name for the sheet."))
      .ExpectSaveFile(pdf);
  TypeNoteAndExport(QString());
  EXPECT_EQ(ExportSetupSheet(prompter, nullptr, SampleConfig(), {setup, false}), pdf);
  EXPECT_EQ(ReadAll(setup), before);
  EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF-"));
}

TEST(ExportSheetForm, NoteFieldTakesAtMost300Characters) {
  TFormExportSheet form;
  auto* note = Find<QLineEdit>(&form, "EditNote");
  note->setText(QString(400, QLatin1Char('n')));
  EXPECT_EQ(form.Note().size(), 300);
}
