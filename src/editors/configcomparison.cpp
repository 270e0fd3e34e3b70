#include "editors/configcomparison.h"

#include <cstring>

#include "editors/fieldpresentation.h"

namespace {

bool SpansEqual(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b, const std::vector<ByteSpan>& spans) {
  const auto* bytesA = reinterpret_cast<const uint8_t*>(&a);
  const auto* bytesB = reinterpret_cast<const uint8_t*>(&b);
  for (const ByteSpan& span : spans) {
    if (std::size_t{span.offset} + span.size > kConfigSize) continue;
    if (std::memcmp(bytesA + span.offset, bytesB + span.offset, span.size) != 0) return false;
  }
  return true;
}

ComparisonRow RowOf(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b, const PresentedRow& rowA,
                    const PresentedRow& rowB) {
  ComparisonRow row{rowA.label, rowA.value, rowB.value};
  if (row.before == row.after) {
    row.before = SpanBytesText(a, rowA.bytes);
    row.after = SpanBytesText(b, rowB.bytes);
  }
  return row;
}

// The bytes of every row, in presentation order; they follow the layout,
// not the values, so any record gives them.
const std::vector<std::vector<ByteSpan>>& RowSpans() {
  static const std::vector<std::vector<ByteSpan>> spans = [] {
    std::vector<std::vector<ByteSpan>> rows;
    for (const PresentedSection& section : PresentConfig(MakeBlankConfig()))
      for (const PresentedItem& item : section.items)
        for (const PresentedRow& row : item.rows) rows.push_back(row.bytes);
    return rows;
  }();
  return spans;
}

}  // namespace

int CountDifferingFields(const QVA_CONFIG_DATA& before, const QVA_CONFIG_DATA& after) {
  int count = 0;
  for (const std::vector<ByteSpan>& spans : RowSpans())
    if (!SpansEqual(before, after, spans)) ++count;
  return count;
}

ConfigComparison CompareConfigs(const QVA_CONFIG_DATA& before, const QVA_CONFIG_DATA& after) {
  ConfigComparison comparison;
  comparison.equal = ConfigsEqual(before, after);
  if (comparison.equal) return comparison;
  const std::vector<PresentedSection> sectionsA = PresentConfig(before);
  const std::vector<PresentedSection> sectionsB = PresentConfig(after);
  // Both presentations have one shape; a mismatch would be a fault of the presenter.
  for (std::size_t s = 0; s < sectionsA.size() && s < sectionsB.size(); ++s) {
    ComparisonSection section{sectionsA[s].title, {}};
    const auto& itemsA = sectionsA[s].items;
    const auto& itemsB = sectionsB[s].items;
    for (std::size_t i = 0; i < itemsA.size() && i < itemsB.size(); ++i) {
      if (SpansEqual(before, after, itemsA[i].bytes)) continue;
      ComparisonItem item{itemsA[i].title, itemsA[i].bytes, {}};
      for (std::size_t r = 0; r < itemsA[i].rows.size() && r < itemsB[i].rows.size(); ++r) {
        if (!SpansEqual(before, after, itemsA[i].rows[r].bytes))
          item.rows.push_back(RowOf(before, after, itemsA[i].rows[r], itemsB[i].rows[r]));
      }
      section.items.push_back(std::move(item));
    }
    if (!section.items.empty()) comparison.sections.push_back(std::move(section));
  }
  const PresentedRow checksumA = PresentChecksum(before);
  if (!SpansEqual(before, after, checksumA.bytes))
    comparison.checksum = ComparisonRow{checksumA.label, checksumA.value, PresentChecksum(after).value};
  comparison.reservedOffsets = DifferingReservedOffsets(before, after);
  return comparison;
}
