#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/qvaconfigfilelocationform.h"
#include "platform/qvaregistry.h"
#include "platform/registeredfilepath.h"
#include "platform/filepaths.h"
#include "platform/registryfunctions.h"
#include "config/newconfigform.h"
#include "platform/qvaerrors.h"
#include "support/qtprinters.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"
#include "ui/stdbutton.h"

namespace {

// Also keeps the titles of folder browsers, which the scripted prompter
// does not check.
class FolderPrompter : public ScriptedPrompter {
 public:
  std::optional<QString> ChooseFolder(const QString& title, const QString& startFolder) override {
    titles.push_back(title);
    return ScriptedPrompter::ChooseFolder(title, startFolder);
  }
  std::vector<QString> titles;
};

template <typename T>
T* Find(QWidget& dialog, const char* name) {
  T* widget = dialog.findChild<T*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

QString Stored(const QString& valueName) {
  TRegistry registry(RegistryRoot::LocalMachine);
  if (!registry.OpenKey(DirectoriesKeyPath(), false) || !registry.ValueExists(valueName)) return QString();
  return registry.ReadString(valueName);
}

void Click(QWidget& dialog, const char* button) {
  QTest::mouseClick(Find<QPushButton>(dialog, button), Qt::LeftButton);
}

}  // namespace

// ---------------------------------------------------------------- location dialog

TEST(ConfigLocationDialog, ShowsTheConfigurationFolderAndItsTexts) {
  FolderPrompter prompter;
  TFormQVAConfigFileLocation dialog(prompter);
  EXPECT_EQ(dialog.windowTitle(), QString("Configuration File Location"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "EditLocation")->text(), GetFolder(FileType::ConfigFiles));
  auto* label = Find<QLabel>(dialog, "LabelLocation");
  EXPECT_EQ(label->text(), QString("&Enter the directory for configuration files :"));
  EXPECT_EQ(label->buddy(), Find<QLineEdit>(dialog, "EditLocation"));
  EXPECT_NE(qobject_cast<TStdButton*>(Find<QPushButton>(dialog, "ButtonBrowse")), nullptr);
  EXPECT_EQ(Find<QPushButton>(dialog, "ButtonBrowse")->text(), QString("&Browse..."));
  EXPECT_EQ(Find<QPushButton>(dialog, "ButtonOk")->text(), QString("OK"));
  EXPECT_TRUE(Find<QPushButton>(dialog, "ButtonOk")->isDefault());
  EXPECT_EQ(Find<QPushButton>(dialog, "ButtonCancel")->text(), QString("Cancel"));
  EXPECT_EQ(Find<QPushButton>(dialog, "ButtonHelp")->text(), QString("&Help"));
}

TEST(ConfigLocationDialog, BrowseStartsAtTheTextAndReplacesItWithTheChoice) {
  FolderPrompter prompter;
  const QString chosen = TestEnvironment::PathIn("Chosen/");
  prompter.ExpectFolder(chosen).ExpectFolder(std::nullopt);
  TFormQVAConfigFileLocation dialog(prompter);
  auto* edit = Find<QLineEdit>(dialog, "EditLocation");
  edit->setText("/start/here");
  Click(dialog, "ButtonBrowse");
  EXPECT_EQ(edit->text(), chosen);
  Click(dialog, "ButtonBrowse");  // cancelled: the text stays
  EXPECT_EQ(edit->text(), chosen);
  EXPECT_EQ(prompter.FolderStarts(), (std::vector<QString>{"/start/here", chosen}));
  EXPECT_EQ(prompter.titles,
            (std::vector<QString>(2, QString("Select the directory for configuration files"))));
}

TEST(ConfigLocationDialog, OkStoresTheFolderWithoutTrailingSeparators) {
  FolderPrompter prompter;
  const QString folder = TestEnvironment::Root() + "/Data";
  QDir().mkpath(folder);
  TFormQVAConfigFileLocation dialog(prompter);
  dialog.show();
  Find<QLineEdit>(dialog, "EditLocation")->setText(" " + folder + "/// ");
  Click(dialog, "ButtonOk");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Location(), folder);
  EXPECT_EQ(Find<QLineEdit>(dialog, "EditLocation")->text(), folder);
  EXPECT_EQ(Stored("QVA Config Files"), folder);
  EXPECT_EQ(GetFolder(FileType::SaveBackups), folder + "/Save Backups");
}

TEST(ConfigLocationDialog, BlanksAskForADirectoryAndKeepTheDialogOpen) {
  FolderPrompter prompter;
  prompter.ExpectMessage("You should enter a directory to proceed");
  TFormQVAConfigFileLocation dialog(prompter);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  Find<QLineEdit>(dialog, "EditLocation")->setText("    ");
  Click(dialog, "ButtonOk");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.Location(), QString());
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].caption, QString("Configuration File Location"));
  EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(dialog, "EditLocation"));
}

