#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include "app/mainform.h"
#include "comms/qvaserialcomms.h"
#include "platform/qvaregistry.h"
#include "platform/qvaerrors.h"
#include "comms/sendchecks.h"
#include "documenttestsupport.h"
#include "fakemainformcommands.h"

namespace {

const QString kTitle = QStringLiteral("Ulmora Quvarant Setup");
const QStringList kConfigItems = {
    "MenuItemFileSave",          "MenuItemFileSaveAs",         "MenuItemSetupSensor",
    "MenuItemSetupDisplay",      "MenuItemSetupDigitalInputs", "MenuItemSetupCANCommunications",
    "MenuItemSetupAnalogOutput", "MenuItemSendConfiguration",  "MenuItemViewConfig",
    "MenuItemFileCompareWith", "MenuItemFileExportSheet"};
const QStringList kAlwaysItems = {
    "MenuItemFileNew",       "MenuItemFileOpen",           "MenuItemFileExit",   "MenuItemGetConfiguration",
    "MenuItemFileLocations", "MenuItemCommunicationsPort", "MenuItemHelpTopics", "MenuItemHelpAbout",
    "MenuItemLiveData", "MenuItemReviewBeforeSend", "MenuItemVerifyAfterSend", "MenuItemFileBackups"};

void StoreHistory(const QStringList& entries) {
  TRegistry registry(RegistryRoot::CurrentUser);
  ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Software\\Ulmora\\QVA Setup\\1.1\\Config Files"), true));
  registry.WriteInteger(QStringLiteral("Count"), static_cast<int>(entries.size()));
  for (int i = 0; i < entries.size(); ++i)
    registry.WriteString(QStringLiteral("History%1").arg(i), entries[i]);
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override { form = std::make_unique<TFormQVASetupMain>(prompter, commands); }
  void TearDown() override {
    // Leaving without questions: the document is dropped before the window.
    form->Document().SetModified(false);
    form.reset();
  }
  QAction* Action(const QString& name) {
    QAction* action = form->findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name.toStdString();
    return action;
  }
  QString Config(const QString& name) { return QDir(GetFolder(FileType::ConfigFiles)).filePath(name); }
  QStringList HistoryCaptions() {
    QStringList captions;
    for (int i = 0; QAction* a = form->findChild<QAction*>(QStringLiteral("MenuItemHistory%1").arg(i)); ++i)
      captions << a->text();
    return captions;
  }
  void OpenThroughMenu(const QString& path) {
    prompter.ExpectOpenFile(path);
    Action(QStringLiteral("MenuItemFileOpen"))->trigger();
  }

  ScriptedPrompter prompter;
  FakeMainFormCommands commands;
  std::unique_ptr<TFormQVASetupMain> form;
};

TEST_F(MainFormTest, FreshStartShowsTheTitleAndDisablesWhatNeedsAConfiguration) {
  EXPECT_EQ(form->windowTitle(), kTitle);
  for (const QString& name : kConfigItems) EXPECT_FALSE(Action(name)->isEnabled()) << name.toStdString();
  for (const QString& name : kAlwaysItems) EXPECT_TRUE(Action(name)->isEnabled()) << name.toStdString();
  EXPECT_EQ(Action(QStringLiteral("MenuItemHelpAbout"))->text(),
            QStringLiteral("&About Ulmora Quvarant Setup"));
  EXPECT_FALSE(Action(QStringLiteral("MenuItemStartHistoryBar"))->isVisible());
  EXPECT_TRUE(Action(QStringLiteral("MenuItemEndHistoryBar"))->isVisible());
  EXPECT_TRUE(Action(QStringLiteral("MenuItemEndHistoryBar"))->isSeparator());
  QMenu* debug = form->findChild<QMenu*>(QStringLiteral("Debug1"));
  ASSERT_NE(debug, nullptr);
  EXPECT_FALSE(debug->menuAction()->isVisible());
}

TEST_F(MainFormTest, MenusCarryTheirCaptionsInOrder) {
  struct MenuCase {
    const char* menu;
    const char* title;
    QStringList items;
  };
  const MenuCase menus[] = {
      {"MenuItemFile",
       "&File",
       {"&New...", "&Open...", "&Save", "Save &As...", "Compare &With...", "&Backups...", "&Export Setup Sheet...",
        "", "", "E&xit"}},
      {"Setup1",
       "&Setup",
       {"&Sensor...", "&Display...", "Digital &Inputs...", "&CAN Messages...", "&Analog Output..."}},
      {"MenuItemOnline", "&Online", {"&Send Configuration", "&Get Configuration", "&Live Data..."}},
      {"MenuItemOptions",
       "Optio&ns",
       {"&Configuration File Location...", "Communications &Port...", "", "&Review Changes Before Send",
        "&Verify After Send"}},
      {"MenuItemHelp", "&Help", {"&Topics...", "", "&About Ulmora Quvarant Setup"}},
      {"Debug1", "&Debug", {"&View Config..."}},
  };
  for (const MenuCase& c : menus) {
    QMenu* menu = form->findChild<QMenu*>(QString::fromLatin1(c.menu));
    ASSERT_NE(menu, nullptr) << c.menu;
    EXPECT_EQ(menu->title(), QString::fromLatin1(c.title));
    QStringList texts;
    for (QAction* a : menu->actions()) texts << (a->isSeparator() ? QString() : a->text());
    EXPECT_EQ(texts, c.items) << c.menu;
  }
}

TEST_F(MainFormTest, FileItemsCarryTheDesktopsStandardKeysBesideTheirMnemonics) {
  const std::pair<const char*, const char*> keys[] = {
      {"MenuItemFileNew", "Ctrl+N"},          {"MenuItemFileOpen", "Ctrl+O"}, {"MenuItemFileSave", "Ctrl+S"},
      {"MenuItemFileSaveAs", "Ctrl+Shift+S"}, {"MenuItemFileExit", "Ctrl+Q"},
  };
  for (const auto& [item, key] : keys)
    EXPECT_EQ(Action(QString::fromLatin1(item))->shortcut().toString(QKeySequence::PortableText), QString::fromLatin1(key))
        << item;
  // A key press reaches the item: Ctrl+O asks for a file.
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  prompter.ExpectOpenFile(std::nullopt);
  QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(prompter.AllAnswered());
}

TEST_F(MainFormTest, HintsShowInTheStatusBar) {
  const std::pair<const char*, const char*> hints[] = {
      {"MenuItemFileNew", "Creates a new file based on a template"},
      {"MenuItemFileOpen", "Opens an existing file"},
      {"MenuItemFileSave", "Saves to the current file"},
      {"MenuItemFileSaveAs", "Saves to a new file"},
      {"MenuItemFileExit", "Exits this program"},
      {"MenuItemHelpTopics", "Shows the help topics screen"},
      {"MenuItemHelpAbout", "Shows information about this program"},
  };
  // Disabled items are not pointed at; with a configuration all are enabled.
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  form->show();
  for (const auto& [name, hint] : hints) {
    QAction* action = Action(QString::fromLatin1(name));
    EXPECT_EQ(action->statusTip(), QString::fromLatin1(hint));
    // Pointing at the item in its open menu shows the hint.
    auto* menu = qobject_cast<QMenu*>(action->parent());
    ASSERT_NE(menu, nullptr);
    form->statusBar()->clearMessage();
    // Opened from the menu bar, as the user opens it.
    form->menuBar()->setActiveAction(menu->menuAction());
    QApplication::processEvents();
    ASSERT_TRUE(menu->isVisible()) << name;
    const QPoint at = menu->actionGeometry(action).center();
    QMouseEvent move(QEvent::MouseMove, at, menu->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(menu, &move);
    EXPECT_EQ(form->statusBar()->currentMessage(), QString::fromLatin1(hint)) << name;
    menu->hide();
  }
}

TEST_F(MainFormTest, NewOnFreshStartGivesUntitledAndEnablesEverything) {
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - untitled"));
  for (const QString& name : kConfigItems) EXPECT_TRUE(Action(name)->isEnabled()) << name.toStdString();
  EXPECT_EQ(Bytes(*form->Document().Config()), Bytes(MakeBlankConfig()));
}

TEST_F(MainFormTest, NewRunsTheTemplateDialog) {
  const QString path = WriteSetup(QStringLiteral("templates/Diesel.Q11"), SampleConfig());
  std::optional<QString> answer = path;
  commands.newConfigDialog = [&](QWidget* owner) {
    EXPECT_EQ(owner, form.get());
    return answer;
  };
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  EXPECT_EQ(Bytes(*form->Document().Config()), Bytes(SampleConfig()));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - untitled"));
  // Cancel in the dialog changes nothing (after the never-saved question).
  answer = std::nullopt;
  prompter.ExpectMessage(
      QStringLiteral("The currently loaded configuration has not been saved to a file.\nBefore you "
                     "can open a file you must choose to save the configuration to a file or to "
                     "lose the changes."),
      MessageResult::No);
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  EXPECT_EQ(Bytes(*form->Document().Config()), Bytes(SampleConfig()));
}

TEST_F(MainFormTest, OpenAsksWithTheOpenFilterInTheConfigurationFolder) {
  const QString path = WriteSetup(QStringLiteral("stick/Engine.Q11"), SampleConfig());
  OpenThroughMenu(path);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - Engine"));
  const FileDialogRequest& request = prompter.FileDialogs().at(0);
  EXPECT_EQ(request.filter,
            QStringLiteral("QVA setup files (*.Q11)|*.Q11| V1.0 QVA setup files (*.QV1)|*.QV1"));
  EXPECT_EQ(request.filterIndex, 1);
  EXPECT_EQ(request.defaultExtension, QStringLiteral("Q11"));
  EXPECT_EQ(request.initialDir, GetFolder(FileType::ConfigFiles));
  EXPECT_TRUE(form->Document().FileName() == path);
}

TEST_F(MainFormTest, OpenCancelledChangesNothing) {
  prompter.ExpectOpenFile(std::nullopt);
  Action(QStringLiteral("MenuItemFileOpen"))->trigger();
  EXPECT_FALSE(form->Document().HasConfig());
  EXPECT_EQ(form->windowTitle(), kTitle);
}

TEST_F(MainFormTest, UnreadableFileShowsTheErrorAndKeepsTheDocument) {
  const QString good = WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig());
  OpenThroughMenu(good);
  const QString bad = TestEnvironment::PathIn(QStringLiteral("Bad.Q11"));
  WriteAll(bad, QByteArray(944, '\0'));
  prompter.ExpectOpenFile(bad).ExpectError(QStringLiteral("File format not valid"));
  Action(QStringLiteral("MenuItemFileOpen"))->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - Engine"));
  EXPECT_EQ(form->Document().FileName(), good);
}

TEST_F(MainFormTest, OpenedFileEntersTheHistoryOnlyWhenAnotherReplacesIt) {
  const QString engine = WriteSetup(QStringLiteral("a/Engine.Q11"), SampleConfig());
  const QString boat = WriteSetup(QStringLiteral("a/Boat.Q11"), SampleConfig());
  OpenThroughMenu(engine);
  EXPECT_TRUE(HistoryCaptions().isEmpty());
  EXPECT_FALSE(Action(QStringLiteral("MenuItemStartHistoryBar"))->isVisible());
  OpenThroughMenu(boat);
  ASSERT_EQ(HistoryCaptions().size(), 1);
  EXPECT_TRUE(HistoryCaptions()[0].startsWith(QStringLiteral("&1 ")));
  EXPECT_EQ(Action(QStringLiteral("MenuItemHistory0"))->statusTip(),
            QStringLiteral("Opens the configuration file ") + engine);
  EXPECT_TRUE(Action(QStringLiteral("MenuItemStartHistoryBar"))->isVisible());
  // The history items stand between the two separators.
  QMenu* file = form->findChild<QMenu*>(QStringLiteral("MenuItemFile"));
  const QList<QAction*> actions = file->actions();
  const qsizetype at = actions.indexOf(Action(QStringLiteral("MenuItemHistory0")));
  EXPECT_EQ(actions.at(at - 1)->objectName(), QStringLiteral("MenuItemStartHistoryBar"));
  EXPECT_EQ(actions.at(at + 1)->objectName(), QStringLiteral("MenuItemEndHistoryBar"));

  // Clicking the entry opens it; the file it replaces takes its place.
  Action(QStringLiteral("MenuItemHistory0"))->trigger();
  EXPECT_EQ(form->Document().FileName(), engine);
  EXPECT_EQ(Action(QStringLiteral("MenuItemHistory0"))->statusTip(),
            QStringLiteral("Opens the configuration file ") + boat);
  EXPECT_EQ(HistoryCaptions().size(), 1);
}

TEST_F(MainFormTest, TenStoredEntriesGetPaddedCaptionsAndTheConfigurationFolderIsLeftOut) {
  QStringList entries;
  for (int i = 0; i < 10; ++i) entries << Config(QStringLiteral("F%1.Q11").arg(i));
  StoreHistory(entries);
  form = std::make_unique<TFormQVASetupMain>(prompter, commands);
  const QStringList captions = HistoryCaptions();
  ASSERT_EQ(captions.size(), 10);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(captions[i], QStringLiteral("  &%1 F%2").arg(i + 1).arg(i));
  EXPECT_EQ(captions[9], QStringLiteral("1&0 F9"));
}

TEST_F(MainFormTest, LongNamesElsewhereLoseWholeInnerFolders) {
  const QString path = QStringLiteral("/very/long/folder/name/that/does/not/fit/into/the/menu/Engine.Q11");
  const QString ampersand = QStringLiteral("/x/Fish & Chips.Q11");
  StoreHistory({path, ampersand});
  form = std::make_unique<TFormQVASetupMain>(prompter, commands);
  const QString caption = HistoryCaptions().at(0);
  ASSERT_TRUE(caption.startsWith(QStringLiteral("&1 ")));
  const QString shown = caption.mid(3);
  EXPECT_TRUE(shown.startsWith(QStringLiteral("/very/") + QChar(0x2026) + QLatin1Char('/'))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("/Engine")));
  EXPECT_TRUE(path.endsWith(shown.mid(7) + QStringLiteral(".Q11"))) << shown.toStdString();
  EXPECT_LE(QFontMetrics(form->font()).horizontalAdvance(shown), TFormQVASetupMain::kHistoryNameWidth);
  // An ampersand of the file name shows as itself, not as a mnemonic.
  EXPECT_EQ(HistoryCaptions().at(1), QStringLiteral("&2 /x/Fish && Chips"));
}

