#include <cstring>
#include <memory>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

#include "config/qvaconfig.h"
#include "editors/displaysetup.h"
#include "editors/outputtablesetup.h"
#include "test_outputgrid.h"

namespace {

const QString kCaption = QStringLiteral("Display Setup");

QVA_CONFIG_DATA Stored() {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  QVA_DISPLAY_CONFIG& display = config.display_config;
  display.output_to_display = 1;
  display.table1_decimal_places = 2;
  display.table2_decimal_places = 1;
  display.filter_time = 25;
  display.update_rate = 4;
  display.backlight_intensity = 80;
  display.reserved[1] = 0x3C;  // carried as it is
  config.output_table[0] = OutputTable("  AFR ", 1, {{500, 147}});
  config.output_table[1] = OutputTable("Lambda", 2, {{0, 100}});
  return config;
}

class DisplaySetupTest : public ::testing::Test {
 protected:
  void Open(const QVA_CONFIG_DATA& stored) {
    config = stored;
    dialog = std::make_unique<TFormDisplaySetup>(prompter, config);
    dialog->show();
    dialog->activateWindow();
  }
  QComboBox* List() { return Find<QComboBox>(dialog.get(), "ComboBoxOutputToDisplay"); }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(dialog.get(), name); }
  void Press(const char* button) { Find<QPushButton>(dialog.get(), button)->click(); }
  // Opens the output table editor from this dialog and runs action on it.
  void InOutputTables(std::function<void(QDialog*)> action) {
    bool seen = false;
    OnNextDialog([&](QDialog* tables) {
      seen = true;
      EXPECT_NE(qobject_cast<TFormOutputTableSetup*>(tables), nullptr);
      action(tables);
    });
    Press("ButtonOutputTables");
    EXPECT_TRUE(seen);
  }

  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA config{};
  std::unique_ptr<TFormDisplaySetup> dialog;
};

TEST_F(DisplaySetupTest, OpensWithTheStoredValues) {
  Open(Stored());
  EXPECT_EQ(dialog->windowTitle(), kCaption);
  EXPECT_EQ(ItemTexts(List()), (QStringList{"AFR", "Lambda"}));
  EXPECT_EQ(List()->currentText(), "Lambda");
  EXPECT_EQ(Edit("EditDecimalPlaces")->text(), "2");
  EXPECT_EQ(Edit("EditDecimalPlaces2")->text(), "1");
  EXPECT_EQ(Edit("EditFilterTime")->text(), "2.5 s");
  EXPECT_EQ(Find<QLabel>(dialog.get(), "LabelFilterTimeUnits")->text(), "( s )");
  EXPECT_EQ(Edit("EditUpdateRate")->text(), "4");
  EXPECT_EQ(Edit("EditBacklightIntensity")->text(), "80");
  EXPECT_EQ(Find<QLabel>(dialog.get(), "LabelOutputToDisplay")->text(), "O&utput To Display :");
  EXPECT_EQ(Find<QPushButton>(dialog.get(), "ButtonOutputTables")->text(), "&Output Tables...");
}

TEST_F(DisplaySetupTest, BlankNamesShowTheTableNumbers) {
  QVA_CONFIG_DATA stored = Stored();
  std::memset(stored.output_table[0].output_name, 0, 16);
  std::memset(stored.output_table[1].output_name, 0, 16);
  std::memcpy(stored.output_table[1].output_name, "   ", 3);
  Open(stored);
  EXPECT_EQ(ItemTexts(List()), (QStringList{"(Output Table 1)", "(Output Table 2)"}));
}

TEST_F(DisplaySetupTest, AnUpdateRateOf0OpensAndIsStoredAs1) {
  QVA_CONFIG_DATA stored = Stored();
  stored.display_config.update_rate = 0;
  Open(stored);
  EXPECT_EQ(Edit("EditUpdateRate")->text(), "1");
  Press("ButtonOk");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(config.display_config.update_rate, 1);
}

TEST_F(DisplaySetupTest, FilterTimeIsReadInSecondsOrMillisecondsAndCutToItsStep) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"2.5", 25, "2.5 s"}, {"2.5 s", 25, "2.5 s"}, {"2500 ms", 25, "2.5 s"},
      {"0.25", 2, "0.2 s"}, {"25.5", 255, "25.5 s"}, {"0", 0, "0.0 s"},
  };
  for (const auto& [typed, raw, shown] : cases) {
    Open(Stored());
    Edit("EditFilterTime")->setText(typed);
    Press("ButtonOk");
    EXPECT_EQ(config.display_config.filter_time, raw) << typed;
    EXPECT_EQ(Edit("EditFilterTime")->text(), shown) << typed;
  }
}

