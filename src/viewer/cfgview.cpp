#include "viewer/cfgview.h"

#include <algorithm>
#include <span>

namespace {

constexpr int kListColumnWidth = 160;
constexpr int kTableColumnWidth = 50;

// Fields the device keeps for itself or that the setup windows own whole;
// the viewer does not list them.
const QString kFieldsNotShown[] = {
    QStringLiteral("display_config.table1_decimal_places"),
    QStringLiteral("display_config.table2_decimal_places"),
    QStringLiteral("prevent_sensor_timeout"),
    QStringLiteral("user_gain_factor"),
};

bool IsDirectMember(const QString& name, const QString& path) {
  if (path.isEmpty()) return !name.contains(QLatin1Char('.'));
  if (name.size() <= path.size() + 1 || !name.startsWith(path) || name[path.size()] != QLatin1Char('.'))
    return false;
  return !name.mid(path.size() + 1).contains(QLatin1Char('.'));
}

}  // namespace

std::vector<const ConfigField*> SectionFields(const QString& path, std::size_t offset, std::size_t size) {
  std::vector<const ConfigField*> fields;
  for (const ConfigField& field : ConfigFields()) {
    if (field.kind == FieldKind::Point || !IsDirectMember(field.name, path)) continue;
    if (field.offset < offset || field.offset + field.size > offset + size) continue;
    if (std::find(std::begin(kFieldsNotShown), std::end(kFieldsNotShown), field.name) != std::end(kFieldsNotShown))
      continue;
    fields.push_back(&field);
  }
  return fields;
}

void TCfgView::Attach(TCfgGrid& grid, const QVA_CONFIG_DATA& record, bool hex) {
  grid_ = &grid;
  record_ = &record;
  hex_ = hex;
  fieldRows_ = 0;
}

void TCfgView::SetupGrid() {
  TCfgGrid& grid = Grid();
  grid.ClearCells();
  // A page starts with one row; each field adds its own.
  grid.SetSize(2, 1);
  TCfgGrid::Page& page = grid.Settings();
  page.defaultColumnWidth = kListColumnWidth;
  page.fixedColumns = 1;
  page.fixedRows = 0;
  page.scrollBars = TCfgGrid::ScrollBars::Vertical;
  page.editing = true;
  page.enabled = true;
}

void TCfgView::SetValueCell(int column, int row, CellKind kind, std::size_t offset, std::size_t textSize) {
  const CellDescriptor descriptor = MakeCellDescriptor(kind, static_cast<std::ptrdiff_t>(offset), textSize);
  const auto* bytes = reinterpret_cast<const uint8_t*>(record_);
  Grid().SetCell(column, row, FormatCell(std::span(bytes, kConfigSize), descriptor, hex_), descriptor);
}

int TCfgView::NextFieldRow() {
  TCfgGrid& grid = Grid();
  const int row = fieldRows_++;
  grid.SetSize(grid.columnCount(), std::max(grid.rowCount(), fieldRows_));
  return row;
}

void TCfgView::AddUInt8Field(const QString& name, std::size_t offset) {
  const int row = NextFieldRow();
  Grid().SetCell(0, row, name);
  SetValueCell(1, row, CellKind::UInt8, offset);
}

void TCfgView::AddInt16Field(const QString& name, std::size_t offset) {
  const int row = NextFieldRow();
  Grid().SetCell(0, row, name);
  SetValueCell(1, row, CellKind::Int16, offset);
}

void TCfgView::AddUInt16Field(const QString& name, std::size_t offset) {
  const int row = NextFieldRow();
  Grid().SetCell(0, row, name);
  SetValueCell(1, row, CellKind::UInt16, offset);
}

void TCfgView::AddTextField(const QString& name, std::size_t offset, std::size_t size) {
  const int row = NextFieldRow();
  Grid().SetCell(0, row, name);
  SetValueCell(1, row, CellKind::Text, offset, size);
}

void TCfgView::AddField(const QString& name, const ConfigField& field) {
  switch (field.kind) {
    case FieldKind::Unsigned:
      if (field.size == 1) {
        AddUInt8Field(name, field.offset);
      } else {
        AddUInt16Field(name, field.offset);
      }
      return;
    case FieldKind::Signed:
      AddInt16Field(name, field.offset);
      return;
    case FieldKind::Text:
      AddTextField(name, field.offset, field.size);
      return;
    case FieldKind::Point:
      return;  // shown by the table pages
  }
}

template <typename Value>
std::vector<const ConfigField*> TCfgView2x2Table<Value>::Points() const {
  std::vector<const ConfigField*> points;
  for (const ConfigField& field : ConfigFields()) {
    if (field.kind == FieldKind::Point && field.name.startsWith(path_ + QLatin1Char('['))) points.push_back(&field);
  }
  return points;
}

template <typename Value>
void TCfgView2x2Table<Value>::SetupGrid() {
  TCfgGrid& grid = Grid();
  grid.ClearCells();
  const int entries = static_cast<int>(Points().size());
  grid.SetSize(entries + 1, 3);
  TCfgGrid::Page& page = grid.Settings();
  page.defaultColumnWidth = kTableColumnWidth;
  page.fixedColumns = 1;
  page.fixedRows = 1;
  page.scrollBars = TCfgGrid::ScrollBars::Both;
  page.editing = true;
  page.enabled = true;
  grid.SetCell(0, 0, QStringLiteral(" "));
  for (int entry = 0; entry < entries; ++entry) grid.SetCell(entry + 1, 0, QString::number(entry));
  grid.SetCell(0, 1, QStringLiteral("0"));
  grid.SetCell(0, 2, QStringLiteral("1"));
}

template <typename Value>
void TCfgView2x2Table<Value>::ShowFields() {
  int column = 1;
  for (const ConfigField* point : Points()) {
    SetValueCell(column, 1, CellKind::Int16, point->offset + offsetof(TablePoint, x));
    SetValueCell(column, 2, CellKind::Int16, point->offset + offsetof(TablePoint, y));
    ++column;
  }
}

template class TCfgView2x2Table<int16_t>;
