#include "editors/canmessages.h"

#include <algorithm>

#include "ui/validators.h"

namespace {

// The rows of a tab, in pixels from the top of the tab control; a label
// stands 4 pixels below its control so that their texts line up.
constexpr int kFormatRowTop = 32;
constexpr int kAddressRowTop = 60;
constexpr int kRateRowTop = 116;
constexpr int kLabelDrop = 4;

}  // namespace

QStringList CanTabCaptions() {
  return {QStringLiteral("Message 1"), QStringLiteral("Message 2"), QStringLiteral("Message 3"),
          QStringLiteral("Message 4"), QStringLiteral("Collect Master")};
}

CodeList CanBitRateItems() {
  return {
      {0, QStringLiteral("1 Mbps")},   {1, QStringLiteral("500 Kbps")},  {2, QStringLiteral("250 Kbps")},
      {3, QStringLiteral("125 Kbps")}, {4, QStringLiteral("62.5 Kbps")},
  };
}

CodeList CanMessageRateItems() {
  return {
      {0, QStringLiteral("Off")},           {1, QStringLiteral("1 per second")},
      {2, QStringLiteral("2 per second")},  {3, QStringLiteral("5 per second")},
      {4, QStringLiteral("10 per second")}, {5, QStringLiteral("20 per second")},
      {6, QStringLiteral("50 per second")},
  };
}

QVA_CAN_MSG_CONFIG& CanTabBlock(QVA_CONFIG_DATA& record, int tab) {
  return tab >= 0 && tab < kCanMessageTabs ? record.can_message_config[tab] : record.collect_master_config;
}

const QVA_CAN_MSG_CONFIG& CanTabBlock(const QVA_CONFIG_DATA& record, int tab) {
  return CanTabBlock(const_cast<QVA_CONFIG_DATA&>(record), tab);
}

CanTabLayout CanTabLayoutFor(int tab) {
  if (tab == kCollectMasterTab)
    return {false, QStringLiteral("Base Address:"), kFormatRowTop + kLabelDrop, kFormatRowTop,
            kAddressRowTop + kLabelDrop, kAddressRowTop};
  return {true, QStringLiteral("Address:"), kAddressRowTop + kLabelDrop, kAddressRowTop, kRateRowTop + kLabelDrop,
          kRateRowTop};
}

CanTabView ShowCanTab(const QVA_CONFIG_DATA& record, int tab) {
  const QVA_CAN_MSG_CONFIG& block = CanTabBlock(record, tab);
  const CanIdRegisters registers{block.IDR0, block.IDR1, block.IDR2, block.IDR3};
  CanIdentifier identifier = UnpackCanId(registers);
  if (tab == kCollectMasterTab && identifier.format == CanIdFormat::Extended)
    identifier = UnpackCanId({block.IDR0, static_cast<uint8_t>(block.IDR1 & ~kIdr1ExtendedFlag), 0, 0});
  CanTabView view;
  view.format = identifier.format;
  view.addressText = HexText(identifier.id, CanIdDigits(identifier.format));
  view.compoundText = tab == kCollectMasterTab ? QString() : HexText(block.compound_id, kCompoundIdDigits);
  view.rate = block.message_rate;
  return view;
}

bool CanAddressEnabled(int tab, int rate) {
  return tab != kCollectMasterTab || rate != kMessageRateOff;
}

CanIdFormat CanAddressFormat(int tab, CanIdFormat checked) {
  return tab == kCollectMasterTab ? CanIdFormat::Standard : checked;
}

CanIdRegisters CanTabRegisters(int tab, const CanTabEntry& entry) {
  if (tab == kCollectMasterTab && entry.rate == kMessageRateOff) return {0, 0, 0, 0};
  return PackCanId(CanAddressFormat(tab, entry.format), entry.address);
}

void StoreCanTab(QVA_CONFIG_DATA& record, int tab, const CanTabEntry& entry) {
  QVA_CAN_MSG_CONFIG& block = CanTabBlock(record, tab);
  const CanIdRegisters registers = CanTabRegisters(tab, entry);
  block.IDR0 = registers[0];
  block.IDR1 = registers[1];
  block.IDR2 = registers[2];
  block.IDR3 = registers[3];
  block.message_rate = static_cast<uint8_t>(entry.rate);
  block.compound_id = tab == kCollectMasterTab ? 0 : static_cast<uint8_t>(std::min(entry.compoundId, kMaxCompoundId));
}

CanBusView ShowOnBus(int tab, CanIdFormat checked, const QString& addressText, int rate) {
  CanTabEntry entry;
  entry.format = CanAddressFormat(tab, checked);
  entry.rate = rate;
  if (tab == kCollectMasterTab && rate == kMessageRateOff)
    return {QStringLiteral("none while Off"), CanRegistersText(CanTabRegisters(tab, entry))};
  if (!ParseHexText(addressText, entry.address) || entry.address > MaxCanId(entry.format))
    return {QStringLiteral("not a valid address"), QString()};
  return {CanIdBusText({entry.format, entry.address}), CanRegistersText(CanTabRegisters(tab, entry))};
}
