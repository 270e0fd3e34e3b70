#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/custommessagebox.h"
#include "platform/qtprompter.h"

// The save-or-discard questions shown by the real message box.
namespace {

// Presses the button of the open message box that reads `label`, once the
// box is up; records the labels it found.
void PressWhenShown(const QString& label, QStringList* seen, QString* title) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    *title = box->windowTitle();
    QAbstractButton* target = nullptr;
    for (QAbstractButton* button : box->buttons()) {
      seen->append(button->text());
      if (button->text() == label) target = button;
    }
    if (target)
      target->click();
    else
      box->reject();
  });
}

struct PressCase {
  const char* name;
  MessageButtons buttons;
  const char* labels[3];
  const char* press;
  MessageResult expected;
};

class QtPrompterButtons : public ::testing::TestWithParam<PressCase> {};

TEST_P(QtPrompterButtons, RelabelledButtonsAnswerAsTheStandardOnes) {
  const PressCase& c = GetParam();
  QtPrompter prompter;
  QStringList seen;
  QString title;
  PressWhenShown(QString::fromUtf8(c.press), &seen, &title);
  const MessageResult result =
      CustomMessageBox(prompter, QStringLiteral("Question"), QStringLiteral("Caption of the box"), c.buttons,
                       MessageIcon::Exclamation, QString::fromUtf8(c.labels[0]),
                       QString::fromUtf8(c.labels[1]), QString::fromUtf8(c.labels[2]));
  EXPECT_EQ(result, c.expected);
  EXPECT_EQ(title, QStringLiteral("Caption of the box"));
  for (const char* label : c.labels) {
    if (*label) {
      EXPECT_TRUE(seen.contains(QString::fromUtf8(label))) << label;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QtPrompterButtons,
    ::testing::Values(
        PressCase{
            "LoseIsNo", MessageButtons::YesNoCancel, {"&Save", "&Lose", ""}, "&Lose", MessageResult::No},
        PressCase{
            "SaveIsYes", MessageButtons::YesNoCancel, {"&Save", "&Lose", ""}, "&Save", MessageResult::Yes},
        PressCase{"CancelKeepsItsLabel",
                  MessageButtons::YesNoCancel,
                  {"&Save", "&Lose", ""},
                  "Cancel",
                  MessageResult::Cancel},
        PressCase{"SaveIsOk", MessageButtons::OkCancel, {"&Save", "", ""}, "&Save", MessageResult::Ok},
        PressCase{"ClosedWithoutButtonIsCancel",
                  MessageButtons::OkCancel,
                  {"&Save", "", ""},
                  "none",
                  MessageResult::Cancel},
        PressCase{"RetryCancel", MessageButtons::RetryCancel, {"", "", ""}, "Retry", MessageResult::Retry}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
