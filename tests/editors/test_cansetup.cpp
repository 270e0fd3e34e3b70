#include <cstring>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "config/qvaconfig.h"
#include "editors/cansetup.h"
#include "support/widgettestsupport.h"

namespace {

const QString kCaption = QStringLiteral("CAN Message Setup");
const QString kCollectMaster = QStringLiteral("Collect Master");

using Bytes = std::array<uint8_t, 4>;

Bytes Idr(const QVA_CAN_MSG_CONFIG& block) {
  return {block.IDR0, block.IDR1, block.IDR2, block.IDR3};
}

// A record whose CAN blocks all hold something, reserved bytes included.
QVA_CONFIG_DATA StoredRecord() {
  QVA_CONFIG_DATA record = MakeBlankConfig();
  record.sensor_type = 1;
  record.can_output_to_send = 1;
  for (QVA_CAN_MSG_CONFIG* block : {&record.can_message_config[0], &record.can_message_config[1],
                                    &record.can_message_config[2], &record.can_message_config[3],
                                    &record.collect_master_config}) {
    *block = {0x12, 0x20, 0x00, 0x00, 4, 0x3C, {0xDE, 0xAD, 0xBE, 0xEF}};
  }
  return record;
}

bool SameBytes(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class CANSetupTest : public ::testing::Test {
 protected:
  void Open(const QVA_CONFIG_DATA& stored) {
    record = stored;
    dialog = std::make_unique<TFormCANSetup>(prompter, record);
    dialog->show();
    dialog->activateWindow();
  }
  template <typename T>
  T* Get(const char* name) {
    return Find<T>(dialog.get(), name);
  }
  QTabBar* Tabs() { return Get<QTabBar>("TabControlMessages"); }
  QLineEdit* Address() { return Get<QLineEdit>("EditAddress"); }
  QLineEdit* Compound() { return Get<QLineEdit>("EditCompoundID"); }
  QComboBox* Rate() { return Get<QComboBox>("ComboBoxMessageRate"); }
  QRadioButton* Standard() { return Get<QRadioButton>("RadioButtonIDFormatStandard"); }
  QRadioButton* Extended() { return Get<QRadioButton>("RadioButtonIDFormatExtended"); }
  // A click on the tab, as the user changes tabs.
  void ClickTab(const QString& caption) {
    for (int i = 0; i < Tabs()->count(); ++i)
      if (Tabs()->tabText(i) == caption) QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(i).center());
  }
  void Type(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
  }
  void Press(const char* button) { Get<QPushButton>(button)->click(); }
  bool Closed() const { return !dialog->isVisible(); }
  bool ShownOnTab(const char* name) { return Get<QWidget>(name)->isVisibleTo(dialog.get()); }

  HelpRecordingPrompter prompter;
  QVA_CONFIG_DATA record{};
  std::unique_ptr<TFormCANSetup> dialog;
};

TEST_F(CANSetupTest, OpensOnMessage1WithTheFixedBitRateAndTheNamedTables) {
  QVA_CONFIG_DATA stored = StoredRecord();
  std::memcpy(stored.output_table[1].output_name, "Lambda", 6);
  Open(stored);
  EXPECT_EQ(dialog->windowTitle(), kCaption);
  EXPECT_TRUE(dialog->isModal());
  QComboBox* bitRate = Get<QComboBox>("ComboBoxBitRate");
  EXPECT_FALSE(bitRate->isEnabled());
  EXPECT_EQ(bitRate->currentText(), QStringLiteral("1 Mbps"));
  EXPECT_EQ(ItemTexts(bitRate), (QStringList{"1 Mbps", "500 Kbps", "250 Kbps", "125 Kbps", "62.5 Kbps"}));
  QComboBox* output = Get<QComboBox>("ComboBoxOutputToTransmit");
  EXPECT_EQ(ItemTexts(output), (QStringList{"(Output Table 1)", "Lambda"}));
  EXPECT_EQ(output->currentText(), QStringLiteral("Lambda"));
  EXPECT_EQ(Get<QPushButton>("ButtonOutputTables")->text(), QStringLiteral("&Output Tables..."));
  QStringList tabs;
  for (int i = 0; i < Tabs()->count(); ++i) tabs << Tabs()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"Message 1", "Message 2", "Message 3", "Message 4", "Collect Master"}));
  EXPECT_EQ(Tabs()->currentIndex(), 0);
  EXPECT_EQ(ItemTexts(Rate()).size(), 7);
  EXPECT_EQ(Rate()->currentText(), QStringLiteral("10 per second"));
  EXPECT_TRUE(Standard()->isChecked());
  EXPECT_EQ(Address()->text(), QStringLiteral("091"));
  EXPECT_EQ(Compound()->text(), QStringLiteral("3C"));
  EXPECT_EQ(Get<QLineEdit>("EditBusIdentifier")->text(), QStringLiteral("0x091, standard"));
  EXPECT_EQ(Get<QLineEdit>("EditBusRegisters")->text(), QStringLiteral("12 20 00 00"));
  EXPECT_TRUE(Get<QLineEdit>("EditBusIdentifier")->isReadOnly());
  Press("ButtonHelp");
  EXPECT_EQ(prompter.helpContexts, std::vector<int>{0});
}

