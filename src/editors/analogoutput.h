#pragma once

#include <cstdint>

#include <QString>

#include "config/qvaconfig.h"
#include "ui/fieldbindingcodes.h"
#include "ui/qvavalues.h"

// The rules of the analog output: what it follows (nothing, the pump
// current Ip, the normalised pump current Ipn or one of the two output
// tables), the calibration from that value to the output voltage and the
// default voltage.

inline const QString kAnalogOutputCaption = QStringLiteral("Analog Output Setup");

// out_function values.
enum AnalogOutFunction : int {
  kAnalogOff = 0,
  kAnalogIp = 1,
  kAnalogIpn = 2,
  kAnalogTable = 3,
};

// The default output in raw mV: 0.000 V to 5.000 V.
constexpr int16_t kMinDefaultOutput = 0;
constexpr int16_t kMaxDefaultOutput = 5000;

// A function list item packs the function and the table: function + 256 x
// table.
constexpr int kTableCodeStep = 256;
constexpr int AnalogFunctionCode(int function, int table) {
  return function + kTableCodeStep * table;
}
struct AnalogFunctionChoice {
  int function = kAnalogOff;
  int table = 0;
};
AnalogFunctionChoice SplitAnalogFunctionCode(int code);

// "Off", "Ip", "Ipn", then each output table by its list text.
CodeList AnalogFunctionItems(const QVA_CONFIG_DATA& config);

// The item a stored analog output selects. The table index counts only for
// the Table function, so Ip or Ipn stored beside a table index (a file
// loaded over a table choice) still shows as Ip or Ipn.
int StoredAnalogFunctionCode(const QVA_ANALOG_OUT_TABLE& analog);
// Writes the chosen function; the table index only with the Table function
// (otherwise it stays as stored, unused by the device).
void StoreAnalogFunctionCode(QVA_ANALOG_OUT_TABLE& analog, int code);

// The output tables editor applies only to a table item.
bool OutputTablesApply(int code);

// How the calibration input reads for a function: Ip and Ipn in mA, a
// table's output with that table's decimal places, otherwise a plain
// number. The raw values stay whatever the function.
ValueType AnalogInputType(const QVA_CONFIG_DATA& config, int code);
// "Input ( mA )", or "Input " for a plain number.
QString AnalogInputTitle(const ValueType& inputType);
// "Aout ( V )" and "( V )".
QString AnalogOutputTitle();
QString DefaultOutputUnitsText();
