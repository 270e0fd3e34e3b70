#include <array>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>

#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "platform/qvaerrors.h"
#include "support/scriptedprompter.h"
#include "tables/gridutils.h"
#include "tables/table2deditframe.h"

namespace {

// An output table dialog hosting the frame, as the editors build it.
class Host {
 public:
  explicit Host(ScriptedPrompter& prompter) {
    dialog.setWindowTitle("Output Tables");
    auto* layout = new QVBoxLayout(&dialog);
    frame = new TFrameTable2DEdit(prompter, &dialog);
    layout->addWidget(frame);
    layout->addWidget(new QPushButton("OK", &dialog));
    frame->SetupTable(kMaxTablePoints, IpType, DecimalPlacesType(0));
    frame->SetColumnTitle(0, "Ipn " + UnitCaption(IpType, true));
    frame->SetColumnTitle(1, "Output");
    dialog.resize(300, 400);
    dialog.show();
    dialog.activateWindow();
    grid = dialog.findChild<TStringGridTable*>("StringGridTable");
  }

  void SetText(int column, int row, const QString& text) {
    grid->model()->setData(grid->model()->index(row, column), text, Qt::EditRole);
  }
  QString Text(int column, int row) const {
    return grid->model()->data(grid->model()->index(row, column), Qt::DisplayRole).toString();
  }
  QModelIndex Current() const { return grid->currentIndex(); }
  void Click(int column, int row) {
    const QRect rect = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
  }