TEST_F(CANSetupTest, AddressesArePackedInTheCheckedFormat) {
  struct Case {
    int block;
    bool extended;
    const char* typed;
    Bytes stored;
  };
  const Case cases[] = {
      {0, false, "7FF", {0xFF, 0xE0, 0x00, 0x00}},
      {1, false, "5a3", {0xB4, 0x60, 0x00, 0x00}},
      {2, true, "1ABCDEF0", {0xD5, 0xF9, 0xBD, 0xE0}},
      {3, true, "18ff0100", {0xC7, 0xFE, 0x02, 0x00}},
      {3, true, "", {0x00, 0x18, 0x00, 0x00}},  // empty reads as 0
  };
  for (const Case& c : cases) {
    const int block = c.block;
    const QVA_CONFIG_DATA stored = StoredRecord();
    Open(stored);
    ClickTab(QStringLiteral("Message %1").arg(block + 1));
    (c.extended ? Extended() : Standard())->click();
    Type(Address(), QString::fromLatin1(c.typed));
    Press("ButtonOk");
    ASSERT_TRUE(Closed()) << c.typed;
    EXPECT_EQ(Idr(record.can_message_config[block]), c.stored) << c.typed;
    QVA_CONFIG_DATA expected = stored;
    std::memcpy(&expected.can_message_config[block], &record.can_message_config[block], 4);
    EXPECT_TRUE(SameBytes(record, expected)) << c.typed;  // rate, compound id and reserved bytes kept
  }
}

TEST_F(CANSetupTest, SwitchingToExtendedKeepsTheNumberTyped) {
  Open(StoredRecord());
  Type(Address(), "7ff");
  Extended()->click();
  EXPECT_EQ(Address()->text(), QStringLiteral("7FF"));
  EXPECT_EQ(Get<QLineEdit>("EditBusIdentifier")->text(), QStringLiteral("0x000007FF, extended"));
  EXPECT_EQ(Get<QLineEdit>("EditBusRegisters")->text(), QStringLiteral("00 18 0F FE"));
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(Idr(record.can_message_config[0]), (Bytes{0x00, 0x18, 0x0F, 0xFE}));
}

