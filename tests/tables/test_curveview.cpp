#include <array>
#include <memory>

#include <QDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QStringList>
#include <QTest>
#include <QApplication>

#include <gtest/gtest.h>

#include "support/qtprinters.h"
#include "support/scriptedprompter.h"
#include "tables/curveview.h"
#include "tables/table2deditframe.h"
#include "tablepointtesting.h"

namespace {

QStringList Labels(const CurveAxis& axis) {
  QStringList labels;
  for (const CurveTick& tick : axis.ticks) labels << tick.label;
  return labels;
}

// An analog output dialog with its calibration table and the curve beside it.
class Host {
 public:
  explicit Host(ScriptedPrompter& prompter) {
    dialog.setWindowTitle("Analog Output Setup");
    auto* layout = new QHBoxLayout(&dialog);
    frame = new TFrameTable2DEdit(prompter, &dialog);
    frame->SetupTable(kMaxTablePoints, IpType, OutputVoltsType);
    frame->SetColumnTitle(0, "Input ( mA )");
    frame->SetColumnTitle(1, "Aout ( V )");
    layout->addWidget(frame);
    layout->addWidget(new TCurveView(frame, &dialog));
    dialog.show();
    view = dialog.findChild<TCurveView*>("CurveView");
  }

  void SetText(int column, int row, const QString& text) {
    QAbstractItemModel* model = frame->Grid()->model();
    model->setData(model->index(row, column), text, Qt::EditRole);
  }

  std::vector<TablePoint> Stored() {
    std::array<TablePoint, kMaxTablePoints> points{};
    int count = 0;
    EXPECT_TRUE(frame->ReadPoints(points.data(), kMaxTablePoints, count));
    return {points.begin(), points.begin() + count};
  }

  QDialog dialog;
  TFrameTable2DEdit* frame = nullptr;
  TCurveView* view = nullptr;
};

TEST(CurveView, PlotsWhatTheFrameStoresAndFollowsEveryCellTyped) {
  ScriptedPrompter prompter;
  Host host(prompter);
  ASSERT_NE(host.view, nullptr);
  EXPECT_TRUE(host.view->Curve().Points().empty());

  const std::array<TablePoint, 3> shown = {{{2000, 4500}, {-1000, 500}, {500, 2500}}};
  host.frame->ShowPoints(shown.data(), 3);
  const std::vector<TablePoint> sorted = {{-1000, 500}, {500, 2500}, {2000, 4500}};
  EXPECT_EQ(host.view->Curve().Points(), sorted);

  host.SetText(0, 3, "3");
  EXPECT_EQ(host.view->Curve().Points(), sorted) << "a half-filled row is not drawn";
  host.SetText(1, 3, "4800 mV");
  const std::vector<TablePoint> four = {{-1000, 500}, {500, 2500}, {2000, 4500}, {3000, 4800}};
  EXPECT_EQ(host.view->Curve().Points(), four);
  // The grid still holds the points in the order shown: -1000 is row 2.
  host.SetText(1, 1, "x");
  EXPECT_EQ(host.view->Curve().Points(), (std::vector<TablePoint>{{500, 2500}, {2000, 4500}, {3000, 4800}}));
  host.SetText(1, 1, "0.5");
  EXPECT_EQ(host.view->Curve().Points(), host.Stored());
  EXPECT_TRUE(host.view->toolTip().isEmpty());

  // Outputs that fall after rising: still drawn, but the user is told it
  // would not be stored.
  host.SetText(1, 2, "0.1");
  EXPECT_FALSE(host.view->Curve().Storable());
  EXPECT_EQ(host.view->Curve().Points().size(), 4U);
  EXPECT_FALSE(host.view->toolTip().isEmpty());
}

TEST(CurveView, FollowsTheColumnTypesAndTitles) {
  ScriptedPrompter prompter;
  Host host(prompter);
  EXPECT_EQ(host.view->Curve().InputTitle(), "Input ( mA )");
  EXPECT_EQ(host.view->Curve().OutputTitle(), "Aout ( V )");

  const TablePoint point{150, 2500};
  host.frame->ShowPoints(&point, 1);
  EXPECT_EQ(Labels(host.view->Curve().InputAxis(3)), QStringList({"0.10", "0.15", "0.20"}));
  host.frame->ChangeColumnFormat(0, DecimalPlacesType(1));
  host.frame->SetColumnTitle(0, "Input ");
  EXPECT_EQ(Labels(host.view->Curve().InputAxis(3)), QStringList({"10", "15", "20"}));
  EXPECT_EQ(host.view->Curve().InputTitle(), "Input");

  host.frame->SetupTable(8, PlainNumberType, PlainNumberType);
  EXPECT_EQ(host.view->Curve().OutputTitle(), "");
  EXPECT_EQ(host.view->Curve().Points(), host.Stored());
}

TEST(CurveView, OutlivesItsFrameAndCanBeMovedToAnother) {
  ScriptedPrompter prompter;
  auto first = std::make_unique<TFrameTable2DEdit>(prompter);
  TCurveView view(first.get());
  const TablePoint point{1, 2};
  first->ShowPoints(&point, 1);
  ASSERT_EQ(view.Curve().Points().size(), 1U);

  TFrameTable2DEdit second(prompter);
  view.Attach(&second);
  EXPECT_TRUE(view.Curve().Points().empty());
  first->ShowPoints(&point, 1);
  EXPECT_TRUE(view.Curve().Points().empty()) << "a detached frame no longer drives the curve";

  first.reset();
  second.ShowPoints(&point, 1);
  EXPECT_EQ(view.Curve().Points().size(), 1U);
  view.Attach(nullptr);
  EXPECT_TRUE(view.Curve().Points().empty());
}

TEST(CurveView, PaintsAtEverySize) {
  ScriptedPrompter prompter;
  TFrameTable2DEdit frame(prompter);
  TCurveView view(&frame);
  const std::array<TablePoint, 3> extremes = {{{-32768, 32767}, {0, 0}, {32767, -32768}}};
  const TablePoint single{-5, -5};
  for (const QSize size : {QSize(1, 1), QSize(30, 20), QSize(120, 90), QSize(219, 178), QSize(600, 400)}) {
    view.resize(size);
    for (int count : {0, 1, 3}) {
      frame.ShowPoints(count == 1 ? &single : extremes.data(), count);
      EXPECT_FALSE(view.grab().toImage().isNull());
    }
  }
}

// Types the rows into the grid and lays the view out wide enough to aim at.
void ShowRows(Host& host, const std::vector<std::pair<QString, QString>>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    host.SetText(0, static_cast<int>(i), rows[i].first);
    host.SetText(1, static_cast<int>(i), rows[i].second);
  }
  host.dialog.resize(600, 300);
  QApplication::processEvents();
}

