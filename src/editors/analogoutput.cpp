#include "editors/analogoutput.h"

#include "editors/outputtables.h"

AnalogFunctionChoice SplitAnalogFunctionCode(int code) {
  return {code % kTableCodeStep, code / kTableCodeStep};
}

CodeList AnalogFunctionItems(const QVA_CONFIG_DATA& config) {
  CodeList items = {
      {kAnalogOff, QStringLiteral("Off")},
      {kAnalogIp, QStringLiteral("Ip")},
      {kAnalogIpn, QStringLiteral("Ipn")},
  };
  for (int t = 0; t < kOutputTableCount; ++t)
    items.push_back({AnalogFunctionCode(kAnalogTable, t), OutputTableListText(config.output_table[t], t)});
  return items;
}

int StoredAnalogFunctionCode(const QVA_ANALOG_OUT_TABLE& analog) {
  if (analog.out_function != kAnalogTable) return analog.out_function;
  return AnalogFunctionCode(kAnalogTable, analog.out_table_index);
}

void StoreAnalogFunctionCode(QVA_ANALOG_OUT_TABLE& analog, int code) {
  const AnalogFunctionChoice choice = SplitAnalogFunctionCode(code);
  analog.out_function = static_cast<uint8_t>(choice.function);
  if (choice.function == kAnalogTable) analog.out_table_index = static_cast<uint8_t>(choice.table);
}

bool OutputTablesApply(int code) {
  return SplitAnalogFunctionCode(code).function == kAnalogTable;
}

ValueType AnalogInputType(const QVA_CONFIG_DATA& config, int code) {
  const AnalogFunctionChoice choice = SplitAnalogFunctionCode(code);
  switch (choice.function) {
    case kAnalogIp:
    case kAnalogIpn:
      return IpType;
    case kAnalogTable:
      if (choice.table >= 0 && choice.table < kOutputTableCount)
        return OutputColumnType(config.output_table[choice.table].decimal_places);
      break;
    default:
      break;
  }
  return PlainNumberType;
}

QString AnalogInputTitle(const ValueType& inputType) {
  return QStringLiteral("Input ") + UnitCaption(inputType, true);
}

QString AnalogOutputTitle() {
  return QStringLiteral("Aout ") + UnitCaption(OutputVoltsType, true);
}

QString DefaultOutputUnitsText() {
  return UnitCaption(OutputVoltsType, true);
}