TEST_F(CANSetupTest, EntriesBeyondTheirRangeAreRefusedOnOkAndOnATabChange) {
  struct Case {
    bool extended;
    const char* address;
    const char* compound;
    const char* field;
    QString message;
  };
  const Case cases[] = {
      {true, "20000000", "00", "EditAddress",
       "'20000000' is not a valid entry for base address.\nPlease enter a hexadecimal value between 00000000 and 1FFFFFFF"},
      {false, "800", "00", "EditAddress",
       "'800' is not a valid entry for base address.\nPlease enter a hexadecimal value between 000 and 7FF"},
      {false, "0x1", "g1", "EditCompoundID",
       "'G1' is not a valid entry for compound id.\nPlease enter a hexadecimal value between 00 and FF"},
      {false, "7FF", "100", "EditCompoundID",
       "'100' is not a valid entry for compound id.\nPlease enter a hexadecimal value between 00 and FF"},
  };
  for (const bool onTabChange : {false, true}) {
    for (const Case& c : cases) {
      const QVA_CONFIG_DATA stored = StoredRecord();
      Open(stored);
      ClickTab(QStringLiteral("Message 2"));
      (c.extended ? Extended() : Standard())->click();
      Type(Address(), QString::fromLatin1(c.address));
      Type(Compound(), QString::fromLatin1(c.compound));
      prompter.ExpectMessage(c.message);
      if (onTabChange) {
        ClickTab(QStringLiteral("Message 3"));
        EXPECT_EQ(Tabs()->currentIndex(), 1) << c.address;
      } else {
        Press("ButtonOk");
      }
      EXPECT_TRUE(prompter.AllAnswered()) << c.address;
      EXPECT_EQ(prompter.Messages().back().caption, kCaption);
      EXPECT_FALSE(Closed()) << c.address;
      EXPECT_EQ(dialog->focusWidget(), Get<QLineEdit>(c.field)) << c.address;
      Press("ButtonCancel");
      EXPECT_TRUE(SameBytes(record, stored)) << c.address;
    }
  }
}

TEST_F(CANSetupTest, EditsTurnLettersUpperCaseAndTakeEightCharacters) {
  Open(StoredRecord());
  for (QLineEdit* edit : {Address(), Compound()}) {
    Type(edit, "abcdef0123");
    EXPECT_EQ(edit->text(), QStringLiteral("ABCDEF01"));
  }
}

TEST_F(CANSetupTest, CollectMasterShowsABaseAddressInPlaceOfTheFormatRow) {
  Open(StoredRecord());
  const char* messageOnly[] = {"LabelIDFormatTitle", "RadioButtonIDFormatStandard", "RadioButtonIDFormatExtended",
                               "LabelCompoundID", "EditCompoundID"};
  const auto tops = [&] {
    return std::array{Get<QWidget>("LabelBaseAddress")->y(), Address()->y(),
                      Get<QWidget>("LabelMessageRate")->y(), Rate()->y()};
  };
  for (const char* name : messageOnly) EXPECT_TRUE(ShownOnTab(name)) << name;
  EXPECT_EQ(Get<QLabel>("LabelBaseAddress")->text(), QStringLiteral("Address:"));
  EXPECT_EQ(tops(), (std::array{64, 60, 120, 116}));

  ClickTab(kCollectMaster);
  ASSERT_EQ(Tabs()->currentIndex(), 4);
  for (const char* name : messageOnly) EXPECT_FALSE(ShownOnTab(name)) << name;
  EXPECT_EQ(Get<QLabel>("LabelBaseAddress")->text(), QStringLiteral("Base Address:"));
  EXPECT_EQ(tops(), (std::array{36, 32, 64, 60}));
  EXPECT_EQ(Address()->text(), QStringLiteral("091"));

  ClickTab(QStringLiteral("Message 4"));
  for (const char* name : messageOnly) EXPECT_TRUE(ShownOnTab(name)) << name;
  EXPECT_EQ(tops(), (std::array{64, 60, 120, 116}));
}

