// qva-cli set's readers: one NAME=VALUE assignment and a whole --from dump
// text, whatever the bytes. Nothing but the refusal (EConvertError)
// escapes; an accepted edit holds exactly its field's bytes, changes no byte
// outside the named fields (reserved bytes never), leaves every name its
// terminator, and reads back from what dump then shows to the same bytes.
// And for any record whose names are terminated, its dump read back onto
// another record of the same version reproduces the dump.
//
// Input: a selector byte (0: an assignment, 1: a dump text, 2: record
// bytes), then the text (UTF-8) or the record's bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QByteArray>
#include <QString>

#include "config/configfields.h"
#include "config/qvaconfig.h"
#include "configedits.h"
#include "configreport.h"
#include "fuzzfinding.h"
#include "platform/qvaerrors.h"

namespace {

// A record to edit: the input's bytes over a blank record.
QVA_CONFIG_DATA RecordFrom(const uint8_t* data, std::size_t size) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  std::memcpy(&config, data, std::min(size, kConfigSize));
  return config;
}

bool InsideEditedField(std::size_t offset, const std::vector<FieldEdit>& edits) {
  for (const FieldEdit& edit : edits) {
    if (offset >= edit.field->offset &&
        offset < static_cast<std::size_t>(edit.field->offset) + edit.field->size)
      return true;
  }
  return false;
}

// The rules every accepted list of edits keeps on a record.
void CheckEdits(const std::vector<FieldEdit>& edits, const QVA_CONFIG_DATA& before) {
  for (const FieldEdit& edit : edits) {
    if (!edit.field || edit.bytes.size() != edit.field->size) Finding();
    if (edit.field->kind == FieldKind::Text && edit.bytes.back() != '\0') Finding();
  }
  QVA_CONFIG_DATA after = before;
  const int changed = ApplyFieldEdits(after, edits);
  if (changed < 0 || changed > static_cast<int>(edits.size())) Finding();
  const auto* a = reinterpret_cast<const uint8_t*>(&before);
  const auto* b = reinterpret_cast<const uint8_t*>(&after);
  for (std::size_t offset = 0; offset < kConfigSize; ++offset) {
    if (a[offset] != b[offset] && (IsReservedOffset(offset) || !InsideEditedField(offset, edits))) Finding();
  }
  // Once applied, the same edits change nothing more.
  QVA_CONFIG_DATA again = after;
  if (ApplyFieldEdits(again, edits) != 0 || !ConfigsEqual(again, after)) Finding();
  // What dump shows of each edited field reads back to the same value.
  for (const FieldEdit& edit : edits) {
    const QString shown = FieldValueText(after, *edit.field);
    QVA_CONFIG_DATA reread = after;
    FieldEdit back{edit.field, ParseFieldValue(*edit.field, shown)};
    ApplyFieldEdits(reread, {back});
    if (FieldValueText(reread, *edit.field) != shown) Finding();
  }
}

void CheckAssignment(const QString& text, const QVA_CONFIG_DATA& config) {
  try {
    const FieldEdit edit = ParseAssignment(text);
    if (edit.field->name == QLatin1String("version") || edit.field->name == QLatin1String("cfg_crc16"))
      Finding();
    CheckEdits({edit}, config);
  } catch (const EConvertError& refusal) {
    if (refusal.Message().isEmpty()) Finding();
  }
}

void CheckDumpText(const QByteArray& text, const QVA_CONFIG_DATA& config) {
  try {
    const std::vector<FieldEdit> edits = ParseDumpText(text, QStringLiteral("dump.txt"), config.version);
    if (edits.empty()) Finding();
    CheckEdits(edits, config);
  } catch (const EConvertError& refusal) {
    if (!refusal.Message().startsWith(QLatin1String("dump.txt"))) Finding();
  }
}

void CheckRoundTrip(QVA_CONFIG_DATA record) {
  // Every name keeps its terminator, as the program always writes it; a name
  // that fills its whole field shows one character more than set takes back.
  auto* bytes = reinterpret_cast<uint8_t*>(&record);
  for (const ConfigField& field : ConfigFields()) {
    if (field.kind == FieldKind::Text) bytes[field.offset + field.size - 1] = 0;
  }
  const QByteArray dump = DumpText(record);
  QVA_CONFIG_DATA other = MakeBlankConfig();
  other.version = record.version;
  // A dump is always accepted: a refusal escapes as a finding.
  ApplyFieldEdits(other, ParseDumpText(dump, QStringLiteral("dump.txt"), record.version));
  if (DumpText(other) != dump) Finding();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t selector = data[0];
  const auto* rest = reinterpret_cast<const char*>(data + 1);
  const auto restSize = static_cast<qsizetype>(size - 1);
  const QVA_CONFIG_DATA record = RecordFrom(data + 1, size - 1);
  try {
    switch (selector % 3) {
      case 0:
        CheckAssignment(QString::fromUtf8(rest, restSize), MakeBlankConfig());
        break;
      case 1:
        CheckDumpText(QByteArray(rest, restSize), MakeBlankConfig());
        break;
      default:
        CheckRoundTrip(record);
        break;
    }
  } catch (const EConvertError&) {
    Finding();  // a refusal where every value must be taken
  }
  return 0;
}