TEST_F(MainFormTest, MissingRecentFileShowsTheSystemErrorAndStaysListed) {
  const QString gone = TestEnvironment::PathIn(QStringLiteral("gone/Lost.Q11"));
  StoreHistory({gone});
  form = std::make_unique<TFormQVASetupMain>(prompter, commands);
  QString message;
  try {
    ReadSetupFile(gone);
  } catch (const Exception& e) {
    message = e.Message();
  }
  ASSERT_FALSE(message.isEmpty());
  prompter.ExpectError(gone + QLatin1Char('\n') + message);
  Action(QStringLiteral("MenuItemHistory0"))->trigger();
  EXPECT_FALSE(form->Document().HasConfig());
  EXPECT_EQ(HistoryCaptions().size(), 1);
}

TEST_F(MainFormTest, AMissingFileChosenInTheOpenDialogIsNamedBeforeTheSystemsMessage) {
  const QString gone = TestEnvironment::PathIn(QStringLiteral("gone/Chosen.Q11"));
  prompter.ExpectOpenFile(gone).ExpectError(gone + QStringLiteral("\nNo such file or directory"));
  Action(QStringLiteral("MenuItemFileOpen"))->trigger();
  EXPECT_FALSE(form->Document().HasConfig());
  EXPECT_TRUE(prompter.AllAnswered());
}