TEST(ConfigLocationDialog, MissingFolderAnsweredNoKeepsTheDialogOpen) {
  FolderPrompter prompter;
  const QString folder = TestEnvironment::Root() + "/Missing";
  prompter.ExpectMessage(
      "The directory " + folder + " does not exist.\nDo you want to create this directory ?",
      MessageResult::No);
  TFormQVAConfigFileLocation dialog(prompter);
  const QString before = Stored("QVA Config Files");
  dialog.show();
  Find<QLineEdit>(dialog, "EditLocation")->setText(folder);
  Click(dialog, "ButtonOk");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(QFileInfo::exists(folder));
  EXPECT_EQ(Stored("QVA Config Files"), before);
}

TEST(ConfigLocationDialog, FolderThatCannotBeCreatedIsShownAsAnErrorAndTheDialogStays) {
  FolderPrompter prompter;
  const QString blocker = TestEnvironment::PathIn("blocker");
  WriteAll(blocker, "x");
  const QString folder = blocker + "/Config";
  prompter.ExpectMessage(
      "The directory " + folder + " does not exist.\nDo you want to create this directory ?",
      MessageResult::Yes);
  try {
    CreateDirectoryPath(folder);
  } catch (const ESystemError& e) {
    prompter.ExpectError(e.Message());
  }
  TFormQVAConfigFileLocation dialog(prompter);
  dialog.show();
  Find<QLineEdit>(dialog, "EditLocation")->setText(folder);
  Click(dialog, "ButtonOk");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(prompter.AllAnswered());
  ASSERT_EQ(prompter.Errors().size(), 1u);
  EXPECT_TRUE(prompter.Errors()[0].startsWith("Error creating directory " + blocker + "\n"));
}

TEST(ConfigLocationDialog, CancelStoresNothing) {
  FolderPrompter prompter;
  TFormQVAConfigFileLocation dialog(prompter);
  const QString before = Stored("QVA Config Files");
  dialog.show();
  Find<QLineEdit>(dialog, "EditLocation")->setText(TestEnvironment::Root() + "/Elsewhere");
  Click(dialog, "ButtonCancel");
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(Stored("QVA Config Files"), before);
  EXPECT_FALSE(QFileInfo::exists(TestEnvironment::Root() + "/Elsewhere"));
}

// ---------------------------------------------------------------- new configuration dialog

namespace {

QString TemplatesFolder() {
  return GetFolder(FileType::FileTemplates);
}

QStringList Shown(TFormNewConfig& dialog) {
  QStringList texts;
  auto* list = Find<QListWidget>(dialog, "ListBoxFiles");
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace

TEST(NewConfigDialog, ListsTemplatesWithTheFirstSelected) {
  for (const char* name : {"Petrol.Q11", "Diesel.Q11", "notes.txt"})
    WriteAll(JoinPath(TemplatesFolder(), name), "x");
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  EXPECT_EQ(dialog.windowTitle(), QString("New Configuration"));
  EXPECT_EQ(Find<QLabel>(dialog, "Label1")->text(),
            QString("Select a template to base the new configuration on :"));
  EXPECT_EQ(Find<QPushButton>(dialog, "ButtonHelp")->text(), QString("&Help"));
  EXPECT_TRUE(Find<QPushButton>(dialog, "ButtonOk")->isDefault());
  EXPECT_EQ(Shown(dialog), (QStringList{"Diesel", "Petrol"}));
  EXPECT_EQ(Find<QListWidget>(dialog, "ListBoxFiles")->currentRow(), 0);
  dialog.show();
  Click(dialog, "ButtonOk");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ResultPath(), JoinPath(TemplatesFolder(), "Diesel.Q11"));
}

TEST(NewConfigDialog, EmptyTemplatesFolderOffersABlankConfiguration) {
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  EXPECT_EQ(Shown(dialog), (QStringList{"Blank Configuration"}));
  dialog.show();
  Click(dialog, "ButtonOk");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ResultPath(), QString());
}

TEST(NewConfigDialog, MissingTemplatesFolderOffersABlankConfiguration) {
  const QString missing = TestEnvironment::Root() + "/gone/Templates";
  SetFolder(FileType::FileTemplates, missing);
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  EXPECT_EQ(Shown(dialog), (QStringList{"Blank Configuration"}));
}

