#include <QAction>
#include <QPushButton>

#include <QCheckBox>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/mainform.h"
#include "app/programcommands.h"
#include "comms/portchoice.h"
#include "comms/qvaserialcomms.h"
#include "editors/analogoutputsetup.h"
#include "editors/cansetup.h"
#include "editors/digitalinputssetup.h"
#include "editors/displaysetup.h"
#include "editors/sensorsetup.h"
#include "fakemainformcommands.h"
#include "platform/qvaerrors.h"
#include "support/testenvironment.h"
#include "support/widgettestsupport.h"
#include "tables/gridutils.h"
#include "viewer/formviewconfig.h"
#include "viewer/cfgviewer.h"

namespace {

// The main window with the program's own setup editors and viewer; New
// makes a blank configuration without the template dialog.
class ProgramEditorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    commands.setupEditor = [this](SetupEditor editor, QVA_CONFIG_DATA& config, QWidget* owner,
                                  const QString& port) { program.EditSetup(editor, config, owner, port); };
    commands.viewConfig = [this](QVA_CONFIG_DATA& config, QWidget* owner) { program.ViewConfig(config, owner); };
    form = std::make_unique<TFormQVASetupMain>(prompter, commands);
    Trigger("MenuItemFileNew");  // a blank, untitled configuration
    ASSERT_TRUE(form->Document().HasConfig());
  }
  void TearDown() override {
    form->Document().SetModified(false);
    form.reset();
  }
  void Trigger(const char* item) {
    QAction* action = form->findChild<QAction*>(QString::fromLatin1(item));
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
  }

  HelpRecordingPrompter prompter;
  ProgramCommands program{prompter};
  FakeMainFormCommands commands;
  std::unique_ptr<TFormQVASetupMain> form;
};