TEST_F(MainFormTest, AFailingSettingsStoreIsReportedButTheDocumentStillShows) {
  form.reset();
  // The per-user store cannot be written where a folder stands in its place.
  QDir().mkpath(TRegistry::StoreFolder() + QStringLiteral("/user.ini/blocked"));
  const QString failure = QStringLiteral("Cannot access vendor registry key");
  prompter.ExpectError(failure);
  form = std::make_unique<TFormQVASetupMain>(prompter, commands);
  EXPECT_EQ(form->windowTitle(), kTitle);
  const QString engine = WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig());
  prompter.ExpectOpenFile(engine).ExpectError(failure);
  Action(QStringLiteral("MenuItemFileOpen"))->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - Engine"));
  EXPECT_TRUE(Action(QStringLiteral("MenuItemFileSave"))->isEnabled());
}

TEST_F(MainFormTest, PanelStaysCentredInTheClientArea) {
  form->show();
  for (const QSize size : {QSize(616, 436), QSize(900, 700), QSize(301, 257)}) {
    form->resize(size);
    QApplication::processEvents();
    QWidget* client = form->findChild<QWidget*>(QStringLiteral("ClientArea"));
    QFrame* panel = form->findChild<QFrame*>(QStringLiteral("Panel1"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->size(), QSize(185, 106));
    EXPECT_EQ(panel->pos(), QPoint((client->width() - 185) / 2, (client->height() - 106) / 2));
  }
  auto* label = form->findChild<QLabel*>(QStringLiteral("Label1"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("QVA Setup"));
  EXPECT_TRUE(label->font().italic());
  EXPECT_EQ(label->font().pixelSize(), 27);
  EXPECT_EQ(label->font().family(), QStringLiteral("Arial"));
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red));
  auto* image = form->findChild<QLabel*>(QStringLiteral("Image1"));
  ASSERT_NE(image, nullptr);
  EXPECT_FALSE(image->pixmap().isNull());
}