  QDialog dialog;
  TFrameTable2DEdit* frame = nullptr;
  TStringGridTable* grid = nullptr;
};

TEST(TableFrame, GridHasTitlesAndOneRowPerPoint) {
  ScriptedPrompter prompter;
  Host host(prompter);
  ASSERT_NE(host.grid, nullptr);
  EXPECT_EQ(host.grid->model()->rowCount(), kMaxTablePoints);
  EXPECT_EQ(host.grid->model()->columnCount(), 2);
  EXPECT_EQ(host.frame->ColumnTitle(0), "Ipn ( mA )");
  EXPECT_EQ(host.frame->ColumnTitle(1), "Output");
  EXPECT_EQ(host.grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_TRUE(host.grid->horizontalHeader()->stretchLastSection());
  EXPECT_FALSE(host.grid->verticalHeader()->isVisible());
}

TEST(TableFrame, SetupTableTitlesAreTheUnitAbbreviations) {
  ScriptedPrompter prompter;
  TFrameTable2DEdit frame(prompter);
  frame.SetupTable(8, IpType, OutputVoltsType);
  EXPECT_EQ(frame.ColumnTitle(0), "mA");
  EXPECT_EQ(frame.ColumnTitle(1), "V");
  EXPECT_EQ(frame.Grid()->model()->rowCount(), 8);
}

TEST(TableFrame, ChecksWithoutAPrompterRaiseInsteadOfLosingTheMessage) {
  TFrameTable2DEdit frame;
  EXPECT_THROW(frame.ValidateTable(), Exception);
  ScriptedPrompter prompter;
  frame.SetPrompter(&prompter);
  EXPECT_TRUE(frame.ValidateTable());
}

TEST(TableFrame, ShowAndReadPointsSortedByInput) {
  ScriptedPrompter prompter;
  Host host(prompter);
  const std::array<TablePoint, 3> shown = {{{2000, 30}, {-1000, 10}, {500, 20}}};
  host.frame->ShowPoints(shown.data(), 3);
  EXPECT_EQ(host.Text(0, 0), "2.000");
  EXPECT_EQ(host.Text(1, 2), "20");
  EXPECT_EQ(host.Current(), host.grid->model()->index(0, 0));
  TablePoint points[kMaxTablePoints] = {};
  uint8_t numRows = 0;
  EXPECT_TRUE(host.frame->ReadPoints(points, numRows));
  EXPECT_EQ(numRows, 3);
  EXPECT_EQ(points[0].x, -1000);
  EXPECT_EQ(points[1].x, 500);
  EXPECT_EQ(points[2].y, 30);
}

TEST(TableFrame, FailedValidationOpensTheEditorOnTheCell) {
  ScriptedPrompter prompter;
  Host host(prompter);
  host.SetText(0, 0, "1");
  host.SetText(1, 0, "10");
  host.SetText(0, 1, "40");
  host.SetText(1, 1, "20");
  prompter.ExpectMessage(
      "'40' is not a valid entry for Row 2.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  EXPECT_FALSE(host.frame->ValidateTable());
  EXPECT_EQ(host.Current(), host.grid->model()->index(1, 0));
  QLineEdit* editor = GetCellEditor(host.grid);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->selectedText(), "40");
  EXPECT_EQ(prompter.Messages().at(0).caption, "Output Tables");
}

struct RuleCase {
  const char* name;
  std::vector<std::array<const char*, 2>> rows;
  QString message;
  int column;
  int row;
};

TEST(TableFrame, TableRulesAreTitledWithTheCaptionOfTheDialogHoldingTheFrame) {
  // clang-format off
  const std::vector<RuleCase> cases = {
      {"blank value", {{"1", "1"}, {"", ""}, {"", ""}, {"", ""}, {"1", ""}}, "One value of a point is blank.\nYou should enter another value in this row, or leave the entire row blank.", 1, 4},
      {"duplicate", {{"1", "1"}, {"2", "2"}, {"1", "3"}}, "The table may not contain duplicate source values.\nPlease check the table entries and change or remove one of the points.", 0, 0},
      {"direction", {{"1", "1"}, {"2", "3"}, {"3", "2"}}, "The table must be either increasing or decreasing, it cannot be both.\nPlease check the table entries.", 1, 2},
  };
  // clang-format on
  for (const RuleCase& c : cases) {
    ScriptedPrompter prompter;
    Host host(prompter);
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      host.SetText(0, static_cast<int>(i), c.rows[i][0]);
      host.SetText(1, static_cast<int>(i), c.rows[i][1]);
    }
    prompter.ExpectMessage(c.message);
    EXPECT_FALSE(host.frame->ValidateTable()) << c.name;
    ASSERT_EQ(prompter.Messages().size(), 1u) << c.name;
    EXPECT_EQ(prompter.Messages().at(0).caption, "Output Tables") << c.name;
    EXPECT_EQ(host.Current(), host.grid->model()->index(c.row, c.column)) << c.name;
    EXPECT_NE(GetCellEditor(host.grid), nullptr) << c.name;
  }
}

TEST(TableFrame, LeavingAnInvalidCellIsRefused) {
  ScriptedPrompter prompter;
  Host host(prompter);
  host.SetText(0, 0, "abc");
  GoToCell(host.grid, 0, 0);
  prompter.ExpectMessage(
      "'abc' is not a valid entry for Row 1.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  host.Click(1, 3);
  EXPECT_EQ(host.Current(), host.grid->model()->index(0, 0));
  EXPECT_NE(GetCellEditor(host.grid), nullptr);
}

TEST(TableFrame, ClickingAwayFromAnOpenEditorChecksWhatWasTyped) {
  ScriptedPrompter prompter;
  Host host(prompter);
  QApplication::setActiveWindow(&host.dialog);
  GoToCell(host.grid, 0, 1);
  StartCellEdit(host.grid);
  QLineEdit* editor = GetCellEditor(host.grid);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "5 V");
  prompter.ExpectMessage(
      "'5 V' is not a valid entry for Row 2.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  host.Click(1, 6);
  EXPECT_EQ(host.Current(), host.grid->model()->index(1, 0));
  ASSERT_NE(GetCellEditor(host.grid), nullptr);
  EXPECT_EQ(GetCellEditor(host.grid)->selectedText(), "5 V");
}

TEST(TableFrame, LeavingAValidCellMovesAndRewritesIt) {
  ScriptedPrompter prompter;
  Host host(prompter);
  host.SetText(0, 0, "1.5");
  GoToCell(host.grid, 0, 0);
  host.Click(1, 3);
  EXPECT_EQ(host.Current(), host.grid->model()->index(3, 1));
  EXPECT_EQ(host.Text(0, 0), "1.500");
}

TEST(TableFrame, KeyboardMoveIsRefusedToo) {
  ScriptedPrompter prompter;
  Host host(prompter);
  host.SetText(1, 2, "x");
  GoToCell(host.grid, 1, 2);
  host.grid->setFocus();
  prompter.ExpectMessage(
      "'x' is not a valid entry for Row 3.\nPlease enter a value between -32768  and 32767 .");
  QTest::keyClick(host.grid, Qt::Key_Down);
  EXPECT_EQ(host.Current(), host.grid->model()->index(2, 1));
}

TEST(TableFrame, EnterOpensTheEditorThenChecksWithoutMoving) {
  ScriptedPrompter prompter;
  Host host(prompter);
  GoToCell(host.grid, 0, 2);
  host.grid->setFocus();
  QTest::keyClick(host.grid, Qt::Key_Return);
  QLineEdit* editor = GetCellEditor(host.grid);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "1.5");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(host.Current(), host.grid->model()->index(2, 0));
  EXPECT_EQ(host.Text(0, 2), "1.500");
  EXPECT_TRUE(prompter.Messages().empty());
}

TEST(TableFrame, EnterWithAnInvalidValueShowsTheMessage) {
  ScriptedPrompter prompter;
  Host host(prompter);
  GoToCell(host.grid, 1, 0);
  StartCellEdit(host.grid);
  QLineEdit* editor = GetCellEditor(host.grid);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "1.2.3");
  prompter.ExpectMessage(
      "'1.2.3' is not a valid entry for Row 1.\nPlease enter a value between -32768  and 32767 .");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(host.Current(), host.grid->model()->index(0, 1));
  ASSERT_NE(GetCellEditor(host.grid), nullptr);
  EXPECT_EQ(GetCellEditor(host.grid)->selectedText(), "1.2.3");
}

