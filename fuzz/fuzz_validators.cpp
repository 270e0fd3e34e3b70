// The validators' text readers: ParseHexText and ValidateWholeNumberText
// with a prompter that records instead of showing. Whatever is typed, the
// reader never throws; a whole number is accepted exactly when the trimmed
// text is an optional sign and decimal digits whose value lies in range,
// and a rejection shows exactly one notice with the typed text; a
// hexadecimal text is accepted exactly when it is an optional "0x" and
// hexadecimal digits worth at most FFFFFFFF, and its value reads back.
//
// Input: a range selector byte, then the text (UTF-8).
#include <cstddef>
#include <cstdint>
#include <limits>

#include <QString>

#include "platform/prompter.h"
#include "ui/validators.h"
#include "fuzzfinding.h"

namespace {

class RecordingPrompter : public Prompter {
 public:
  MessageResult Message(const MessageRequest& request) override {
    ++messages;
    last = request;
    return MessageResult::Ok;
  }
  std::optional<QString> OpenFile(const FileDialogRequest&) override { Finding(); }
  std::optional<QString> SaveFile(const FileDialogRequest&) override { Finding(); }
  std::optional<QString> ChooseFolder(const QString&, const QString&) override { Finding(); }
  void ShowError(const QString&) override { Finding(); }

  int messages = 0;
  MessageRequest last;
};

bool IsDecimalDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsHexDigit(QChar c) {
  return IsDecimalDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
         (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// The value of a signed decimal text, worked out digit by digit without
// the validator's code; false when it is not one or leaves int64.
bool ReferenceWholeNumber(const QString& trimmed, int64_t& value) {
  qsizetype pos = 0;
  bool negative = false;
  if (pos < trimmed.size() && (trimmed[pos] == QLatin1Char('-') || trimmed[pos] == QLatin1Char('+'))) {
    negative = trimmed[pos] == QLatin1Char('-');
    ++pos;
  }
  if (pos == trimmed.size()) return false;
  value = 0;
  for (; pos < trimmed.size(); ++pos) {
    if (!IsDecimalDigit(trimmed[pos])) return false;
    if (value > (std::numeric_limits<int64_t>::max() - 9) / 10)
      value = std::numeric_limits<int64_t>::max() / 2;
    else
      value = value * 10 + (trimmed[pos].unicode() - '0');
  }
  if (negative) value = -value;
  return true;
}

const int32_t kRanges[][2] = {
    {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
    {0, 255},
    {1, 10},
    {-100, 100},
    {0, 0},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const auto& range = kRanges[data[0] % (sizeof kRanges / sizeof kRanges[0])];
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  const QString trimmed = text.trimmed();

  // Whole numbers.
  {
    RecordingPrompter prompter;
    const bool accepted = ValidateWholeNumberText(prompter, text, range[0], range[1],
                                                  QStringLiteral("update rate"), QStringLiteral("CAN Setup"));
    int64_t value = 0;
    const bool expected = ReferenceWholeNumber(trimmed, value) && value >= range[0] && value <= range[1];
    if (accepted != expected) Finding();
    if (accepted && prompter.messages != 0) Finding();
    if (!accepted) {
      if (prompter.messages != 1) Finding();
      if (prompter.last.caption != QStringLiteral("CAN Setup")) Finding();
      if (prompter.last.buttons != MessageButtons::Ok) Finding();
      if (!prompter.last.text.contains(QStringLiteral("update rate"))) Finding();
    }
  }

  // Hexadecimal.
  {
    uint32_t value = 0xDEADBEEF;
    const bool parsed = ParseHexText(text, value);
    QString digits = trimmed;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) digits = digits.mid(2);
    bool allHex = true;
    for (const QChar c : digits) allHex = allHex && IsHexDigit(c);
    qsizetype significant = digits.size();
    for (const QChar c : digits) {
      if (c != QLatin1Char('0')) break;
      --significant;
    }
    const bool expected = allHex && significant <= 8;
    if (parsed != expected) Finding();
    if (parsed) {
      uint32_t again = 0;
      if (!ParseHexText(HexText(value, 8), again) || again != value) Finding();
      if (digits.isEmpty() && value != 0) Finding();
      bool ok = false;
      if (!digits.isEmpty() && digits.toULongLong(&ok, 16) != value) Finding();
    }

    RecordingPrompter prompter;
    QString edited = text;
    const bool accepted = ValidateHexText(
        prompter, edited, static_cast<uint32_t>(range[0] < 0 ? 0 : range[0]), static_cast<uint32_t>(range[1]),
        QStringLiteral("base address"), QStringLiteral("CAN Setup"), 4);
    if (accepted != (prompter.messages == 0)) Finding();
    if (accepted) {
      uint32_t back = 0;
      if (!parsed || !ParseHexText(edited, back) || back != value) Finding();
    } else if (edited != text) {
      Finding();
    }
  }
  return 0;
}
