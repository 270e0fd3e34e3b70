#include "ui/validators.h"

#include <limits>

#include "platform/prompter.h"
#include "platform/qvaerrors.h"

namespace {

// Carries a range failure to the common message; its text never shows.
[[noreturn]] void ThrowOutOfRange() {
  throw EConvertError(QStringLiteral("Value out of range"));
}

QString FirstLine(const QString& text, const QString& fieldName) {
  if (text.isEmpty()) return QStringLiteral("You should enter a value for ") + fieldName + QLatin1Char('.');
  return NotValidEntryLine(text, fieldName);
}

// A plain signed decimal integer (blanks around it tolerated).
bool ParseWholeNumber(const QString& text, int32_t& value) {
  const QString trimmed = text.trimmed();
  qsizetype pos = 0;
  bool negative = false;
  if (pos < trimmed.size() && (trimmed[pos] == QLatin1Char('-') || trimmed[pos] == QLatin1Char('+'))) {
    negative = trimmed[pos] == QLatin1Char('-');
    ++pos;
  }
  if (pos == trimmed.size()) return false;
  int64_t magnitude = 0;
  for (; pos < trimmed.size(); ++pos) {
    const QChar c = trimmed[pos];
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    magnitude = magnitude * 10 + (c.unicode() - '0');
    if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  const int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(signedValue);
  return true;
}

// The value functions of each raw width, so that one validator serves both.
int16_t ParseRaw(const ValueType& type, const QString& text, int16_t) {
  return ParseValue16(type, text);
}
uint32_t ParseRaw(const ValueType& type, const QString& text, uint32_t) {
  return ParseValue32(type, text);
}
QString FormatRaw(const ValueType& type, int16_t raw, bool showUnit) {
  return FormatValue16(type, raw, showUnit);
}
QString FormatRaw(const ValueType& type, uint32_t raw, bool showUnit) {
  return FormatValue32(type, raw, showUnit);
}

// The range in the type's unit, or as raw numbers when they cannot be shown.
template <typename Raw>
QString ScaledRangeLineOf(const ValueType& type, Raw low, Raw high) {
  QString lowText;
  QString highText;
  try {
    lowText = FormatRaw(type, low, true);
    highText = FormatRaw(type, high, true);
  } catch (const Exception&) {
    lowText = QString::number(low);
    highText = QString::number(high);
  }
  return QStringLiteral("Please enter a value between ") + lowText + QStringLiteral(" and ") + highText +
         QLatin1Char('.');
}

template <typename Raw>
bool ValidateScaled(Prompter& prompter, QString& text, Raw low, Raw high, const QString& fieldName,
                    const QString& caption, const ValueType& type, bool showUnit) {
  try {
    const Raw raw = ParseRaw(type, text, Raw{});
    if (raw < low || raw > high) ThrowOutOfRange();
    text = FormatRaw(type, raw, showUnit);
    return true;
  } catch (const Exception&) {
    ShowInformation(prompter,
                    FirstLine(text, fieldName) + QLatin1Char('\n') + ScaledRangeLineOf(type, low, high),
                    caption);
    return false;
  }
}

}  // namespace

QString NotValidEntryLine(const QString& text, const QString& fieldName) {
  return QStringLiteral("'") + text + QStringLiteral("' is not a valid entry for ") + fieldName +
         QLatin1Char('.');
}

QString WholeNumberRangeLine(int32_t low, int32_t high) {
  return QStringLiteral("Please enter a whole number between ") + QString::number(low) +
         QStringLiteral(" and ") + QString::number(high) + QLatin1Char('.');
}

QString ScaledRangeLine(const ValueType& type, int16_t low, int16_t high) {
  return ScaledRangeLineOf(type, low, high);
}

QString ScaledRangeLine32(const ValueType& type, uint32_t low, uint32_t high) {
  return ScaledRangeLineOf(type, low, high);
}

bool ParseHexText(const QString& text, uint32_t& value) {
  QString digits = text.trimmed();
  if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) digits = digits.mid(2);
  uint64_t result = 0;
  for (const QChar c : digits) {
    int digit = 0;
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
      digit = c.unicode() - '0';
    } else if (c >= QLatin1Char('a') && c <= QLatin1Char('f')) {
      digit = c.unicode() - 'a' + 10;
    } else if (c >= QLatin1Char('A') && c <= QLatin1Char('F')) {
      digit = c.unicode() - 'A' + 10;
    } else {
      return false;
    }
    result = result * 16 + static_cast<uint64_t>(digit);
    if (result > std::numeric_limits<uint32_t>::max()) return false;
  }
  value = static_cast<uint32_t>(result);
  return true;
}

QString HexText(uint32_t value, int digits) {
  return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

bool ValidateWholeNumberText(Prompter& prompter, const QString& text, int32_t low, int32_t high,
                             const QString& fieldName, const QString& caption) {
  try {
    int32_t value = 0;
    if (!ParseWholeNumber(text, value)) {
      throw EConvertError(QStringLiteral("'") + text + QStringLiteral("' is not a valid integer value"));
    }
    if (value < low || value > high) ThrowOutOfRange();
    return true;
  } catch (const Exception&) {
    ShowInformation(
        prompter, FirstLine(text, fieldName) + QLatin1Char('\n') + WholeNumberRangeLine(low, high), caption);
    return false;
  }
}

bool ValidateScaledText(Prompter& prompter, QString& text, int16_t low, int16_t high,
                        const QString& fieldName, const QString& caption, const ValueType& type,
                        bool showUnit) {
  return ValidateScaled(prompter, text, low, high, fieldName, caption, type, showUnit);
}

bool ValidateScaledText32(Prompter& prompter, QString& text, uint32_t low, uint32_t high,
                          const QString& fieldName, const QString& caption, const ValueType& type,
                          bool showUnit) {
  return ValidateScaled(prompter, text, low, high, fieldName, caption, type, showUnit);
}

bool ValidateHexText(Prompter& prompter, QString& text, uint32_t low, uint32_t high, const QString& fieldName,
                     const QString& caption, int digits) {
  const QString trimmed = text.trimmed();
  uint32_t value = 0;
  if (ParseHexText(trimmed, value) && value >= low && value <= high) {
    text = HexText(value, digits);
    return true;
  }
  ShowInformation(prompter,
                  NotValidEntryLine(trimmed, fieldName) +
                      QStringLiteral("\nPlease enter a hexadecimal value between ") + HexText(low, digits) +
                      QStringLiteral(" and ") + HexText(high, digits),
                  caption);
  return false;
}
