#include "editors/outputtables.h"

#include <algorithm>
#include <cstring>

int ChooseTableIndex(int callerIndex) {
  return callerIndex >= 0 && callerIndex < kOutputTableCount ? callerIndex : 0;
}

QString OutputTableTabText(int index) {
  return QStringLiteral("Table ") + QString::number(index + 1);
}

QString OutputTableName(const QVA_OUTPUT_CAL_TABLE& table) {
  const auto* begin = table.output_name;
  const auto* end = std::find(begin, begin + sizeof table.output_name, '\0');
  return QString::fromLatin1(begin, end - begin);
}

void SetOutputTableName(QVA_OUTPUT_CAL_TABLE& table, const QString& name) {
  std::memset(table.output_name, 0, sizeof table.output_name);
  const QString kept = name.left(kOutputNameLength);
  for (qsizetype i = 0; i < kept.size(); ++i) {
    const char16_t c = kept.at(i).unicode();
    table.output_name[i] = static_cast<char>(c <= 0xFF ? c : u'?');
  }
}

bool IsStorableNameText(const QString& text) {
  return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

QString OutputTableListText(const QVA_OUTPUT_CAL_TABLE& table, int index) {
  const QString name = OutputTableName(table).trimmed();
  if (!name.isEmpty()) return name;
  return QStringLiteral("(Output Table ") + QString::number(index + 1) + QLatin1Char(')');
}

CodeList OutputTableItems(const QVA_CONFIG_DATA& config) {
  CodeList items;
  for (int t = 0; t < kOutputTableCount; ++t) items.push_back({t, OutputTableListText(config.output_table[t], t)});
  return items;
}

int ShownDecimalPlaces(int stored) {
  return std::clamp(stored, kMinTableDecimals, kMaxTableDecimals);
}

std::optional<int> TypedDecimalPlaces(const QString& text) {
  bool ok = false;
  const int decimals = text.trimmed().toInt(&ok);
  if (!ok || decimals < kMinTableDecimals || decimals > kMaxTableDecimals) return std::nullopt;
  return decimals;
}

ValueType OutputColumnType(int decimals) {
  return DecimalPlacesType(ShownDecimalPlaces(decimals));
}

QString OutputTableInputTitle() {
  return QStringLiteral("Ipn ") + UnitCaption(IpType, true);
}