TEST_F(MainFormTest, DesignSizeIsKept) {
  EXPECT_EQ(form->size(), QSize(616, 436));
}

TEST_F(MainFormTest, CloseWithNeverSavedConfigurationAsksAndCancelKeepsTheWindow) {
  form->show();
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  const QString question = QStringLiteral(
      "The currently loaded configuration has not been saved to a file.\nBefore you exit this program you "
      "must "
      "choose to save the configuration to a file or to lose the configuration.");
  prompter.ExpectMessage(question, MessageResult::Cancel);
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  prompter.ExpectMessage(question, MessageResult::No);
  Action(QStringLiteral("MenuItemFileExit"))->trigger();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormTest, ClosingPutsTheOpenFileAtTheHeadOfTheHistory) {
  const QString engine = WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig());
  OpenThroughMenu(engine);
  form->show();
  EXPECT_TRUE(form->close());
  HistoryList stored;
  stored.Load();
  ASSERT_FALSE(stored.Entries().isEmpty());
  EXPECT_EQ(stored.Entries().first(), engine);
}

TEST_F(MainFormTest, CloseOfModifiedFileAsksAndSaveAsCancelKeepsTheWindow) {
  const QString engine = WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig());
  OpenThroughMenu(engine);
  form->Document().SetModified(true);
  form->show();
  prompter
      .ExpectMessage(
          QStringLiteral("Changes have been made to the currently loaded configuration.\nDo you want to "
                         "save the changes ?"),
          MessageResult::Yes)
      .ExpectSaveFile(std::nullopt);
  EXPECT_FALSE(form->close());
  EXPECT_EQ(form->Document().FileName(), engine);
  EXPECT_EQ(prompter.Messages().at(0).caption, QStringLiteral("Ulmora Quvarant Setup - Engine"));
}

