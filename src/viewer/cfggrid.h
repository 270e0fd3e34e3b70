#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QString>

#include "viewer/cfgcell.h"

// The text grid of the configuration viewer as a model: every cell holds
// its text and its descriptor, and the page settings (size, fixed rows and
// columns, column width, scroll bars, editing) that a section view chose.
// The window's grid shows it and applies the settings; the rules fill and
// read it without a widget.
class TCfgGrid : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum class ScrollBars { None, Vertical, Both };
  // Roles beyond Qt's: whether a cell is fixed (names, headers), and its
  // descriptor.
  static constexpr int kFixedRole = Qt::UserRole + 1;
  static constexpr int kDescriptorRole = Qt::UserRole + 2;

  struct Page {
    int defaultColumnWidth = 100;
    int fixedColumns = 0;
    int fixedRows = 0;
    ScrollBars scrollBars = ScrollBars::None;
    bool editing = false;
    bool enabled = true;
  };

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // The in-place editor's text; the descriptor stays.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Blanks every cell (texts and descriptors); the size stays.
  void ClearCells();
  // A new size; cells inside both sizes keep their contents.
  void SetSize(int columns, int rows);
  void SetCell(int column, int row, const QString& text, CellDescriptor descriptor = 0);
  QString Text(int column, int row) const;
  CellDescriptor Descriptor(int column, int row) const;
  bool IsFixed(int column, int row) const;

  // After a page is filled: views of the grid start over with its size,
  // settings and cells.
  void PageReady();

  Page& Settings() { return page_; }
  const Page& Settings() const { return page_; }

 private:
  struct Cell {
    QString text;
    CellDescriptor descriptor = 0;
  };
  const Cell* At(int column, int row) const;

  int columns_ = 1;
  int rows_ = 1;
  std::vector<Cell> cells_ = std::vector<Cell>(1);
  Page page_;
};
