#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "support/scriptedprompter.h"
#include "ui/validatorsgui.h"

namespace {

// A dialog with two tab pages; the fields under test stand on the second,
// which is not the current page, so that bringing it forward shows.
class TwoPageDialog {
 public:
  TwoPageDialog() {
    dialog.setWindowTitle("Sensor Setup");
    auto* layout = new QVBoxLayout(&dialog);
    tabs = new QTabWidget(&dialog);
    layout->addWidget(tabs);
    auto* first = new QWidget;
    auto* firstLayout = new QVBoxLayout(first);
    other = new QLineEdit(first);
    other->setObjectName("EditOther");
    firstLayout->addWidget(other);
    auto* second = new QWidget;
    auto* secondLayout = new QVBoxLayout(second);
    edit = new QLineEdit(second);
    edit->setObjectName("EditHeaterVoltage");
    spin = new QSpinBox(second);
    spin->setObjectName("UpDownPulses");
    spin->setRange(1, 10);
    secondLayout->addWidget(edit);
    secondLayout->addWidget(spin);
    tabs->addTab(first, "General");
    tabs->addTab(second, "Heater");
    tabs->setCurrentIndex(0);
    dialog.show();
    dialog.activateWindow();
    other->setFocus();
  }

  QLineEdit* Find(const char* name) { return dialog.findChild<QLineEdit*>(name); }
  void TypeIntoSpin(const QString& text) { spin->findChild<QLineEdit*>()->setText(text); }

  QDialog dialog;
  QTabWidget* tabs = nullptr;
  QLineEdit* other = nullptr;
  QLineEdit* edit = nullptr;
  QSpinBox* spin = nullptr;
};

QComboBox* MakeCodeCombo(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->addItem("1 Mbps", 0);
  combo->addItem("250 Kbps", 2);
  combo->addItem("62.5 Kbps", 4);
  return combo;
}

TEST(CodeComboBox, SelectsAndReadsByCodeNotPosition) {
  QWidget owner;
  QComboBox* combo = MakeCodeCombo(&owner);
  EXPECT_TRUE(SelectComboItemByCode(combo, 4));
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(GetComboItemCode(combo), 4);
  EXPECT_TRUE(SelectComboItemByCode(combo, 2));
  EXPECT_EQ(GetComboItemCode(combo), 2);
}

TEST(CodeComboBox, UnknownCodeLeavesTheSelection) {
  QWidget owner;
  QComboBox* combo = MakeCodeCombo(&owner);
  combo->setCurrentIndex(1);
  EXPECT_FALSE(SelectComboItemByCode(combo, 3));
  EXPECT_EQ(combo->currentIndex(), 1);
}

TEST(CodeComboBox, OrFirstFallsBackToTheFirstItem) {
  QWidget owner;
  QComboBox* combo = MakeCodeCombo(&owner);
  combo->setCurrentIndex(2);
  SelectComboItemByCodeOrFirst(combo, 99);
  EXPECT_EQ(combo->currentIndex(), 0);
  SelectComboItemByCodeOrFirst(combo, 2);
  EXPECT_EQ(combo->currentIndex(), 1);
}

TEST(CodeComboBox, EmptyListSelectsNothingAndReadsZero) {
  QComboBox combo;
  SelectComboItemByCodeOrFirst(&combo, 5);
  EXPECT_EQ(combo.currentIndex(), -1);
  EXPECT_EQ(GetComboItemCode(&combo), 0);
}

TEST(ScaledEdit, SuccessWritesTheCanonicalTextBack) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("500 mV");
  EXPECT_TRUE(ValidateScaledEdit(prompter, edit, 0, 255, "ntk heater voltage", &form.dialog, HeaterVoltsType,
                                 true, true));
  EXPECT_EQ(edit->text(), "0.5 V");
  EXPECT_EQ(form.tabs->currentIndex(), 0);
}

TEST(ScaledEdit, FailureShowsThePageSelectsTheTextAndFocusesTheField) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "'4.9' is not a valid entry for ntk heater voltage.\nPlease enter a value between 5.0 V and 25.5 V.");
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("4.9");
  EXPECT_FALSE(ValidateScaledEdit(prompter, edit, 50, 255, "ntk heater voltage", &form.dialog,
                                  HeaterVoltsType, true, true));
  EXPECT_EQ(edit->text(), "4.9");
  EXPECT_EQ(edit->selectedText(), "4.9");
  EXPECT_EQ(form.tabs->currentIndex(), 1);
  EXPECT_TRUE(edit->isVisible());
  EXPECT_EQ(form.dialog.focusWidget(), edit);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].caption, "Sensor Setup");
  EXPECT_EQ(prompter.Messages()[0].icon, MessageIcon::Information);
}

TEST(ScaledEdit, WithoutFocusFlagThePageStays) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "You should enter a value for ntk heater voltage.\nPlease enter a value between 5.0 V and 25.5 V.");
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("");
  EXPECT_FALSE(ValidateScaledEdit(prompter, edit, 50, 255, "ntk heater voltage", &form.dialog,
                                  HeaterVoltsType, false, true));
  EXPECT_EQ(form.tabs->currentIndex(), 0);
  EXPECT_NE(form.dialog.focusWidget(), edit);
}

