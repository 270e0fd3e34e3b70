#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "ui/stdbutton.h"
#include "ui/stdcombo.h"
#include "ui/stdedit.h"
#include "ui/stdradiobutton.h"
#include "ui/stdtabcontrol.h"

namespace {

QColor WindowColour() {
  return QApplication::palette().color(QPalette::Active, QPalette::Base);
}

QColor ButtonFaceColour() {
  return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

// A shown, active dialog, so that window shortcuts and popups work.
void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

}  // namespace

// ---------------------------------------------------------------- button

TEST(StdButton, StandardHeightInALayout) {
  QDialog dialog;
  auto* layout = new QHBoxLayout(&dialog);
  auto* button = new TStdButton("&Browse...", &dialog);
  button->setObjectName("ButtonBrowse");
  layout->addWidget(button);
  auto* tall = new QLineEdit(&dialog);
  tall->setMinimumHeight(60);
  layout->addWidget(tall);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.findChild<TStdButton*>("ButtonBrowse")->height(), TStdButton::kDefaultHeight);
  EXPECT_EQ(TStdButton::kDefaultHeight, 23);
}

TEST(StdButton, HeightCanStillBeSetByTheDialog) {
  TStdButton button("OK");
  button.setFixedHeight(40);
  EXPECT_EQ(button.height(), 40);
}

// ---------------------------------------------------------------- edit / combo colours

TEST(StdEdit, DisablingGreysTheBackgroundAndEnablingRestoresIt) {
  ASSERT_NE(WindowColour(), ButtonFaceColour()) << "the palette cannot show the difference";
  TStdEdit edit;
  EXPECT_EQ(edit.Color(), WindowColour());
  edit.setEnabled(false);
  EXPECT_EQ(edit.Color(), ButtonFaceColour());
  edit.setEnabled(true);
  EXPECT_EQ(edit.Color(), WindowColour());
}

TEST(StdEdit, DisabledBackgroundIsWhatIsPainted) {
  TStdEdit edit;
  edit.resize(120, 30);
  edit.setEnabled(false);
  const QImage disabled = edit.grab().toImage();
  edit.setEnabled(true);
  const QImage enabled = edit.grab().toImage();
  const QPoint inside(edit.width() / 2, edit.height() / 2);
  EXPECT_EQ(QColor(disabled.pixel(inside)), ButtonFaceColour());
  EXPECT_EQ(QColor(enabled.pixel(inside)), WindowColour());
}

TEST(StdEdit, DisabledParentGreysTheFieldToo) {
  QWidget parent;
  auto* edit = new TStdEdit(&parent);
  parent.setEnabled(false);
  EXPECT_EQ(edit->Color(), ButtonFaceColour());
  parent.setEnabled(true);
  EXPECT_EQ(edit->Color(), WindowColour());
}

TEST(StdComboBox, BackgroundFollowsTheEnabledState) {
  ASSERT_NE(WindowColour(), ButtonFaceColour());
  TStdComboBox combo;
  EXPECT_EQ(combo.Color(), WindowColour());
  combo.setEnabled(false);
  EXPECT_EQ(combo.Color(), ButtonFaceColour());
  combo.setEnabled(true);
  EXPECT_EQ(combo.Color(), WindowColour());
}

// ---------------------------------------------------------------- combo keyboard

namespace {

struct ComboWindow {
  QDialog dialog;
  TStdComboBox* combo = nullptr;

  explicit ComboWindow(bool editable = false) {
    auto* layout = new QVBoxLayout(&dialog);
    combo = new TStdComboBox(&dialog);
    combo->setObjectName("ComboBoxSensorType");
    combo->addItems({"NTK", "Bosch LSU4", "Bosch LSU4.2"});
    combo->setEditable(editable);
    layout->addWidget(combo);
  }
  bool PopupShown() const { return combo->view()->isVisible(); }
};

}  // namespace

TEST(StdComboBox, ExtendedUIIsOnByDefaultAndAProperty) {
  TStdComboBox combo;
  EXPECT_TRUE(combo.ExtendedUI());
  EXPECT_TRUE(combo.property("ExtendedUI").toBool());
  EXPECT_TRUE(combo.setProperty("ExtendedUI", false));
  EXPECT_FALSE(combo.ExtendedUI());
}

