#pragma once

class QAbstractItemModel;
class QLineEdit;
class QTableView;

// Small helpers for the text grids of the table frame and the viewer. Cells
// are addressed by model column and row; the header row is the view's
// horizontal header, so every model cell is a data cell. The blank rules are
// those of the table model (TextGridRules in tables/table2dmodel.h).

// Section sizes follow the screen's pixels per inch (96 = unchanged).
void ScaleGridToScreen(QTableView* grid);
// The last column takes the width left over, unless the grid scrolls
// horizontally.
void StretchLastColumn(QTableView* grid);
// Height for the header and `visibleRows` rows.
void FitGridHeight(QTableView* grid, int visibleRows);
void AdjustGridLayout(QTableView* grid, bool fitHeight, int visibleRows = 0);

// No cell shows as selected / the first cell alone is selected.
void HideGridSelection(QTableView* grid);
void SelectFirstCell(QTableView* grid);

// The open in-place editor of the current cell, or null.
QLineEdit* GetCellEditor(const QTableView* grid);
// Opens the in-place editor on the current cell with its text selected.
void StartCellEdit(QTableView* grid);
// Commits and closes the open in-place editor, if any.
void CloseCellEditor(QTableView* grid);
void ScrollCellIntoView(QTableView* grid, int column, int row);
// Closes the editor, scrolls to the cell and selects it alone.
void GoToCell(QTableView* grid, int column, int row);

// Model helpers (display texts), by the table model's blank rules.
void ClearGridCells(QAbstractItemModel* model);
bool IsRowBlank(const QAbstractItemModel* model, int row);
bool IsColumnBlank(const QAbstractItemModel* model, int column);
int FirstBlankColumn(const QAbstractItemModel* model, int row);
void ExchangeRows(QAbstractItemModel* model, int a, int b);
