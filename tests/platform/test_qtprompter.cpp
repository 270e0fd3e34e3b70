#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/qtprompter.h"
#include "support/autoanswerprompter.h"

namespace {

// The headless host of the desktop program answers as a user pressing the
// first button would.
TEST(AutoAnswerPrompter, TakesTheFirstButtonAndCancelsFileDialogs) {
  AutoAnswerPrompter prompter;
  MessageRequest request;
  request.text = QStringLiteral("Go on?");
  const std::pair<MessageButtons, MessageResult> cases[] = {
      {MessageButtons::Ok, MessageResult::Ok},           {MessageButtons::OkCancel, MessageResult::Ok},
      {MessageButtons::YesNo, MessageResult::Yes},       {MessageButtons::YesNoCancel, MessageResult::Yes},
      {MessageButtons::RetryCancel, MessageResult::Retry}};
  for (const auto& [buttons, first] : cases) {
    request.buttons = buttons;
    EXPECT_EQ(prompter.Message(request), first);
  }
  EXPECT_FALSE(prompter.SaveFile(FileDialogRequest{}).has_value());
  EXPECT_FALSE(prompter.OpenFile(FileDialogRequest{}).has_value());
  EXPECT_FALSE(prompter.ChooseFolder(QStringLiteral("Folder"), QString()).has_value());
}

struct DisplayCase {
  const char* text;
  const char* shown;
};

class MessageDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(MessageDisplay, ALineFeedWithACarriageReturnIsOneLineBreak) {
  EXPECT_EQ(MessageDisplayText(QString::fromUtf8(GetParam().text)), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Texts, MessageDisplay,
                         ::testing::Values(DisplayCase{"One line", "One line"}, DisplayCase{"a\nb", "a\nb"},
                                           DisplayCase{"a\n\rb", "a\nb"}, DisplayCase{"a\n\n\rb", "a\n\nb"},
                                           DisplayCase{"a\n\r\n\rb", "a\n\nb"},
                                           DisplayCase{"a\n\r", "a\n"}),
                         [](const auto& p) { return std::to_string(p.index); });

TEST(QtPrompter, VersionTextShowsOneBlankLineBetweenItsParagraphs) {
  QString shown;
  QTimer::singleShot(0, [&shown] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->accept();
    }
  });
  QtPrompter prompter;
  MessageRequest request;
  request.text = QStringLiteral(
      "The configuration could not be sent to the QVA.\n\n\rThe QVA firmware version (V1.0) is not compatible "
      "with this version of QVA Setup (V1.1). \n\n\rThe correct version of QVA Setup for this QVA is available "
      "from the Ulmora website.");
  request.caption = QStringLiteral("Version Mismatch");
  prompter.Message(request);
  EXPECT_EQ(shown, QStringLiteral("The configuration could not be sent to the QVA.\n\nThe QVA firmware version "
                                  "(V1.0) is not compatible with this version of QVA Setup (V1.1). \n\nThe "
                                  "correct version of QVA Setup for this QVA is available from the Ulmora "
                                  "website."));
}

struct FilterCase {
  const char* filter;
  QStringList expected;
};

class FilterTranslation : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterTranslation, BecomesQtNameFilters) {
  EXPECT_EQ(NameFiltersFromFilter(QString::fromUtf8(GetParam().filter)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterTranslation,
    ::testing::Values(FilterCase{"QVA setup files (*.Q11)|*.Q11| V1.0 QVA setup files (*.QV1)|*.QV1",
                                 {"QVA setup files (*.Q11)", "V1.0 QVA setup files (*.QV1)"}},
                      FilterCase{"Text files|*.txt;*.csv", {"Text files (*.txt *.csv)"}},
                      FilterCase{"Misleading (*.doc)|*.Q11", {"Misleading (*.Q11)"}},
                      FilterCase{"Dangling|", {}}, FilterCase{"Only a description", {}}, FilterCase{"", {}}),
    [](const auto& p) { return std::to_string(p.index); });

}  // namespace