TEST(TableFrame, DecimalPlacesChangeTheShownNumberNotTheRawValue) {
  ScriptedPrompter prompter;
  Host host(prompter);
  const TablePoint point{1000, 147};
  host.frame->ShowPoints(&point, 1);
  host.frame->ChangeColumnFormat(1, DecimalPlacesType(2));
  EXPECT_EQ(host.Text(1, 0), "1.47");
  EXPECT_EQ(host.frame->ColumnTitle(1), "Output");
  host.frame->ChangeColumnFormat(1, DecimalPlacesType(0));
  EXPECT_EQ(host.Text(1, 0), "147");
}

TEST(TableFrame, CommitOnExitSortsValidCells) {
  ScriptedPrompter prompter;
  Host host(prompter);
  host.SetText(0, 0, "3");
  host.SetText(1, 0, "30");
  host.SetText(0, 1, "1");
  host.SetText(1, 1, "10");
  GoToCell(host.grid, 1, 0);
  EXPECT_TRUE(host.frame->CommitOnExit());
  EXPECT_EQ(host.Text(0, 0), "1.000");
  // The cursor followed its point to the second row.
  EXPECT_EQ(host.Current(), host.grid->model()->index(1, 1));
}

TEST(TableFrame, LeavingTheFrameTellsTheHostWhichControlTookTheFocus) {
  ScriptedPrompter prompter;
  Host host(prompter);
  QApplication::setActiveWindow(&host.dialog);
  auto* ok = host.dialog.findChild<QPushButton*>();
  QWidget* exitedTo = nullptr;
  int exits = 0;
  QObject::connect(host.frame, &TFrameTable2DEdit::FrameExit, [&](QWidget* now) {
    exitedTo = now;
    ++exits;
  });
  host.grid->setFocus();
  ok->setFocus();
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(exitedTo, ok);
  // The frame's own checks move the focus without reporting an exit.
  host.SetText(0, 0, "x");
  prompter.ExpectMessage(
      "'x' is not a valid entry for Row 1.\nPlease enter a value between -32.768 mA and 32.767 mA.");
  EXPECT_FALSE(host.frame->CommitOnExit());
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(host.grid->isAncestorOf(QApplication::focusWidget()));
}

struct KeyCase {
  const char* action;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  const char* shown;  // the shortcut as the context menu shows it
};

