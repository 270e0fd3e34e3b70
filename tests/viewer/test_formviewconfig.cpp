#include <cstring>
#include <memory>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "support/qtprinters.h"
#include "tables/gridutils.h"
#include "viewer/formviewconfig.h"
#include "viewertestsupport.h"
#include "support/widgettestsupport.h"

namespace {

class FormViewConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetViewerHexMode(false);
    config.output_table[0].num_rows = 5;
    config.analog_out_table.default_output = -1;
    Open();
  }

  void Open() {
    form = std::make_unique<TFormViewConfig>(prompter, config);
    form->show();
    tree = Find<QTreeWidget>(form.get(), "TreeView1");
    grid = Find<QTableView>(form.get(), "StringGrid1");
    hexMode = Find<QCheckBox>(form.get(), "CheckBoxHexMode");
  }

  // Selects the tree item at a path of labels ("Config/output_table/0").
  void Select(const QString& path) {
    QTreeWidgetItem* item = nullptr;
    for (const QString& label : path.split(QLatin1Char('/'))) {
      QTreeWidgetItem* next = nullptr;
      const int count = item != nullptr ? item->childCount() : tree->topLevelItemCount();
      for (int i = 0; i < count && next == nullptr; ++i) {
        QTreeWidgetItem* candidate = item != nullptr ? item->child(i) : tree->topLevelItem(i);
        if (candidate->text(0) == label) next = candidate;
      }
      ASSERT_NE(next, nullptr) << path.toStdString();
      item = next;
    }
    tree->setCurrentItem(item);
  }

  QString Cell(int column, int row) const { return grid->model()->index(row, column).data().toString(); }

  // Makes the cell current and opens its editor with Enter, as a user does.
  QLineEdit* Edit(int column, int row) {
    grid->setCurrentIndex(grid->model()->index(row, column));
    QTest::keyClick(grid, Qt::Key_Return);
    QLineEdit* editor = GetCellEditor(grid);
    EXPECT_NE(editor, nullptr) << "no editor at " << column << ", " << row;
    return editor;
  }

  // Types over the cell's text and leaves the editor open.
  QLineEdit* Type(int column, int row, const QString& text) {
    QLineEdit* editor = Edit(column, row);
    if (editor == nullptr) return nullptr;
    editor->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(editor, Qt::Key_Delete);
    } else {
      QTest::keyClicks(editor, text);
    }
    return editor;
  }

  // Types and presses Enter in the editor.
  void Enter(int column, int row, const QString& text) {
    if (QLineEdit* editor = Type(column, row, text)) QTest::keyClick(editor, Qt::Key_Return);
  }

  void ClickCell(int column, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  }

  // The cell a user sees at a point of the grid, whichever view draws it.
  QModelIndex ShownAt(const QPoint& pointInGrid) const {
    QWidget* widget = grid->childAt(pointInGrid);
    auto* view = widget != nullptr ? qobject_cast<QAbstractItemView*>(widget->parentWidget()) : nullptr;
    return view != nullptr ? view->indexAt(widget->mapFrom(grid, pointInGrid)) : QModelIndex();
  }

  QVA_CONFIG_DATA config = MakeBlankConfig();
  BeepCountingPrompter prompter;
  std::unique_ptr<TFormViewConfig> form;
  QTreeWidget* tree = nullptr;
  QTableView* grid = nullptr;
  QCheckBox* hexMode = nullptr;
};

TEST_F(FormViewConfigTest, OpensOnTheNoDetailsPageWithTheTreeOfSections) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("View QVA Configuration"));
  EXPECT_EQ(hexMode->text(), QStringLiteral("Show data in &hexadecimal"));
  EXPECT_FALSE(hexMode->isChecked());
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QStringList sections;
  for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i) sections << tree->topLevelItem(0)->child(i)->text(0);
  EXPECT_EQ(sections, (QStringList{"can_message_config", "display_config", "output_table", "analog_out_table",
                                   "user_cal_table", "pid_settings"}));
  EXPECT_EQ(Cell(0, 0), QStringLiteral("No details for this item."));
  EXPECT_FALSE(grid->isEnabled());
  EXPECT_TRUE(Find<QPushButton>(form.get(), "ButtonClose")->isDefault());
}

