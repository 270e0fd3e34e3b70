#include <gtest/gtest.h>

#include "app/custommessagebox.h"
#include "support/scriptedprompter.h"

namespace {

struct BoxCase {
  const char* name;
  MessageButtons buttons;
  MessageIcon icon;
  const char* labels[3];
  MessageResult answer;
};

class CustomMessageBoxCases : public ::testing::TestWithParam<BoxCase> {};

TEST_P(CustomMessageBoxCases, PassesLabelsThroughAndAnswersAsTheStandardBox) {
  const BoxCase& c = GetParam();
  ScriptedPrompter prompter;
  prompter.ExpectMessage(QStringLiteral("Question text"), c.answer);
  const MessageResult result = CustomMessageBox(
      prompter, QStringLiteral("Question text"), QStringLiteral("Box caption"), c.buttons, c.icon,
      QString::fromUtf8(c.labels[0]), QString::fromUtf8(c.labels[1]), QString::fromUtf8(c.labels[2]), 0, 0);
  EXPECT_EQ(result, c.answer);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  const MessageRequest& request = prompter.Messages()[0];
  EXPECT_EQ(request.caption, QStringLiteral("Box caption"));
  EXPECT_EQ(request.buttons, c.buttons);
  EXPECT_EQ(request.icon, c.icon);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(request.labels[i], QString::fromUtf8(c.labels[i])) << "button " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Boxes, CustomMessageBoxCases,
                         ::testing::Values(BoxCase{"SaveLoseCancelLoseIsNo",
                                                   MessageButtons::YesNoCancel,
                                                   MessageIcon::Exclamation,
                                                   {"&Save", "&Lose", ""},
                                                   MessageResult::No},
                                           BoxCase{"SaveLoseCancelSaveIsYes",
                                                   MessageButtons::YesNoCancel,
                                                   MessageIcon::Exclamation,
                                                   {"&Save", "&Lose", ""},
                                                   MessageResult::Yes},
                                           BoxCase{"SaveLoseCancelCancel",
                                                   MessageButtons::YesNoCancel,
                                                   MessageIcon::Exclamation,
                                                   {"&Save", "&Lose", ""},
                                                   MessageResult::Cancel},
                                           BoxCase{"SaveCancelSaveIsOk",
                                                   MessageButtons::OkCancel,
                                                   MessageIcon::Exclamation,
                                                   {"&Save", "", ""},
                                                   MessageResult::Ok},
                                           BoxCase{"PlainLabelsKept",
                                                   MessageButtons::RetryCancel,
                                                   MessageIcon::Information,
                                                   {"", "", ""},
                                                   MessageResult::Retry}),
                         [](const ::testing::TestParamInfo<BoxCase>& p) {
                           return std::string(p.param.name);
                         });

TEST(CustomMessageBox, SaveLoseHelperAsksYesNoCancelWithExclamation) {
  ScriptedPrompter prompter;
  prompter.ExpectMessage(QStringLiteral("Text"), MessageResult::No);
  EXPECT_EQ(AskSaveLoseCancel(prompter, QStringLiteral("Text"), QStringLiteral("Cap")), MessageResult::No);
  const MessageRequest& request = prompter.Messages().at(0);
  EXPECT_EQ(request.buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(request.icon, MessageIcon::Exclamation);
  EXPECT_EQ(request.labels[0], QStringLiteral("&Save"));
  EXPECT_EQ(request.labels[1], QStringLiteral("&Lose"));
  EXPECT_TRUE(request.labels[2].isEmpty());
}

TEST(CustomMessageBox, SaveCancelHelperRelabelsOnlyOk) {
  ScriptedPrompter prompter;
  prompter.ExpectMessage(QStringLiteral("Text"), MessageResult::Cancel);
  EXPECT_EQ(AskSaveCancel(prompter, QStringLiteral("Text"), QStringLiteral("Cap")), MessageResult::Cancel);
  const MessageRequest& request = prompter.Messages().at(0);
  EXPECT_EQ(request.buttons, MessageButtons::OkCancel);
  EXPECT_EQ(request.labels[0], QStringLiteral("&Save"));
  EXPECT_TRUE(request.labels[1].isEmpty());
}

}  // namespace