TEST(StdComboBox, DownOpensTheListWithoutChangingTheSelection) {
  ComboWindow window;
  ShowActive(window.dialog);
  window.combo->setFocus();
  QTest::keyClick(window.combo, Qt::Key_Down);
  EXPECT_TRUE(window.PopupShown());
  EXPECT_EQ(window.combo->currentIndex(), 0);
  window.combo->hidePopup();
}

TEST(StdComboBox, F4DoesNothing) {
  ComboWindow window;
  ShowActive(window.dialog);
  window.combo->setFocus();
  QSignalSpy changes(window.combo, &QComboBox::currentIndexChanged);
  QTest::keyClick(window.combo, Qt::Key_F4);
  EXPECT_FALSE(window.PopupShown());
  EXPECT_EQ(changes.count(), 0);
}

TEST(StdComboBox, WithoutExtendedUIDownStepsAndF4Opens) {
  ComboWindow window;
  window.combo->SetExtendedUI(false);
  ShowActive(window.dialog);
  window.combo->setFocus();
  QTest::keyClick(window.combo, Qt::Key_Down);
  EXPECT_FALSE(window.PopupShown());
  EXPECT_EQ(window.combo->currentIndex(), 1);
  QTest::keyClick(window.combo, Qt::Key_F4);
  EXPECT_TRUE(window.PopupShown());
  window.combo->hidePopup();
}

TEST(StdComboBox, ClickOnADropDownListOpensIt) {
  ComboWindow window;
  ShowActive(window.dialog);
  QTest::mouseClick(window.combo, Qt::LeftButton, Qt::NoModifier, QPoint(10, window.combo->height() / 2));
  EXPECT_TRUE(window.PopupShown());
  window.combo->hidePopup();
}

TEST(StdComboBox, EditableComboKeepsF4Silent) {
  ComboWindow window(true);
  ShowActive(window.dialog);
  window.combo->setFocus();
  QTest::keyClick(window.combo, Qt::Key_F4);
  EXPECT_FALSE(window.PopupShown());
  QTest::keyClick(window.combo, Qt::Key_Down);
  EXPECT_TRUE(window.PopupShown());
  window.combo->hidePopup();
}

// ---------------------------------------------------------------- radio button

TEST(StdRadioButton, BehavesAsAnExclusiveRadioButton) {
  QWidget group;
  auto* first = new TStdRadioButton("&Standard", &group);
  auto* second = new TStdRadioButton("E&xtended", &group);
  first->setChecked(true);
  second->setChecked(true);
  EXPECT_FALSE(first->isChecked());
  second->setEnabled(false);
  EXPECT_FALSE(second->isEnabled());
}

// ---------------------------------------------------------------- tab control

namespace {

struct TabWindow {
  QDialog dialog;
  QLineEdit* edit = nullptr;
  TStdTabControl* tabs = nullptr;

  TabWindow() {
    auto* layout = new QVBoxLayout(&dialog);
    tabs = new TStdTabControl(&dialog);
    tabs->setObjectName("TabControlMessages");
    for (const char* text : {"Message 1", "Message 2", "Message 3"}) tabs->addTab(text);
    edit = new QLineEdit(&dialog);
    edit->setObjectName("EditIdentifier");
    layout->addWidget(tabs);
    layout->addWidget(edit);
  }
  void Start() {
    ShowActive(dialog);
    edit->setFocus();
  }
  void CtrlTab() { QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier); }
  // Ctrl+Shift+Tab as the shortcut map sees it under X11 and Wayland: the
  // keyboard mapper offers the unshifted key with both modifiers.
  void CtrlShiftTab() { QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier); }
};

}  // namespace

namespace {

// Counts the Tab key presses that reach a control.
struct TabKeyCounter : QObject {
  int seen = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Tab || key == Qt::Key_Backtab) ++seen;
    }
    return false;
  }
};

}  // namespace

TEST(StdTabControl, HandleCtrlTabIsOnByDefaultAndAProperty) {
  TStdTabControl tabs;
  EXPECT_TRUE(tabs.HandleCtrlTab());
  EXPECT_TRUE(tabs.setProperty("HandleCtrlTab", false));
  EXPECT_FALSE(tabs.HandleCtrlTab());
}

