#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include <QString>

#include "config/configfields.h"
#include "config/qvaconfig.h"
#include "viewer/cfgcell.h"
#include "viewer/cfggrid.h"

class CfgNode;

// One section of the record as the configuration viewer shows it: it sets
// the grid up for its page, lists its fields into it and adds its
// sub-sections to the tree. The fields and their offsets come from the
// record's description (config/configfields.h); a view names only its
// section.
class TCfgView {
 public:
  virtual ~TCfgView() = default;

  // The grid to fill next, the record it shows and the display mode.
  void Attach(TCfgGrid& grid, const QVA_CONFIG_DATA& record, bool hex);

  // Prepares the grid: a two-column name/value list, names fixed.
  virtual void SetupGrid();
  // One row per field of the section.
  virtual void ShowFields() {}
  // The section's sub-sections as children of its node; none here.
  virtual void AddChildNodes(CfgNode& node) { (void)node; }

 protected:
  TCfgGrid& Grid() { return *grid_; }
  // A cell showing the value at a record offset, with its descriptor.
  void SetValueCell(int column, int row, CellKind kind, std::size_t offset, std::size_t textSize = 0);

  // Name/value rows, one per kind.
  void AddUInt8Field(const QString& name, std::size_t offset);
  void AddInt16Field(const QString& name, std::size_t offset);
  void AddUInt16Field(const QString& name, std::size_t offset);
  void AddTextField(const QString& name, std::size_t offset, std::size_t size);
  // A field of the description, by its kind and size.
  void AddField(const QString& name, const ConfigField& field);

 private:
  int NextFieldRow();

  TCfgGrid* grid_ = nullptr;
  const QVA_CONFIG_DATA* record_ = nullptr;
  bool hex_ = false;
  int fieldRows_ = 0;
};

// The fields of the description that are direct members of the section at
// path ("" for the top level) and lie in its bytes [offset, offset + size):
// not those of its sub-sections, not table points, not the few the viewer
// leaves out. In record order.
std::vector<const ConfigField*> SectionFields(const QString& path, std::size_t offset, std::size_t size);

// A section without sub-sections: lists its own fields.
template <typename Section>
class TCfgViewClass : public TCfgView {
 public:
  TCfgViewClass(QString path, std::size_t offset) : path_(std::move(path)), offset_(offset) {}

  void ShowFields() override {
    const qsizetype prefix = path_.isEmpty() ? 0 : path_.size() + 1;
    for (const ConfigField* field : SectionFields(path_, offset_, sizeof(Section)))
      AddField(field->name.mid(prefix), *field);
  }

 protected:
  const QString& Path() const { return path_; }
  // The record path of a member of this section.
  QString Member(const QString& name) const { return path_.isEmpty() ? name : path_ + QLatin1Char('.') + name; }
  std::size_t Offset() const { return offset_; }

 private:
  QString path_;
  std::size_t offset_;
};

// A section with sub-sections: its own fields, and children it adds.
template <typename Section>
class TCfgViewParentClass : public TCfgViewClass<Section> {
 public:
  using TCfgViewClass<Section>::TCfgViewClass;
  void AddChildNodes(CfgNode& node) override = 0;
};

// A lookup table of value pairs: one column per entry, the entry numbers
// over the columns, the pair's first and second value in rows 1 and 2.
template <typename Value>
class TCfgView2x2Table : public TCfgView {
  static_assert(std::is_same_v<Value, int16_t>, "table points hold signed 16-bit values");

 public:
  // path names the table's points ("user_cal_table.values").
  explicit TCfgView2x2Table(QString path) : path_(std::move(path)) {}

  void SetupGrid() override;
  void ShowFields() override;

 private:
  std::vector<const ConfigField*> Points() const;

  QString path_;
};

using TCfgView2x2TableInt16 = TCfgView2x2Table<int16_t>;