TEST_F(CANSetupTest, CollectMasterOffDisablesTheAddressAndStoresNoIdentifier) {
  const QVA_CONFIG_DATA stored = StoredRecord();
  Open(stored);
  ClickTab(kCollectMaster);
  Type(Address(), "7FE");
  Choose(Rate(), "Off");
  EXPECT_FALSE(Address()->isEnabled());
  EXPECT_EQ(Get<QLineEdit>("EditBusRegisters")->text(), QStringLiteral("00 00 00 00"));
  Choose(Rate(), "50 per second");
  EXPECT_TRUE(Address()->isEnabled());
  Type(Address(), "800");
  Choose(Rate(), "Off");
  // Not stored while Off, but still checked.
  prompter.ExpectMessage(
      "'800' is not a valid entry for base address.\nPlease enter a hexadecimal value between 000 and 7FF");
  Press("ButtonOk");
  EXPECT_FALSE(Closed());
  EXPECT_TRUE(SameBytes(record, stored));
  Choose(Rate(), "1 per second");
  Type(Address(), "7FF");
  Choose(Rate(), "Off");
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  QVA_CAN_MSG_CONFIG expected = stored.collect_master_config;
  expected.IDR0 = expected.IDR1 = 0;
  expected.message_rate = 0;
  expected.compound_id = 0;
  EXPECT_EQ(std::memcmp(&record.collect_master_config, &expected, sizeof expected), 0);
}

TEST_F(CANSetupTest, OnAMessageTabOffKeepsTheAddressInUse) {
  Open(StoredRecord());
  Choose(Rate(), "Off");
  EXPECT_TRUE(Address()->isEnabled());
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(Idr(record.can_message_config[0]), (Bytes{0x12, 0x20, 0x00, 0x00}));
  EXPECT_EQ(record.can_message_config[0].message_rate, 0);
}

TEST_F(CANSetupTest, CollectMasterStoresAStandardIdentifierWithoutCompoundId) {
  QVA_CONFIG_DATA stored = StoredRecord();
  stored.collect_master_config = {0xC7, 0xFE, 0x02, 0x00, 0, 0x3C, {1, 2, 3, 4}};  // flagged extended, Off
  Open(stored);
  ClickTab(kCollectMaster);
  EXPECT_EQ(Address()->text(), QStringLiteral("63F"));
  EXPECT_FALSE(Address()->isEnabled());
  Choose(Rate(), "2 per second");
  Type(Address(), "5a3");
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  const QVA_CAN_MSG_CONFIG expected{0xB4, 0x60, 0x00, 0x00, 2, 0, {1, 2, 3, 4}};
  EXPECT_EQ(std::memcmp(&record.collect_master_config, &expected, sizeof expected), 0);
}

TEST_F(CANSetupTest, AStandardBlockWithStrayBytesShowsStandardAndIsStoredClean) {
  QVA_CONFIG_DATA stored = StoredRecord();
  stored.can_message_config[2] = {0xB4, 0x77, 0x5A, 0x01, 3, 0x0F, {5, 6, 7, 8}};  // bit 3 clear, IDR2 set
  Open(stored);
  ClickTab(QStringLiteral("Message 3"));
  EXPECT_TRUE(Standard()->isChecked());
  EXPECT_EQ(Address()->text(), QStringLiteral("5A3"));
  EXPECT_EQ(Compound()->text(), QStringLiteral("0F"));
  ClickTab(QStringLiteral("Message 4"));  // storing the tab on leaving it
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  const QVA_CAN_MSG_CONFIG expected{0xB4, 0x60, 0x00, 0x00, 3, 0x0F, {5, 6, 7, 8}};
  EXPECT_EQ(std::memcmp(&record.can_message_config[2], &expected, sizeof expected), 0);
}