TEST(TableFrame, EveryCommandIsInTheContextMenuWithItsShortcutAndRunsOnItsKey) {
  // clang-format off
  const std::vector<KeyCase> cases = {
      {"ActionUndo", Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
      {"ActionRedo", Qt::Key_Y, Qt::ControlModifier, "Ctrl+Y"},
      {"ActionRedo", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Y"},
      {"ActionCut", Qt::Key_X, Qt::ControlModifier, "Ctrl+X"},
      {"ActionCopy", Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
      {"ActionPaste", Qt::Key_V, Qt::ControlModifier, "Ctrl+V"},
      {"ActionClear", Qt::Key_Delete, Qt::NoModifier, "Del"},
      {"ActionInsertRow", Qt::Key_Plus, Qt::ControlModifier, "Ctrl++"},
      {"ActionInsertRow", Qt::Key_Equal, Qt::ControlModifier, "Ctrl++"},
      {"ActionDeleteRows", Qt::Key_Minus, Qt::ControlModifier, "Ctrl+-"},
      {"ActionInterpolate", Qt::Key_I, Qt::ControlModifier, "Ctrl+I"},
      {"ActionAdjust", Qt::Key_J, Qt::ControlModifier, "Ctrl+J"},
      {"ActionRevert", Qt::Key_R, Qt::ControlModifier, "Ctrl+R"},
  };
  // clang-format on
  // The commands run on an empty table: the refusals that need cells.
  ScriptedPrompter prompter;
  prompter.ExpectMessage("The clipboard holds no values to paste.");
  prompter.ExpectMessage("Select three or more rows to interpolate.\nThe outputs between the first and the last selected row are set on the line between them.");
  Host host(prompter);
  QApplication::clipboard()->clear();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&host.dialog));
  host.frame->AskAdjust = [](const TableEditor&) { return std::optional<AdjustValuesRequest>(); };
  EXPECT_EQ(host.grid->contextMenuPolicy(), Qt::ActionsContextMenu);
  for (const KeyCase& c : cases) {
    QAction* action = host.frame->Action(c.action);
    ASSERT_NE(action, nullptr) << c.action;
    EXPECT_TRUE(host.grid->actions().contains(action)) << c.action;
    EXPECT_TRUE(action->isShortcutVisibleInContextMenu()) << c.action;
    EXPECT_EQ(action->shortcut().toString(QKeySequence::PortableText), c.shown) << c.action;
    action->setEnabled(true);  // Undo, Redo and Revert wait for a change otherwise
    QSignalSpy triggered(action, &QAction::triggered);
    host.grid->setFocus();
    QTest::keyClick(host.grid, c.key, c.modifiers);
    EXPECT_EQ(triggered.count(), 1) << c.action << " on " << c.shown;
    EXPECT_TRUE(host.grid->hasFocus()) << c.action;
  }
  EXPECT_TRUE(prompter.AllAnswered());
}

TEST(TableFrame, CommandsActOnTheSelectionAndKeepTheFocusOnTheirCell) {
  ScriptedPrompter prompter;
  Host host(prompter);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&host.dialog));
  QApplication::clipboard()->setText("1.5\t10\n2.5\t20\n3.5\t30\n");
  host.grid->setFocus();
  host.grid->setCurrentIndex(host.grid->model()->index(2, 0));
  host.frame->PasteCells();
  EXPECT_EQ(host.Text(0, 2), "1.5");
  EXPECT_EQ(host.Text(1, 4), "30");
  EXPECT_EQ(host.Current(), host.grid->model()->index(2, 0));
  EXPECT_EQ(host.grid->selectionModel()->selectedIndexes().size(), 6);
  // Shift+Down twice from row 3 selects the three pasted rows; Ctrl+C
  // copies them as the cell check rewrote them.
  host.grid->setCurrentIndex(host.grid->model()->index(2, 0));
  QTest::keyClick(host.grid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(host.grid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(host.grid, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(host.grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "1.500\t10\n2.500\t20\n3.500\t30\n");
  host.grid->setCurrentIndex(host.grid->model()->index(3, 1));
  QTest::keyClick(host.grid, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(host.Text(0, 3), "3.500");
  EXPECT_EQ(host.Current(), host.grid->model()->index(3, 1));
  EXPECT_TRUE(host.grid->hasFocus());
  QTest::keyClick(host.grid, Qt::Key_Delete);
  EXPECT_EQ(host.Text(1, 3), "");
  QTest::keyClick(host.grid, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(host.Text(1, 3), "30");
  // A refusal is a notice titled with the dialog's caption; nothing moves.
  QApplication::clipboard()->setText("1\t2\t3\n");
  prompter.ExpectMessage("The clipboard holds 3 columns, but the table has only 2 from the selected cell.\nNothing was pasted.");
  host.grid->setCurrentIndex(host.grid->model()->index(0, 0));
  QTest::keyClick(host.grid, Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(prompter.AllAnswered());
  EXPECT_EQ(prompter.Messages().back().caption, "Output Tables");
  EXPECT_EQ(host.Text(0, 0), "");
  EXPECT_TRUE(host.grid->hasFocus());
}

TEST(TableFrame, CellsPastedIntoAnOpenEditorArePastedAsABlock) {
  ScriptedPrompter prompter;
  Host host(prompter);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&host.dialog));
  host.grid->setFocus();
  host.grid->setCurrentIndex(host.grid->model()->index(0, 0));
  StartCellEdit(host.grid);
  QLineEdit* editor = GetCellEditor(host.grid);
  ASSERT_NE(editor, nullptr);
  QApplication::clipboard()->setText("0.500\t100\n1.000\t120\n");
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(host.Text(0, 0), "0.500");
  EXPECT_EQ(host.Text(1, 1), "120");
  // One value still goes into the text being typed.
  host.grid->setCurrentIndex(host.grid->model()->index(0, 1));
  StartCellEdit(host.grid);
  editor = GetCellEditor(host.grid);
  ASSERT_NE(editor, nullptr);
  QApplication::clipboard()->setText("7");
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), "1007");
}

TEST(TableFrame, RevertReturnsToTheShownTableAndLoadedPointsAreOneStep) {
  ScriptedPrompter prompter;
  Host host(prompter);
  const TablePoint shown[] = {{1000, 10}, {2000, 20}};
  host.frame->ShowPoints(shown, 2);
  EXPECT_FALSE(host.frame->Action("ActionUndo")->isEnabled());
  EXPECT_FALSE(host.frame->Action("ActionRevert")->isEnabled());
  const TablePoint loaded[] = {{500, 5}, {600, 6}, {700, 7}};
  host.frame->LoadPoints(loaded, 3);
  EXPECT_EQ(host.Text(0, 2), "0.700");
  host.SetText(1, 0, "9");
  host.frame->RevertTable();
  EXPECT_EQ(host.Text(0, 0), "1.000");
  EXPECT_EQ(host.Text(0, 2), "");
  host.frame->UndoEdit();
  EXPECT_EQ(host.Text(1, 0), "9");
  host.frame->UndoEdit();
  EXPECT_EQ(host.Text(1, 0), "5");
  host.frame->UndoEdit();
  EXPECT_EQ(host.Text(0, 2), "");
  EXPECT_EQ(host.Text(1, 1), "20");
  EXPECT_FALSE(host.frame->Action("ActionUndo")->isEnabled());
}

TEST(GridUtilities, ModelHelpersWorkOnAnyGridModel) {
  ScriptedPrompter prompter;
  Host host(prompter);
  QAbstractItemModel* model = host.grid->model();
  EXPECT_TRUE(IsRowBlank(model, 0));
  EXPECT_EQ(FirstBlankColumn(model, -1), 0);
  host.SetText(0, 1, "5");
  host.SetText(1, 3, " ");
  EXPECT_FALSE(IsRowBlank(model, 1));
  EXPECT_TRUE(IsRowBlank(model, 3));
  EXPECT_EQ(FirstBlankColumn(model, 1), 1);
  EXPECT_EQ(FirstBlankColumn(model, -1), 1);
  ExchangeRows(model, 1, 7);
  EXPECT_EQ(host.Text(0, 7), "5");
  EXPECT_TRUE(IsRowBlank(model, 1));
  ClearGridCells(model);
  EXPECT_TRUE(IsColumnBlank(model, 0));
  HideGridSelection(host.grid);
  EXPECT_FALSE(host.Current().isValid());
  SelectFirstCell(host.grid);
  EXPECT_EQ(host.Current(), model->index(0, 0));
}

}  // namespace
