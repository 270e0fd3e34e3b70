#pragma once

#include <cstdint>

#include <QString>
#include <QStringList>

#include "config/qvaconfig.h"
#include "editors/canidentifiers.h"
#include "ui/fieldbindingcodes.h"

// The rules of the CAN message editor. The device sends its measurement in
// up to four messages and answers one more exchange, "Collect Master",
// whose base address is always a standard identifier and which is switched
// off by its rate alone. Each has a 10-byte block in the record: IDR0..IDR3,
// message_rate, compound_id and four bytes the editor leaves alone.

inline const QString kCANSetupCaption = QStringLiteral("CAN Message Setup");

constexpr int kCanMessageTabs = 4;       // "Message 1".."Message 4"
constexpr int kCollectMasterTab = 4;     // the fifth tab
constexpr int kCanTabCount = 5;

// The bus runs at 1 Mbps: the editor shows the list but always stores 0.
constexpr int kCanBitRate1Mbps = 0;
constexpr int kMessageRateOff = 0;
constexpr uint32_t kMaxCompoundId = 0xFF;
constexpr int kCompoundIdDigits = 2;

inline const QString kCompoundIdFieldName = QStringLiteral("compound id");
inline const QString kBaseAddressFieldName = QStringLiteral("base address");

QStringList CanTabCaptions();
// Bit rates, codes 0..4.
CodeList CanBitRateItems();
// Message rates, codes 0..6 (0 = Off).
CodeList CanMessageRateItems();

// The block a tab edits: a message (tab 0..3) or Collect Master (tab 4).
QVA_CAN_MSG_CONFIG& CanTabBlock(QVA_CONFIG_DATA& record, int tab);
const QVA_CAN_MSG_CONFIG& CanTabBlock(const QVA_CONFIG_DATA& record, int tab);

// Where the controls of a tab stand: Collect Master has no format and no
// compound id, so its address and rate rows move up into their place.
struct CanTabLayout {
  bool formatAndCompoundShown;
  QString addressLabel;
  int addressLabelTop;
  int addressEditTop;
  int rateLabelTop;
  int rateComboTop;
};
CanTabLayout CanTabLayoutFor(int tab);

// What a tab shows of the record.
struct CanTabView {
  CanIdFormat format;
  QString addressText;  // 3 or 8 upper-case digits
  QString compoundText; // 2 upper-case digits; empty on Collect Master
  int rate;
};
CanTabView ShowCanTab(const QVA_CONFIG_DATA& record, int tab);

// The Collect Master address can be typed only while the exchange is on.
bool CanAddressEnabled(int tab, int rate);
// The address range of a tab: Collect Master is always standard.
CanIdFormat CanAddressFormat(int tab, CanIdFormat checked);

// A tab's entries once its edits passed their checks.
struct CanTabEntry {
  CanIdFormat format = CanIdFormat::Standard;
  uint32_t address = 0;
  uint32_t compoundId = 0;
  int rate = kMessageRateOff;
};
// The register bytes a tab stores: Collect Master while Off stores zeros.
CanIdRegisters CanTabRegisters(int tab, const CanTabEntry& entry);
// Writes the tab's six bytes; the block's last four stay as they are.
void StoreCanTab(QVA_CONFIG_DATA& record, int tab, const CanTabEntry& entry);

// The read-only view of what the tab would store, as a bus log shows it.
struct CanBusView {
  QString identifier;  // "0x18FF0100, extended"
  QString registers;   // "C7 FE 02 00"
};
CanBusView ShowOnBus(int tab, CanIdFormat checked, const QString& addressText, int rate);