TEST(CurveView, DraggingAPointSetsItsOutputAsOneStepBetweenItsNeighbours) {
  ScriptedPrompter prompter;
  Host host(prompter);
  ShowRows(host, {{"1.000", "1.000"}, {"2.000", "2.000"}, {"3.000", "4.000"}});
  const QPoint middle = host.view->PointPosition(1).toPoint();
  const QPoint top = host.view->PointPosition(2).toPoint();
  QTest::mousePress(host.view, Qt::LeftButton, {}, middle);
  EXPECT_EQ(host.frame->Grid()->currentIndex().row(), 1);
  // Half way up towards the last point, then far above it: held at 4 V.
  QTest::mouseMove(host.view, {middle.x(), (middle.y() + top.y()) / 2});
  const QString halfWay = host.frame->Grid()->model()->index(1, 1).data().toString();
  QTest::mouseMove(host.view, {middle.x(), top.y() - 50});
  QTest::mouseRelease(host.view, Qt::LeftButton, {}, {middle.x(), top.y() - 50});
  // Snapped to whole mV, a pixel or so from 3 V.
  EXPECT_NEAR(halfWay.toDouble(), 3.0, 0.1) << halfWay.toStdString();
  EXPECT_EQ(halfWay.size(), 5);
  EXPECT_EQ(host.frame->Grid()->model()->index(1, 1).data().toString(), "4.000");
  EXPECT_EQ(host.Stored(), (std::vector<TablePoint>{{1000, 1000}, {2000, 4000}, {3000, 4000}}));
  host.frame->UndoEdit();
  EXPECT_EQ(host.frame->Grid()->model()->index(1, 1).data().toString(), "2.000");
}

TEST(CurveView, ClickingAPointMovesTheGridsCursorToItsRowUnlessACellIsInvalid) {
  ScriptedPrompter prompter;
  Host host(prompter);
  ShowRows(host, {{"3.000", "3.000"}, {"1.000", "1.000"}});
  // The first point plotted (input 1 mA) stands in row 2 of the grid.
  QTest::mouseClick(host.view, Qt::LeftButton, {}, host.view->PointPosition(0).toPoint());
  EXPECT_EQ(host.frame->Grid()->currentIndex().row(), 1);
  host.SetText(1, 5, "99");  // beyond the 16-bit range of mV
  prompter.ExpectMessage("'99' is not a valid entry for Row 6.\nPlease enter a value between -32.768 V and 32.767 V.");
  QTest::mouseClick(host.view, Qt::LeftButton, {}, host.view->PointPosition(1).toPoint());
  EXPECT_TRUE(prompter.AllAnswered());
  EXPECT_EQ(host.frame->Grid()->currentIndex().row(), 5);
}

}  // namespace
