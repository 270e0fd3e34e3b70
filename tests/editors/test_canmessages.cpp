#include <cstring>

#include <gtest/gtest.h>

#include "config/qvaconfig.h"
#include "editors/canmessages.h"
#include "support/qtprinters.h"

namespace {

QStringList Texts(const CodeList& items) {
  QStringList texts;
  for (const CodeItem& item : items) texts << item.text;
  return texts;
}

void SetBlock(QVA_CAN_MSG_CONFIG& block, CanIdRegisters idr, int rate, int compound) {
  block.IDR0 = idr[0];
  block.IDR1 = idr[1];
  block.IDR2 = idr[2];
  block.IDR3 = idr[3];
  block.message_rate = static_cast<uint8_t>(rate);
  block.compound_id = static_cast<uint8_t>(compound);
  std::memset(block.reserved, 0xA5, sizeof block.reserved);
}

TEST(CanMessages, ListsCarryTheirCodesInOrder) {
  EXPECT_EQ(Texts(CanBitRateItems()), (QStringList{"1 Mbps", "500 Kbps", "250 Kbps", "125 Kbps", "62.5 Kbps"}));
  EXPECT_EQ(Texts(CanMessageRateItems()), (QStringList{"Off", "1 per second", "2 per second", "5 per second",
                                                       "10 per second", "20 per second", "50 per second"}));
  for (const CodeList& items : {CanBitRateItems(), CanMessageRateItems()})
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].code, static_cast<int>(i));
  EXPECT_EQ(CanTabCaptions(), (QStringList{"Message 1", "Message 2", "Message 3", "Message 4", "Collect Master"}));
}

TEST(CanMessages, TabsShowTheirBlockUnpacked) {
  QVA_CONFIG_DATA record = MakeBlankConfig();
  SetBlock(record.can_message_config[0], {0xC7, 0xFE, 0x02, 0x00}, 6, 0x0A);
  SetBlock(record.can_message_config[1], {0xB4, 0x60, 0x12, 0x34}, 2, 0xFF);  // IDR2 set, bit 3 clear
  SetBlock(record.can_message_config[3], {0x00, 0x00, 0x00, 0x00}, 9, 0);
  SetBlock(record.collect_master_config, {0xFF, 0xE8, 0x0F, 0xFE}, 1, 0x33);  // flagged extended
  struct Case {
    int tab;
    CanIdFormat format;
    const char* address;
    const char* compound;
    int rate;
  };
  const Case cases[] = {
      {0, CanIdFormat::Extended, "18FF0100", "0A", 6},
      {1, CanIdFormat::Standard, "5A3", "FF", 2},
      {2, CanIdFormat::Standard, "000", "00", 0},
      {3, CanIdFormat::Standard, "000", "00", 9},
      // Collect Master is always standard, whatever IDR1 says; it has no compound id.
      {4, CanIdFormat::Standard, "7FF", "", 1},
  };
  for (const Case& c : cases) {
    const CanTabView view = ShowCanTab(record, c.tab);
    EXPECT_EQ(view.format, c.format) << c.tab;
    EXPECT_EQ(view.addressText, QString::fromLatin1(c.address)) << c.tab;
    EXPECT_EQ(view.compoundText, QString::fromLatin1(c.compound)) << c.tab;
    EXPECT_EQ(view.rate, c.rate) << c.tab;
  }
}

TEST(CanMessages, StoringATabWritesItsSixBytesOnly) {
  struct Case {
    int tab;
    CanTabEntry entry;
    CanIdRegisters registers;
    int compound;
  };
  const Case cases[] = {
      {0, {CanIdFormat::Extended, 0x1ABCDEF0, 0x12, 5}, {0xD5, 0xF9, 0xBD, 0xE0}, 0x12},
      {2, {CanIdFormat::Standard, 0x5A3, 0xFF, 0}, {0xB4, 0x60, 0x00, 0x00}, 0xFF},
      {3, {CanIdFormat::Extended, 0x7FF, 0x300, 1}, {0x00, 0x18, 0x0F, 0xFE}, 0xFF},  // limited to 255
      {4, {CanIdFormat::Extended, 0x5A3, 0x44, 3}, {0xB4, 0x60, 0x00, 0x00}, 0},     // standard, no compound
      {4, {CanIdFormat::Standard, 0x5A3, 0, 0}, {0x00, 0x00, 0x00, 0x00}, 0},        // Off: no address
  };
  for (const Case& c : cases) {
    QVA_CONFIG_DATA record = MakeBlankConfig();
    for (int tab = 0; tab < kCanTabCount; ++tab) SetBlock(CanTabBlock(record, tab), {9, 9, 9, 9}, 9, 9);
    const QVA_CONFIG_DATA before = record;
    StoreCanTab(record, c.tab, c.entry);
    QVA_CAN_MSG_CONFIG expected = CanTabBlock(before, c.tab);
    SetBlock(expected, c.registers, c.entry.rate, c.compound);
    EXPECT_EQ(std::memcmp(&CanTabBlock(record, c.tab), &expected, sizeof expected), 0) << c.tab;
    // Nothing outside the block changes.
    std::memcpy(&CanTabBlock(record, c.tab), &CanTabBlock(before, c.tab), sizeof expected);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0) << c.tab;
  }
}

TEST(CanMessages, TheBusViewShowsWhatTheTabWouldStore) {
  struct Case {
    int tab;
    CanIdFormat checked;
    const char* address;
    int rate;
    const char* identifier;
    const char* registers;
  };
  const Case cases[] = {
      {0, CanIdFormat::Extended, "18FF0100", 1, "0x18FF0100, extended", "C7 FE 02 00"},
      {1, CanIdFormat::Standard, "7ff", 0, "0x7FF, standard", "FF E0 00 00"},
      {1, CanIdFormat::Extended, "7FF", 0, "0x000007FF, extended", "00 18 0F FE"},
      {2, CanIdFormat::Standard, "", 3, "0x000, standard", "00 00 00 00"},
      {2, CanIdFormat::Standard, "800", 3, "not a valid address", ""},
      {3, CanIdFormat::Extended, "20000000", 3, "not a valid address", ""},
      {3, CanIdFormat::Extended, "G1", 3, "not a valid address", ""},
      {4, CanIdFormat::Extended, "5A3", 2, "0x5A3, standard", "B4 60 00 00"},
      {4, CanIdFormat::Standard, "5A3", 0, "none while Off", "00 00 00 00"},
  };
  for (const Case& c : cases) {
    const CanBusView view = ShowOnBus(c.tab, c.checked, QString::fromLatin1(c.address), c.rate);
    EXPECT_EQ(view.identifier, QString::fromLatin1(c.identifier)) << c.tab << " " << c.address;
    EXPECT_EQ(view.registers, QString::fromLatin1(c.registers)) << c.tab << " " << c.address;
  }
}

}  // namespace