TEST_F(FormViewConfigTest, HexModeShowsBitPatternsAndDecimalSignedValues) {
  Select(QStringLiteral("Config"));
  EXPECT_EQ(Cell(0, 0), QStringLiteral("version"));
  EXPECT_EQ(Cell(1, 0), QStringLiteral("110"));
  hexMode->click();
  EXPECT_EQ(Cell(1, 0), QStringLiteral("0x006E"));
  EXPECT_EQ(Cell(1, 2), QStringLiteral("0x00")) << "sensor_type, one byte";
  Select(QStringLiteral("Config/analog_out_table"));
  EXPECT_EQ(Cell(0, 3), QStringLiteral("default_output"));
  EXPECT_EQ(Cell(1, 3), QStringLiteral("0xFFFF"));
  hexMode->click();
  EXPECT_EQ(Cell(1, 3), QStringLiteral("-1"));
  EXPECT_EQ(prompter.beeps, 0);
}

TEST_F(FormViewConfigTest, HexModeCarriesOverToTheNextViewer) {
  hexMode->click();
  form.reset();
  Open();
  EXPECT_TRUE(hexMode->isChecked());
  Select(QStringLiteral("Config"));
  EXPECT_EQ(Cell(1, 0), QStringLiteral("0x006E"));
}

TEST_F(FormViewConfigTest, EnterStoresWhatIsValidAndRestoresWhatIsNot) {
  Select(QStringLiteral("Config/output_table/0"));
  ASSERT_EQ(Cell(0, 1), QStringLiteral("num_rows"));
  struct Case {
    const char* typed;
    int stored;
    const char* shown;
    int beeps;
  };
  const Case cases[] = {{"256", 5, "5", 1}, {"0x20", 32, "32", 0}, {"010", 8, "8", 0}};
  for (const Case& c : cases) {
    prompter.beeps = 0;
    Enter(1, 1, QString::fromLatin1(c.typed));
    EXPECT_EQ(config.output_table[0].num_rows, c.stored) << c.typed;
    EXPECT_EQ(Cell(1, 1), QString::fromLatin1(c.shown)) << c.typed;
    EXPECT_EQ(prompter.beeps, c.beeps) << c.typed;
    EXPECT_EQ(GetCellEditor(grid), nullptr) << c.typed;
    EXPECT_TRUE(form->isVisible()) << "Enter in the grid does not press Close";
  }
}

TEST_F(FormViewConfigTest, SignedAndUnsignedSixteenBitRanges) {
  config.pid_settings.ntk_sensor.p = 100;
  Select(QStringLiteral("Config/pid_settings/ntk_sensor"));
  ASSERT_EQ(Cell(0, 0), QStringLiteral("p"));
  Enter(1, 0, QStringLiteral("32768"));
  EXPECT_EQ(prompter.beeps, 1);
  EXPECT_EQ(config.pid_settings.ntk_sensor.p, 100);
  EXPECT_EQ(Cell(1, 0), QStringLiteral("100"));
  Enter(1, 0, QStringLiteral("-32768"));
  EXPECT_EQ(prompter.beeps, 1);
  EXPECT_EQ(config.pid_settings.ntk_sensor.p, -32768);

  config.user_cal_resistor = 1000;
  Select(QStringLiteral("Config"));
  ASSERT_EQ(Cell(0, 5), QStringLiteral("user_cal_resistor"));
  Enter(1, 5, QStringLiteral("-1"));
  EXPECT_EQ(prompter.beeps, 2);
  EXPECT_EQ(config.user_cal_resistor, 1000);
  EXPECT_EQ(Cell(1, 5), QStringLiteral("1000"));
}

TEST_F(FormViewConfigTest, AClearedCellStoresZeroWhenLeft) {
  config.sensor_type = 3;
  Select(QStringLiteral("Config"));
  Type(1, 2, QString());
  ClickCell(1, 3);
  EXPECT_EQ(config.sensor_type, 0);
  EXPECT_EQ(Cell(1, 2), QStringLiteral("0"));
  EXPECT_EQ(prompter.beeps, 0);
}

TEST_F(FormViewConfigTest, TableCellsCommitWhenTheCurrentCellMoves) {
  Select(QStringLiteral("Config/user_cal_table/values"));
  EXPECT_EQ(Cell(0, 0), QStringLiteral(" "));
  EXPECT_EQ(Cell(32, 0), QStringLiteral("31"));
  Type(3, 2, QStringLiteral("-0x10"));
  ClickCell(4, 1);
  EXPECT_EQ(config.user_cal_table.values[2].y, -16);
  EXPECT_EQ(Cell(3, 2), QStringLiteral("-16"));
}