TEST_F(MainFormTest, HelpTopicsIsNotImplemented) {
  prompter.ExpectMessage(QStringLiteral("Function not implemented."));
  Action(QStringLiteral("MenuItemHelpTopics"))->trigger();
  EXPECT_EQ(prompter.Messages().at(0).caption, kTitle);
  EXPECT_EQ(prompter.Messages().at(0).buttons, MessageButtons::Ok);
}

TEST_F(MainFormTest, SetupItemsRunTheEditorAndMarkChanges) {
  form->SetCommPort(QStringLiteral("COM3"));
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  std::vector<SetupEditor> ran;
  commands.setupEditor = [&](SetupEditor editor, QVA_CONFIG_DATA& config, QWidget*,
                                  const QString& port) {
    ran.push_back(editor);
    EXPECT_EQ(port, QStringLiteral("COM3"));
    if (editor == SetupEditor::AnalogOutputSetup) config.analog_out_table.default_output = 77;
  };
  for (const char* name : {"MenuItemSetupSensor", "MenuItemSetupDisplay", "MenuItemSetupDigitalInputs",
                           "MenuItemSetupCANCommunications"})
    Action(QString::fromLatin1(name))->trigger();
  EXPECT_FALSE(form->Document().Modified());
  Action(QStringLiteral("MenuItemSetupAnalogOutput"))->trigger();
  EXPECT_TRUE(form->Document().Modified());
  EXPECT_EQ(ran, (std::vector<SetupEditor>{SetupEditor::SensorSetup, SetupEditor::DisplaySetup,
                                           SetupEditor::DigitalInputsSetup, SetupEditor::CANMessagesSetup,
                                           SetupEditor::AnalogOutputSetup}));
}