TEST(ScaledEdit, CaptionComesFromTheEditsWindowWithoutOwner) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "'x' is not a valid entry for filter time.\nPlease enter a value between 0.0 s and 25.5 s.");
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("x");
  EXPECT_FALSE(
      ValidateScaledEdit(prompter, edit, 0, 255, "filter time", nullptr, FilterTimeType, true, true));
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].caption, "Sensor Setup");
}

TEST(ScaledEdit32, RewritesAndRejects) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("1.5");
  EXPECT_TRUE(ValidateScaledEdit32(prompter, edit, 0, 5000, "default output", &form.dialog, OutputVoltsType,
                                   true, false));
  EXPECT_EQ(edit->text(), "1.500");
  prompter.ExpectMessage(
      "'-1' is not a valid entry for default output.\nPlease enter a value between 0.000 V and 5.000 V.");
  edit->setText("-1");
  EXPECT_FALSE(ValidateScaledEdit32(prompter, edit, 0, 5000, "default output", &form.dialog, OutputVoltsType,
                                    true, false));
  EXPECT_EQ(edit->selectedText(), "-1");
  EXPECT_EQ(form.tabs->currentIndex(), 1);
}

struct UpDownCase {
  const char* typed;
  bool ok;
};

TEST(UpDownEdit, RangeComesFromTheSpinBox) {
  const UpDownCase cases[] = {{"0", false}, {"1", true}, {"10", true}, {"11", false}};
  for (const UpDownCase& c : cases) {
    TwoPageDialog form;
    ScriptedPrompter prompter;
    if (!c.ok) {
      prompter.ExpectMessage(
          QStringLiteral("'") + c.typed +
          "' is not a valid entry for RPM pulses per rev.\nPlease enter a whole number between 1 "
          "and 10.");
    }
    // A spin box rewrites its text from its value when its page is shown,
    // so the user types into one on the current page.
    form.tabs->setCurrentIndex(1);
    form.TypeIntoSpin(c.typed);
    EXPECT_EQ(ValidateUpDownEdit(prompter, form.spin, "RPM pulses per rev", &form.dialog, true), c.ok)
        << c.typed;
    if (!c.ok) {
      EXPECT_EQ(form.spin->findChild<QLineEdit*>()->selectedText(), QString(c.typed)) << c.typed;
      EXPECT_EQ(form.dialog.focusWidget(), form.spin) << c.typed;
    }
  }
}

TEST(UpDownEdit, EditPairedWithUpDown) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("7");
  EXPECT_TRUE(ValidateUpDownEdit(prompter, edit, form.spin, "update rate", &form.dialog, true));
  prompter.ExpectMessage(
      "'12' is not a valid entry for update rate.\nPlease enter a whole number between 1 and 10.");
  edit->setText("12");
  EXPECT_FALSE(ValidateUpDownEdit(prompter, edit, form.spin, "update rate", &form.dialog, true));
  EXPECT_EQ(form.dialog.focusWidget(), edit);
}

TEST(WholeNumberEdit, TextIsNotRewritten) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText(" 5");
  EXPECT_TRUE(ValidateWholeNumberEdit(prompter, edit, 1, 10, "update rate", &form.dialog, true));
  EXPECT_EQ(edit->text(), " 5");
}

TEST(HexEdit, EmptyFieldReadsAsZeros) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("");
  EXPECT_TRUE(ValidateHexEdit(prompter, edit, 0, 0xFF, "compound id", &form.dialog, 2));
  EXPECT_EQ(edit->text(), "00");
}

TEST(HexEdit, FailureAlwaysShowsAndFocusesTheField) {
  TwoPageDialog form;
  ScriptedPrompter prompter;
  prompter.ExpectMessage(
      "'800' is not a valid entry for base address.\nPlease enter a hexadecimal value between 000 and 7FF");
  QLineEdit* edit = form.Find("EditHeaterVoltage");
  edit->setText("800");
  EXPECT_FALSE(ValidateHexEdit(prompter, edit, 0, 0x7FF, "base address", &form.dialog, 3));
  EXPECT_EQ(edit->text(), "800");
  EXPECT_EQ(edit->selectedText(), "800");
  EXPECT_EQ(form.tabs->currentIndex(), 1);
  EXPECT_EQ(form.dialog.focusWidget(), edit);
}

TEST(ShowAndFocusControl, BringsAStackedPageForwardAndShowsHiddenParents) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* stack = new QStackedWidget(&dialog);
  layout->addWidget(stack);
  stack->addWidget(new QWidget);
  auto* page = new QWidget;
  auto* group = new QWidget(page);
  auto* edit = new QLineEdit(group);
  stack->addWidget(page);
  group->hide();
  dialog.show();
  ShowAndFocusControl(edit);
  EXPECT_EQ(stack->currentWidget(), page);
  EXPECT_TRUE(edit->isVisible());
  EXPECT_EQ(dialog.focusWidget(), edit);
}

}  // namespace