TEST_F(DisplaySetupTest, FieldsAreCheckedInOrderAndNothingIsWrittenOnAFailure) {
  struct Case {
    const char* field;
    const char* typed;
    const char* message;
  };
  // Each case also leaves every later field invalid: the first one speaks.
  const Case cases[] = {
      {"EditDecimalPlaces", "4",
       "'4' is not a valid entry for table 1 decimal places.\nPlease enter a whole number between 0 and 3."},
      {"EditDecimalPlaces2", "",
       "You should enter a value for table 2 decimal places.\nPlease enter a whole number between 0 and 3."},
      {"EditFilterTime", "30", "'30' is not a valid entry for filter time.\nPlease enter a value between 0.0 s and 25.5 s."},
      {"EditUpdateRate", "11", "'11' is not a valid entry for update rate.\nPlease enter a whole number between 1 and 10."},
      {"EditBacklightIntensity", "101",
       "'101' is not a valid entry for backlight intensity.\nPlease enter a whole number between 0 and 100."},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const QVA_CONFIG_DATA stored = Stored();
    Open(stored);
    Choose(List(), "AFR");
    for (size_t j = i; j < std::size(cases); ++j) Edit(cases[j].field)->setText(cases[j].typed);
    prompter.ExpectMessage(cases[i].message);
    Press("ButtonOk");
    EXPECT_TRUE(prompter.AllAnswered()) << cases[i].field;
    EXPECT_EQ(prompter.Messages().back().caption, kCaption);
    EXPECT_TRUE(dialog->isVisible()) << cases[i].field;
    EXPECT_EQ(dialog->focusWidget(), Edit(cases[i].field)) << cases[i].field;
    EXPECT_EQ(std::memcmp(&config, &stored, sizeof config), 0) << cases[i].field;
  }
}

TEST_F(DisplaySetupTest, OkStoresEveryFieldAndKeepsTheRest) {
  Open(Stored());
  Choose(List(), "AFR");
  TypeInto(Edit("EditDecimalPlaces"), "0");
  TypeInto(Edit("EditDecimalPlaces2"), "3");
  TypeInto(Edit("EditUpdateRate"), "10");
  TypeInto(Edit("EditBacklightIntensity"), "0");
  Press("ButtonOk");
  const QVA_DISPLAY_CONFIG& display = config.display_config;
  EXPECT_EQ(display.output_to_display, 0);
  EXPECT_EQ(display.table1_decimal_places, 0);
  EXPECT_EQ(display.table2_decimal_places, 3);
  EXPECT_EQ(display.update_rate, 10);
  EXPECT_EQ(display.backlight_intensity, 0);
  EXPECT_EQ(display.filter_time, 25);
  EXPECT_EQ(display.reserved[1], 0x3C);
}

TEST_F(DisplaySetupTest, ARenameShowsAtOnceAndCancelHereDiscardsIt) {
  const QVA_CONFIG_DATA stored = Stored();
  Open(stored);
  InOutputTables([](QDialog* tables) {
    EXPECT_EQ(Find<QTabBar>(tables, "TabControl1")->currentIndex(), 1);  // the listed table
    TypeInto(Find<QLineEdit>(tables, "EditTableName"), "Boost");
    Find<QPushButton>(tables, "ButtonOk")->click();
  });
  EXPECT_EQ(ItemTexts(List()), (QStringList{"AFR", "Boost"}));
  EXPECT_EQ(List()->currentText(), "Boost");
  Press("ButtonCancel");
  EXPECT_EQ(std::memcmp(&config, &stored, sizeof config), 0);
}

TEST_F(DisplaySetupTest, TheTableShownLastInTheEditorIsSelectedAndStoredWithOk) {
  Open(Stored());
  InOutputTables([](QDialog* tables) {
    auto* tabs = Find<QTabBar>(tables, "TabControl1");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    TypeInto(Find<QLineEdit>(tables, "EditTableName"), "");
    Find<QPushButton>(tables, "ButtonOk")->click();
  });
  EXPECT_EQ(List()->currentText(), "(Output Table 1)");
  Press("ButtonOk");
  EXPECT_EQ(config.display_config.output_to_display, 0);
  EXPECT_EQ(config.output_table[0].output_name[0], '\0');
}

TEST_F(DisplaySetupTest, CancelInTheEditorKeepsTheListAndSelection) {
  Open(Stored());
  InOutputTables([](QDialog* tables) {
    TypeInto(Find<QLineEdit>(tables, "EditTableName"), "Boost");
    Find<QPushButton>(tables, "ButtonCancel")->click();
  });
  EXPECT_EQ(ItemTexts(List()), (QStringList{"AFR", "Lambda"}));
  EXPECT_EQ(List()->currentText(), "Lambda");
}

}  // namespace