TEST_F(MainFormTest, ExportSetupSheetHandsOverTheRecordAndItsFileAndChangesNothing) {
  const QString path = WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig());
  OpenThroughMenu(path);
  QString exportedFile;
  QByteArray exported;
  commands.exportSetupSheet = [&](const SetupDocument& document, QWidget* owner) {
    EXPECT_EQ(owner, form.get());
    EXPECT_EQ(&document, &form->Document());
    exportedFile = document.FileName();
    exported = Bytes(*document.Config());
  };
  Action(QStringLiteral("MenuItemFileExportSheet"))->trigger();
  EXPECT_EQ(exportedFile, path);
  EXPECT_EQ(exported, Bytes(SampleConfig()));
  EXPECT_FALSE(form->Document().Modified());
  // A failed write is reported; the document stays as it was.
  commands.exportSetupSheet = [](const SetupDocument&, QWidget*) { throw EFileWrite(); };
  prompter.ExpectError(QStringLiteral("File write error"));
  Action(QStringLiteral("MenuItemFileExportSheet"))->trigger();
  EXPECT_FALSE(form->Document().Modified());
  EXPECT_EQ(form->Document().FileName(), path);
}

TEST_F(MainFormTest, AFailingEditorIsReportedAndTheDocumentKept) {
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  commands.viewConfig = [](QVA_CONFIG_DATA&, QWidget*) {
    throw Exception(QStringLiteral("Viewer failed"));
  };
  prompter.ExpectError(QStringLiteral("Viewer failed"));
  Action(QStringLiteral("MenuItemViewConfig"))->trigger();
  EXPECT_FALSE(form->Document().Modified());
  commands.viewConfig = [](QVA_CONFIG_DATA&, QWidget*) { throw EAbort(); };
  Action(QStringLiteral("MenuItemViewConfig"))->trigger();
}

TEST_F(MainFormTest, SendWithoutSensorOpensTheSensorSetupInstead) {
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  int sensorRuns = 0;
  bool sent = false;
  commands.setupEditor = [&](SetupEditor editor, QVA_CONFIG_DATA&, QWidget*, const QString&) {
    sensorRuns += editor == SetupEditor::SensorSetup;
  };
  commands.sendConfiguration = [&](QVA_CONFIG_DATA&, const QString&, QWidget*) { sent = true; };
  prompter.ExpectMessage(
      QStringLiteral("No sensor type has been selected for the current configuration.\nYou must "
                     "select a sensor type before attempting to send the configuration"));
  Action(QStringLiteral("MenuItemSendConfiguration"))->trigger();
  EXPECT_EQ(sensorRuns, 1);
  EXPECT_FALSE(sent);
}

