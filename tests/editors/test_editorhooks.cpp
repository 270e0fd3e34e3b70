#include <QAction>
#include <QPushButton>

#include "app/editorhooks.h"
#include "app/mainform.h"
#include "editors/cansetup.h"
#include "editors/digitalinputssetup.h"
#include "editors/sensorsetup.h"
#include "editortestsupport.h"

namespace {

class EditorHooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TFormQVASetupMain>(prompter);
    InstallEditorHooks(form->Hooks(), prompter);
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
  std::unique_ptr<TFormQVASetupMain> form;
};

TEST_F(EditorHooksTest, DigitalInputsOpensItsDialogOnTheLoadedRecord) {
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

TEST_F(EditorHooksTest, DigitalInputsCancelledLeavesTheDocumentUnmodified) {
  OnNextDialog([](QDialog* dialog) {
    Choose(Find<QComboBox>(dialog, "ComboBoxInput2Mode"), "Active High");
    Find<QPushButton>(dialog, "ButtonCancel")->click();
  });
  Trigger("MenuItemSetupDigitalInputs");
  EXPECT_EQ(form->Document().Config()->dig_input_mode[1], 0);
  EXPECT_FALSE(form->Document().Modified());
}

TEST_F(EditorHooksTest, CANMessagesOpensItsDialogOnTheLoadedRecord) {
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

TEST_F(EditorHooksTest, SendWithoutASensorTypeOpensSensorSetupOnTheLoadedRecord) {
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
TEST_F(EditorHooksTest, EveryItemOpensItsWindowAndCancelChangesNothing) {
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

}  // namespace