TEST(NewConfigDialog, UpperCaseNamesComeFirst) {
  WriteAll(JoinPath(TemplatesFolder(), "a.Q11"), "x");
  WriteAll(JoinPath(TemplatesFolder(), "B.Q11"), "x");
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  EXPECT_EQ(Shown(dialog), (QStringList{"B", "a"}));
}

TEST(NewConfigDialog, ReadOnlyTemplateCanBeChosen) {
  const QString locked = JoinPath(TemplatesFolder(), "Locked.Q11");
  WriteAll(locked, "x");
  SetReadOnly(locked, true);
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  EXPECT_EQ(Shown(dialog), (QStringList{"Locked"}));
  dialog.show();
  Click(dialog, "ButtonOk");
  EXPECT_EQ(dialog.ResultPath(), locked);
}

TEST(NewConfigDialog, DoubleClickActsAsOk) {
  for (const char* name : {"Diesel.Q11", "Petrol.Q11"}) WriteAll(JoinPath(TemplatesFolder(), name), "x");
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  auto* list = Find<QListWidget>(dialog, "ListBoxFiles");
  const QPoint second = list->visualItemRect(list->item(1)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.ResultPath(), JoinPath(TemplatesFolder(), "Petrol.Q11"));
}

TEST(NewConfigDialog, NothingSelectedAsksForATemplate) {
  WriteAll(JoinPath(TemplatesFolder(), "Diesel.Q11"), "x");
  ScriptedPrompter prompter;
  prompter.ExpectMessage("You should select a template to continue.");
  TFormNewConfig dialog(prompter);
  dialog.show();
  Find<QListWidget>(dialog, "ListBoxFiles")->clearSelection();
  Click(dialog, "ButtonOk");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ResultPath(), QString());
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].caption, QString("New Configuration"));
  EXPECT_EQ(prompter.Messages()[0].icon, MessageIcon::Information);
}

TEST(NewConfigDialog, CancelGivesNoResult) {
  WriteAll(JoinPath(TemplatesFolder(), "Diesel.Q11"), "x");
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  dialog.show();
  Click(dialog, "ButtonCancel");
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.ResultPath(), QString());
}

// Help has no pages to show: it must neither close the dialog nor ask
// anything (the scripted prompter fails on any prompt).
template <typename Form>
void ExpectHelpNeitherClosesNorAsks() {
  ScriptedPrompter prompter;
  Form dialog(prompter);
  dialog.show();
  int asked = 0;
  QObject::connect(&dialog, &Form::HelpRequested, [&asked] { ++asked; });
  Click(dialog, "ButtonHelp");
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(dialog.isVisible());
}

TEST(FolderDialogs, HelpNeitherClosesNorAsks) {
  ExpectHelpNeitherClosesNorAsks<TFormNewConfig>();
  ExpectHelpNeitherClosesNorAsks<TFormQVAConfigFileLocation>();
}

TEST(FolderDialogs, NewConfigurationDialogCannotBeResized) {
  ScriptedPrompter prompter;
  TFormNewConfig dialog(prompter);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_GE(Find<QListWidget>(dialog, "ListBoxFiles")->width(), 269);
  EXPECT_GE(Find<QListWidget>(dialog, "ListBoxFiles")->height(), 205);
}

// ---------------------------------------------------------------- running modally

namespace {

// Presses a button of the modal dialog as soon as the dialog runs.
void PressInModalDialog(const char* button) {
  QTimer::singleShot(0, [button] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    Click(*modal, button);
  });
}

}  // namespace

TEST(NewConfigDialog, ExecuteGivesTheChoiceOrNothing) {
  WriteAll(JoinPath(TemplatesFolder(), "Diesel.Q11"), "x");
  ScriptedPrompter prompter;
  QWidget owner;
  PressInModalDialog("ButtonOk");
  EXPECT_EQ(TFormNewConfig::Execute(prompter, &owner),
            std::optional<QString>(JoinPath(TemplatesFolder(), "Diesel.Q11")));
  PressInModalDialog("ButtonCancel");
  EXPECT_EQ(TFormNewConfig::Execute(prompter, &owner), std::nullopt);
}

TEST(ConfigLocationDialog, ExecuteTellsWhetherAFolderWasStored) {
  ScriptedPrompter prompter;
  QWidget owner;
  PressInModalDialog("ButtonCancel");
  EXPECT_FALSE(TFormQVAConfigFileLocation::Execute(prompter, &owner));
  PressInModalDialog("ButtonOk");  // the current folder exists: stored as it is
  EXPECT_TRUE(TFormQVAConfigFileLocation::Execute(prompter, &owner));
  EXPECT_EQ(Stored("QVA Config Save Backups"), JoinPath(GetFolder(FileType::ConfigFiles), "Save Backups"));
}