TEST_F(MainFormTest, SendOfASavedFileRunsTheTransferAndSavesWhatItChanged) {
  const QString engine = WriteSetup(QStringLiteral("Engine.Q11"), SampleConfig());
  OpenThroughMenu(engine);
  commands.sendConfiguration = [](QVA_CONFIG_DATA& config, const QString&, QWidget*) {
    config.heater_pid_rate = 12;
  };
  Action(QStringLiteral("MenuItemSendConfiguration"))->trigger();
  EXPECT_EQ(ReadSetupFile(engine).heater_pid_rate, 12);
  EXPECT_FALSE(form->Document().Modified());
}

TEST_F(MainFormTest, GetAdoptsTheReceivedRecord) {
  commands.getConfiguration = [](const QString&, QWidget*) {
    return GetOutcome{GetOutcome::Result::Received, SampleConfig()};
  };
  Action(QStringLiteral("MenuItemGetConfiguration"))->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - untitled"));
  EXPECT_TRUE(form->Document().Modified());
  for (const QString& name : kConfigItems) EXPECT_TRUE(Action(name)->isEnabled()) << name.toStdString();
}

TEST_F(MainFormTest, GetStopsWhenTheQuestionIsCancelled) {
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  bool transferred = false;
  commands.getConfiguration = [&](const QString&, QWidget*) {
    transferred = true;
    return GetOutcome{GetOutcome::Result::VersionMismatch, std::nullopt};
  };
  prompter.ExpectMessage(
      QStringLiteral("The currently loaded configuration has not been saved to a file.\nBefore you can get "
                     "the configuration from the QVA you must choose to save the configuration to a file or "
                     "to lose the configuration."),
      MessageResult::Cancel);
  Action(QStringLiteral("MenuItemGetConfiguration"))->trigger();
  EXPECT_FALSE(transferred);
}

TEST_F(MainFormTest, LiveDataRunsOnTheWindowsPortWithoutAConfiguration) {
  form->SetCommPort(QStringLiteral("COM3"));
  QStringList ports;
  commands.liveData = [&](const QString& port, QWidget* owner) {
    EXPECT_EQ(owner, form.get());
    ports << port;
    throw ESerialCommunications(QStringLiteral("Unable to open COM3"), kCommsPlatformError, 2);
  };
  // A port that cannot be opened is reported like any other failure.
  prompter.ExpectError(QStringLiteral("Unable to open COM3"));
  Action(QStringLiteral("MenuItemLiveData"))->trigger();
  EXPECT_EQ(ports, QStringList{QStringLiteral("COM3")});
  EXPECT_FALSE(form->Document().HasConfig());
}

TEST_F(MainFormTest, FileLocationsRebuildsTheHistoryEvenWhenTheDialogFails) {
  const QString elsewhere = TestEnvironment::PathIn(QStringLiteral("other"));
  StoreHistory({QDir(elsewhere).filePath(QStringLiteral("Engine.Q11"))});
  form = std::make_unique<TFormQVASetupMain>(prompter, commands);
  ASSERT_NE(HistoryCaptions().at(0), QStringLiteral("&1 Engine"));
  commands.fileLocationsDialog = [&](QWidget*) {
    SetFolder(FileType::ConfigFiles, elsewhere);
    throw Exception(QStringLiteral("Error creating directory x"));
  };
  prompter.ExpectError(QStringLiteral("Error creating directory x"));
  Action(QStringLiteral("MenuItemFileLocations"))->trigger();
  QApplication::processEvents();
  EXPECT_EQ(HistoryCaptions().at(0), QStringLiteral("&1 Engine"));
}

TEST_F(MainFormTest, PortItemAndDeferredStartUpHandTheirCommandsThePort) {
  commands.portStartUp = [](QString& port, QWidget*) { port = QStringLiteral("COM2"); };
  commands.communicationsPortDialog = [](QString& port, QWidget*) { port += QStringLiteral("!"); };
  // The start-up step runs from the event loop, after construction.
  EXPECT_TRUE(form->CommPort().isEmpty());
  QApplication::processEvents();
  EXPECT_EQ(form->CommPort(), QStringLiteral("COM2"));
  Action(QStringLiteral("MenuItemCommunicationsPort"))->trigger();
  EXPECT_EQ(form->CommPort(), QStringLiteral("COM2!"));
}