TEST_F(FormViewConfigTest, TablePagesKeepTheRowLabelsInViewWhenScrolledRight) {
  Select(QStringLiteral("Config/user_cal_table/values"));
  const QRect cells = grid->viewport()->geometry();
  const int rowMiddle = grid->rowHeight(0) + grid->rowHeight(1) / 2;
  QScrollBar* sideways = grid->horizontalScrollBar();
  ASSERT_GT(sideways->maximum(), 0) << "the page is wider than the grid";
  sideways->setValue(sideways->maximum());
  const QModelIndex label = ShownAt(cells.topLeft() + QPoint(4, rowMiddle));
  EXPECT_EQ(label.column(), 0);
  EXPECT_EQ(label.data().toString(), QStringLiteral("0"));
  // Back to the first entry with Home: it comes out beside the labels, not under them.
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(1, 20));
  QTest::keyClick(grid, Qt::Key_Home);
  ASSERT_EQ(grid->currentIndex(), grid->model()->index(1, 1));
  const QRect first = grid->visualRect(grid->currentIndex());
  EXPECT_EQ(ShownAt(cells.topLeft() + first.center()), grid->currentIndex());
}

TEST_F(FormViewConfigTest, OutputNameTakesFifteenCharactersAndKeepsItsTerminator) {
  std::memset(config.output_table[1].output_name, 'Z', 16);
  config.output_table[1].num_rows = 9;
  Select(QStringLiteral("Config/output_table/1"));
  ASSERT_EQ(Cell(0, 0), QStringLiteral("output_name"));
  QLineEdit* editor = Type(1, 0, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(QByteArray(config.output_table[1].output_name, 16), QByteArray("ABCDEFGHIJKLMNO\0", 16));
  EXPECT_EQ(config.output_table[1].num_rows, 9);
  EXPECT_EQ(Cell(1, 0), QStringLiteral("ABCDEFGHIJKLMNO"));
}

TEST_F(FormViewConfigTest, PlainNodesShowNoDetailsInADisabledGrid) {
  for (const char* path : {"Config/can_message_config", "Config/output_table"}) {
    Select(QString::fromLatin1(path));
    EXPECT_EQ(grid->model()->rowCount(), 1) << path;
    EXPECT_EQ(grid->model()->columnCount(), 1) << path;
    EXPECT_EQ(Cell(0, 0), QStringLiteral("No details for this item.")) << path;
    EXPECT_FALSE(grid->isEnabled()) << path;
    EXPECT_FALSE(grid->currentIndex().isValid()) << path;
  }
  Select(QStringLiteral("Config/pid_settings"));
  EXPECT_TRUE(grid->isEnabled());
  EXPECT_EQ(grid->model()->columnCount(), 2);
  for (int row = 0; row < grid->model()->rowCount(); ++row) {
    EXPECT_EQ(Cell(0, row), QString()) << row;
    EXPECT_EQ(Cell(1, row), QString()) << row;
  }
}

TEST_F(FormViewConfigTest, LeavingTheNodeOrSwitchingTheModeCommitsTheOpenEditor) {
  Select(QStringLiteral("Config/display_config"));
  ASSERT_EQ(Cell(0, 3), QStringLiteral("backlight_intensity"));
  Type(1, 3, QStringLiteral("77"));
  Select(QStringLiteral("Config/user_cal_table"));
  EXPECT_EQ(config.display_config.backlight_intensity, 77);

  Type(1, 0, QStringLiteral("12"));
  hexMode->click();
  EXPECT_EQ(config.user_cal_table.num_rows, 12);
  EXPECT_EQ(Cell(1, 0), QStringLiteral("0x0C"));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 1)) << "the same cell stays current";
}

TEST_F(FormViewConfigTest, NamesAndHeadersAreNotEditable) {
  Select(QStringLiteral("Config/display_config"));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 1)) << "the first value cell";
  ClickCell(0, 2);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 1));
  QTest::keyClick(grid, Qt::Key_Left);
  EXPECT_EQ(grid->currentIndex().column(), 1);
  EXPECT_FALSE(grid->model()->flags(grid->model()->index(2, 0)) & Qt::ItemIsEditable);
}

}  // namespace