TEST(StdTabControl, CtrlTabStepsForwardAndWrapsToTheFirst) {
  TabWindow window;
  window.Start();
  QSignalSpy changes(window.tabs, &QTabBar::currentChanged);
  window.CtrlTab();
  EXPECT_EQ(window.tabs->currentIndex(), 1);
  window.CtrlTab();
  EXPECT_EQ(window.tabs->currentIndex(), 2);
  window.CtrlTab();
  EXPECT_EQ(window.tabs->currentIndex(), 0);
  ASSERT_EQ(changes.count(), 3);
  EXPECT_EQ(changes.at(2).at(0).toInt(), 0);
  EXPECT_TRUE(window.edit->hasFocus());
}

TEST(StdTabControl, CtrlShiftTabOnTheFirstSelectsTheLast) {
  // The same key press reaches the shortcut map as Ctrl+Shift+Tab from the
  // X11 and Wayland keyboard mappers, and as the event's own Ctrl+Shift+Backtab
  // elsewhere (and from synthetic events).
  for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
    TabWindow window;
    window.Start();
    QTest::keyClick(window.edit, key, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window.tabs->currentIndex(), 2) << key;
    QTest::keyClick(window.edit, key, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window.tabs->currentIndex(), 1) << key;
  }
}

TEST(StdTabControl, RefusedChangeKeepsTheTabUnderCtrlTab) {
  TabWindow window;
  std::vector<int> asked;
  window.tabs->SetOnChanging([&asked](int newIndex) {
    asked.push_back(newIndex);
    return false;
  });
  window.Start();
  QSignalSpy changes(window.tabs, &QTabBar::currentChanged);
  window.CtrlTab();
  window.CtrlShiftTab();
  EXPECT_EQ(window.tabs->currentIndex(), 0);
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(asked, (std::vector<int>{1, 2}));
}

TEST(StdTabControl, WithoutHandleCtrlTabTheKeysReachTheFocusedControl) {
  TabWindow window;
  window.tabs->SetHandleCtrlTab(false);
  window.Start();
  TabKeyCounter counter;
  window.edit->installEventFilter(&counter);
  window.CtrlTab();
  window.CtrlShiftTab();
  EXPECT_EQ(window.tabs->currentIndex(), 0);
  EXPECT_EQ(counter.seen, 2);
}

TEST(StdTabControl, WithHandleCtrlTabTheStripTakesTheKeys) {
  TabWindow window;
  window.Start();
  TabKeyCounter counter;
  window.edit->installEventFilter(&counter);
  window.CtrlTab();
  EXPECT_EQ(window.tabs->currentIndex(), 1);
  EXPECT_EQ(counter.seen, 0);
}

TEST(StdTabControl, RefusedChangeKeepsTheTabUnderAClick) {
  TabWindow window;
  bool allow = false;
  window.tabs->SetOnChanging([&allow](int) { return allow; });
  window.Start();
  const QPoint third = window.tabs->tabRect(2).center();
  QTest::mouseClick(window.tabs, Qt::LeftButton, Qt::NoModifier, third);
  EXPECT_EQ(window.tabs->currentIndex(), 0);
  allow = true;
  QTest::mouseClick(window.tabs, Qt::LeftButton, Qt::NoModifier, third);
  EXPECT_EQ(window.tabs->currentIndex(), 2);
}

TEST(StdTabControl, RefusedChangeKeepsTheTabUnderTheArrowKeys) {
  TabWindow window;
  bool allow = false;
  window.tabs->SetOnChanging([&allow](int) { return allow; });
  window.Start();
  window.tabs->setFocus();
  QTest::keyClick(window.tabs, Qt::Key_Right);
  EXPECT_EQ(window.tabs->currentIndex(), 0);
  allow = true;
  QTest::keyClick(window.tabs, Qt::Key_Right);
  EXPECT_EQ(window.tabs->currentIndex(), 1);
}

TEST(StdTabControl, StepTabOnAnEmptyStripDoesNothing) {
  TStdTabControl tabs;
  int asked = 0;
  tabs.SetOnChanging([&asked](int) {
    ++asked;
    return true;
  });
  EXPECT_FALSE(tabs.StepTab(false));
  EXPECT_FALSE(tabs.StepTab(true));
  EXPECT_EQ(asked, 0);
}