TEST_F(MainFormTest, TheCaptionSaysWhileTheSimulatedMeterIsInUse) {
  const QString simulated = QStringLiteral("/dev/pts/9");
  commands.isSimulatedMeter = [simulated](const QString& port) { return port == simulated; };
  commands.portStartUp = [simulated](QString& port, QWidget*) { port = simulated; };
  QApplication::processEvents();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup [simulated meter]"));
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - untitled [simulated meter]"));
  commands.communicationsPortDialog = [](QString& port, QWidget*) { port = QStringLiteral("COM2"); };
  Action(QStringLiteral("MenuItemCommunicationsPort"))->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - untitled"));
  commands.communicationsPortDialog = [simulated](QString& port, QWidget*) { port = simulated; };
  Action(QStringLiteral("MenuItemCommunicationsPort"))->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ulmora Quvarant Setup - untitled [simulated meter]"));
}

TEST_F(MainFormTest, CancelledPortStartUpIsSilent) {
  commands.portStartUp = [](QString&, QWidget*) { throw EAbort(); };
  QApplication::processEvents();
  EXPECT_TRUE(prompter.Errors().empty());
}

TEST_F(MainFormTest, BringToFrontRestoresAMinimisedWindow) {
  form->showMinimized();
  QApplication::processEvents();
  ASSERT_TRUE(form->isMinimized());
  form->BringToFront();
  EXPECT_FALSE(form->isMinimized());
  EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormTest, BringToFrontRestoresTheOpenModalDialogToo) {
  form->show();
  QDialog dialog(form.get());
  bool restored = false;
  QTimer::singleShot(0, &dialog, [&] {
    dialog.showMinimized();
    form->BringToFront();
    restored = !dialog.isMinimized() && dialog.isVisible() && QApplication::activeModalWidget() == &dialog;
    dialog.accept();
  });
  dialog.exec();
  EXPECT_TRUE(restored);
}

}  // namespace

TEST_F(MainFormTest, SendChecksAreOffUntilChosenAndAreRemembered) {
  QAction* review = Action(QStringLiteral("MenuItemReviewBeforeSend"));
  QAction* verify = Action(QStringLiteral("MenuItemVerifyAfterSend"));
  ASSERT_TRUE(review->isCheckable() && verify->isCheckable());
  EXPECT_FALSE(review->isChecked());
  EXPECT_FALSE(verify->isChecked());
  verify->trigger();
  EXPECT_FALSE(ReadSendChecks().review);
  EXPECT_TRUE(ReadSendChecks().verify);
  review->trigger();
  verify->trigger();
  EXPECT_TRUE(ReadSendChecks().review);
  EXPECT_FALSE(ReadSendChecks().verify);
  // A new window (the next start) shows what was chosen.
  TFormQVASetupMain next(prompter, commands);
  EXPECT_TRUE(next.findChild<QAction*>(QStringLiteral("MenuItemReviewBeforeSend"))->isChecked());
  EXPECT_FALSE(next.findChild<QAction*>(QStringLiteral("MenuItemVerifyAfterSend"))->isChecked());
}

TEST_F(MainFormTest, BackupsAndCompareWithWorkOnTheWindowsDocument) {
  QStringList ran;
  commands.backups = [&](SetupDocument& document, QWidget* owner) {
    EXPECT_EQ(&document, &form->Document());
    EXPECT_EQ(owner, form.get());
    ran << QStringLiteral("backups");
  };
  commands.compareWith = [&](SetupDocument& document, QWidget*) {
    EXPECT_EQ(&document, &form->Document());
    ran << QStringLiteral("compare");
  };
  // The backups can be opened as copies before anything is loaded.
  Action(QStringLiteral("MenuItemFileBackups"))->trigger();
  Action(QStringLiteral("MenuItemFileNew"))->trigger();
  Action(QStringLiteral("MenuItemFileCompareWith"))->trigger();
  EXPECT_EQ(ran, (QStringList{QStringLiteral("backups"), QStringLiteral("compare")}));
}
