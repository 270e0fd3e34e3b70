#pragma once

// Typing into and reading the table frames of the output table, display
// and analog output dialogs, found by objectName.

#include <cstring>
#include <initializer_list>

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QTest>

#include "support/widgettestsupport.h"
#include "tables/table2deditframe.h"

// A cell of the frame's grid, as the user types it (row 0: the first point).
inline void TypeCell(const QWidget* dialog, const char* frameName, int column, int row, const QString& text) {
  auto* grid = Find<TFrameTable2DEdit>(dialog, frameName)->Grid();
  grid->model()->setData(grid->model()->index(row, column), text, Qt::EditRole);
}

inline QString CellText(const QWidget* dialog, const char* frameName, int column, int row) {
  auto* grid = Find<TFrameTable2DEdit>(dialog, frameName)->Grid();
  return grid->model()->data(grid->model()->index(row, column), Qt::DisplayRole).toString();
}

// Replaces an edit's text by typing, as the user does (textEdited fires).
inline void TypeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  if (text.isEmpty())
    QTest::keyClick(edit, Qt::Key_Delete);
  else
    QTest::keyClicks(edit, text);
}

inline QVA_OUTPUT_CAL_TABLE OutputTable(const char* name, int decimals, std::initializer_list<TablePoint> points) {
  QVA_OUTPUT_CAL_TABLE table{};
  std::strncpy(table.output_name, name, sizeof table.output_name);
  table.decimal_places = static_cast<uint8_t>(decimals);
  int i = 0;
  for (const TablePoint& p : points) table.values[i++] = p;
  table.num_rows = static_cast<uint8_t>(i);
  return table;
}