TEST_F(ProgramEditorsTest, DigitalInputsOpensItsDialogOnTheLoadedRecord) {
  QString caption;
  OnNextDialog([&](QDialog* dialog) {
    caption = dialog->windowTitle();
    EXPECT_NE(qobject_cast<TFormDigitalInputsSetup*>(dialog), nullptr);
    EXPECT_EQ(dialog->parentWidget(), form.get());
    Choose(Find<QComboBox>(dialog, "ComboBoxInput1Mode"), "Active Low");
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  Trigger("MenuItemSetupDigitalInputs");
  EXPECT_EQ(caption, QStringLiteral("Digital Inputs Setup"));
  EXPECT_EQ(form->Document().Config()->dig_input_mode[0], 1);
  EXPECT_TRUE(form->Document().Modified());
}

TEST_F(ProgramEditorsTest, DigitalInputsCancelledLeavesTheDocumentUnmodified) {
  OnNextDialog([](QDialog* dialog) {
    Choose(Find<QComboBox>(dialog, "ComboBoxInput2Mode"), "Active High");
    Find<QPushButton>(dialog, "ButtonCancel")->click();
  });
  Trigger("MenuItemSetupDigitalInputs");
  EXPECT_EQ(form->Document().Config()->dig_input_mode[1], 0);
  EXPECT_FALSE(form->Document().Modified());
}

TEST_F(ProgramEditorsTest, CANMessagesOpensItsDialogOnTheLoadedRecord) {
  QString caption;
  OnNextDialog([&](QDialog* dialog) {
    caption = dialog->windowTitle();
    EXPECT_NE(qobject_cast<TFormCANSetup*>(dialog), nullptr);
    EXPECT_EQ(dialog->parentWidget(), form.get());
    Find<QLineEdit>(dialog, "EditAddress")->setText(QStringLiteral("5A3"));
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  Trigger("MenuItemSetupCANCommunications");
  EXPECT_EQ(caption, QStringLiteral("CAN Message Setup"));
  EXPECT_EQ(form->Document().Config()->can_message_config[0].IDR0, 0xB4);
  EXPECT_EQ(form->Document().Config()->can_message_config[0].IDR1, 0x60);
  EXPECT_TRUE(form->Document().Modified());
}

TEST_F(ProgramEditorsTest, SendWithoutASensorTypeOpensSensorSetupOnTheLoadedRecord) {
  prompter.ExpectMessage(QStringLiteral(
      "No sensor type has been selected for the current configuration.\nYou must select a sensor type before "
      "attempting to send the configuration"));
  QString caption;
  OnNextDialog([&](QDialog* dialog) {
    caption = dialog->windowTitle();
    EXPECT_NE(qobject_cast<TFormSensorSetup*>(dialog), nullptr);
    Choose(Find<QComboBox>(dialog, "ComboBoxSensorType"), "Bosch LSU4.2");
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  Trigger("MenuItemSendConfiguration");
  EXPECT_EQ(caption, QStringLiteral("Sensor Setup"));
  EXPECT_EQ(form->Document().Config()->sensor_type, 3);
  EXPECT_TRUE(form->Document().Modified());
}

// Every Setup item and the viewer open their own window, owned by the main
// window; Cancel leaves the document as it was.
TEST_F(ProgramEditorsTest, EveryItemOpensItsWindowAndCancelChangesNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"MenuItemSetupSensor", "Sensor Setup"},
      {"MenuItemSetupDisplay", "Display Setup"},
      {"MenuItemSetupDigitalInputs", "Digital Inputs Setup"},
      {"MenuItemSetupCANCommunications", "CAN Message Setup"},
      {"MenuItemSetupAnalogOutput", "Analog Output Setup"},
      {"MenuItemViewConfig", "View QVA Configuration"},
  };
  for (const auto& [item, expected] : cases) {
    QString caption;
    OnNextDialog([&](QDialog* dialog) {
      caption = dialog->windowTitle();
      EXPECT_EQ(dialog->parentWidget(), form.get()) << item;
      dialog->reject();
    });
    Trigger(item);
    EXPECT_EQ(caption, QString::fromLatin1(expected)) << item;
    EXPECT_FALSE(form->Document().Modified()) << item;
  }
}

TEST_F(ProgramEditorsTest, DisplayMenuOpensItOnTheLoadedConfiguration) {
  OnNextDialog([](QDialog* dialog) {
    EXPECT_NE(qobject_cast<TFormDisplaySetup*>(dialog), nullptr);
    auto* edit = Find<QLineEdit>(dialog, "EditBacklightIntensity");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("55"));
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  Trigger("MenuItemSetupDisplay");
  EXPECT_EQ(form->Document().Config()->display_config.backlight_intensity, 55);
  EXPECT_TRUE(form->Document().Modified());
}

TEST_F(ProgramEditorsTest, AnalogOutputMenuOpensItOnTheLoadedConfiguration) {
  OnNextDialog([](QDialog* dialog) {
    EXPECT_NE(qobject_cast<TFormAnalogOutputSetup*>(dialog), nullptr);
    Choose(Find<QComboBox>(dialog, "ComboBoxOutputFunction"), "(Output Table 2)");
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  Trigger("MenuItemSetupAnalogOutput");
  EXPECT_EQ(form->Document().Config()->analog_out_table.out_function, 3);
  EXPECT_EQ(form->Document().Config()->analog_out_table.out_table_index, 1);
  EXPECT_TRUE(form->Document().Modified());
}

// The viewer run from the main window, as the workshop reaches it.
class ViewConfigCommandTest : public ProgramEditorsTest {
 protected:
  void SetUp() override {
    SetViewerHexMode(false);
    ProgramEditorsTest::SetUp();
  }
  TFormQVASetupMain* main() { return form.get(); }
};

TEST_F(ViewConfigCommandTest, CloseStoresTheValueStillBeingTypedAndMarksTheDocument) {
  OnNextDialog([](QDialog* dialog) {
    ASSERT_NE(qobject_cast<TFormViewConfig*>(dialog), nullptr);
    auto* tree = Find<QTreeWidget>(dialog, "TreeView1");
    tree->setCurrentItem(tree->topLevelItem(0));
    auto* grid = Find<QTableView>(dialog, "StringGrid1");
    grid->setCurrentIndex(grid->model()->index(2, 1));  // sensor_type
    QTest::keyClick(grid, Qt::Key_Return);
    QLineEdit* editor = GetCellEditor(grid);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("2"));
    Find<QPushButton>(dialog, "ButtonClose")->click();
  });
  Trigger("MenuItemViewConfig");
  EXPECT_EQ(main()->Document().Config()->sensor_type, 2);
  EXPECT_TRUE(main()->Document().Modified());
}

TEST_F(ViewConfigCommandTest, ClosingWithoutChangesLeavesTheDocumentUnmodified) {
  OnNextDialog([](QDialog* dialog) {
    auto* tree = Find<QTreeWidget>(dialog, "TreeView1");
    tree->setCurrentItem(tree->topLevelItem(0));
    Find<QCheckBox>(dialog, "CheckBoxHexMode")->click();
    dialog->reject();  // Escape or the close box
  });
  Trigger("MenuItemViewConfig");
  EXPECT_FALSE(main()->Document().Modified());
}

TEST_F(ViewConfigCommandTest, HiddenDebugMenuIsReachedByCtrlShiftV) {
  auto* debug = main()->findChild<QMenu*>(QStringLiteral("Debug1"));
  ASSERT_NE(debug, nullptr);
  EXPECT_FALSE(debug->menuAction()->isVisible());
  main()->show();
  main()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main()));
  bool opened = false;
  OnNextDialog([&opened](QDialog* dialog) {
    opened = qobject_cast<TFormViewConfig*>(dialog) != nullptr;
    dialog->accept();
  });
  QTest::keyClick(main(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(opened);
}

TEST(ProgramCommandsTransfer, AnUnopenablePortEndsGetBeforeAnyWindowAndStartUpStoresThePort) {
  ScriptedPrompter prompter;
  ProgramCommands program(prompter);
  // A port that cannot be opened ends the command with the link's message
  // before any window shows.
  const QString missing = QStringLiteral("/nonexistent-dir/tty");
  try {
    program.GetConfiguration(missing, nullptr);
    FAIL() << "opened";
  } catch (const ESerialCommunications& e) {
    EXPECT_TRUE(e.Message().startsWith(QStringLiteral("An error occurred while opening communication port ") +
                                       missing + QStringLiteral(".\n")));
  }
  OnNextDialog([](QDialog* dialog) {
    Find<QComboBox>(dialog, "StdComboBox1")->setCurrentIndex(5);
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  QString port;
  program.PortStartUp(port, nullptr);
  EXPECT_EQ(port, QStringLiteral("COM6"));
  EXPECT_EQ(ReadStoredCommPort(), std::optional<QString>(QStringLiteral("COM6")));
}

}  // namespace

// File > Export Setup Sheet... as a user runs it: the menu item, the
// program's export dialog with the note, the file dialog, the PDF.
TEST_F(ProgramEditorsTest, ExportSetupSheetWritesThePdfOfTheUntitledRecordWithTheNote) {
  commands.exportSetupSheet = [this](const SetupDocument& document, QWidget* owner) {
    program.ExportSetupSheet(document, owner);
  };
  const QString pdf = TestEnvironment::PathIn(QStringLiteral("sheets/Untitled.pdf"));
  const bool modified = form->Document().Modified();
  prompter.ExpectSaveFile(pdf);
  OnNextDialog([](QDialog* dialog) {
    Find<QLineEdit>(dialog, "EditNote")->setText(QStringLiteral("Golf GTI"));
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  Trigger("MenuItemFileExportSheet");
  EXPECT_EQ(prompter.FileDialogs().at(0).fileName, QStringLiteral("Setup Sheet.pdf"));
  EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF-"));
  EXPECT_EQ(form->Document().Modified(), modified);
}