TEST_F(CANSetupTest, ATabLeftIsKeptAndOkStoresTheFixedBitRateAndTheTable) {
  QVA_CONFIG_DATA stored = StoredRecord();
  stored.can_bit_rate = 3;
  Open(stored);
  Extended()->click();
  Type(Address(), "18FF0100");
  Type(Compound(), "a");
  Choose(Rate(), "50 per second");
  ClickTab(QStringLiteral("Message 2"));
  ASSERT_EQ(Tabs()->currentIndex(), 1);
  EXPECT_TRUE(Standard()->isChecked());
  ClickTab(QStringLiteral("Message 1"));
  EXPECT_TRUE(Extended()->isChecked());
  EXPECT_EQ(Address()->text(), QStringLiteral("18FF0100"));
  EXPECT_EQ(Compound()->text(), QStringLiteral("0A"));
  ClickTab(QStringLiteral("Message 2"));
  Choose(Get<QComboBox>("ComboBoxOutputToTransmit"), "(Output Table 1)");
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  QVA_CONFIG_DATA expected = stored;
  expected.can_bit_rate = 0;
  expected.can_output_to_send = 0;
  expected.can_message_config[0] = {0xC7, 0xFE, 0x02, 0x00, 6, 0x0A, {0xDE, 0xAD, 0xBE, 0xEF}};
  EXPECT_TRUE(SameBytes(record, expected));
}

TEST_F(CANSetupTest, OutputTablesOpensOnTheTransmittedTableAndReturnsTheOneShownLast) {
  const QVA_CONFIG_DATA stored = StoredRecord();  // transmits table 2
  for (const bool okHere : {true, false}) {
    Open(stored);
    int openedOn = -1;
    OnNextDialog([&](QDialog* editor) {
      EXPECT_EQ(editor->windowTitle(), QStringLiteral("Output Table Setup"));
      auto* tabs = Find<QTabBar>(editor, "TabControl1");
      openedOn = tabs->currentIndex();
      auto* name = Find<QLineEdit>(editor, "EditTableName");
      name->clear();
      QTest::keyClicks(name, "Wideband");
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
      EXPECT_EQ(tabs->currentIndex(), 0);
      Find<QPushButton>(editor, "ButtonOk")->click();
    });
    Press("ButtonOutputTables");
    EXPECT_EQ(openedOn, 1);
    QComboBox* output = Get<QComboBox>("ComboBoxOutputToTransmit");
    EXPECT_EQ(ItemTexts(output), (QStringList{"(Output Table 1)", "Wideband"}));
    EXPECT_EQ(output->currentText(), QStringLiteral("(Output Table 1)"));
    // The rename reaches the caller only with this dialog's OK.
    EXPECT_TRUE(SameBytes(record, stored));
    Press(okHere ? "ButtonOk" : "ButtonCancel");
    ASSERT_TRUE(Closed());
    if (okHere) {
      EXPECT_EQ(record.can_output_to_send, 0);
      EXPECT_STREQ(record.output_table[1].output_name, "Wideband");
    } else {
      EXPECT_TRUE(SameBytes(record, stored));
    }
  }
}

TEST_F(CANSetupTest, OutputTablesCancelledChangesNothingHere) {
  Open(StoredRecord());
  Type(Address(), "7FF");  // a tab being edited stays as it is
  OnNextDialog([](QDialog* editor) {
    Find<QLineEdit>(editor, "EditTableName")->setText(QStringLiteral("Gone"));
    Find<QPushButton>(editor, "ButtonCancel")->click();
  });
  Press("ButtonOutputTables");
  QComboBox* output = Get<QComboBox>("ComboBoxOutputToTransmit");
  EXPECT_EQ(ItemTexts(output), (QStringList{"(Output Table 1)", "(Output Table 2)"}));
  EXPECT_EQ(output->currentIndex(), 1);
  EXPECT_EQ(Address()->text(), QStringLiteral("7FF"));
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(record.output_table[1].output_name[0], '\0');
  EXPECT_EQ(Idr(record.can_message_config[0]), (Bytes{0xFF, 0xE0, 0x00, 0x00}));
}

TEST_F(CANSetupTest, CancelDiscardsTheTabsAlreadyStored) {
  const QVA_CONFIG_DATA stored = StoredRecord();
  Open(stored);
  Type(Address(), "7FF");
  ClickTab(QStringLiteral("Message 2"));
  Choose(Get<QComboBox>("ComboBoxOutputToTransmit"), "(Output Table 1)");
  Press("ButtonCancel");
  EXPECT_TRUE(Closed());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_TRUE(SameBytes(record, stored));
}

}  // namespace
