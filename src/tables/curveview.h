#pragma once

#include <optional>

#include <QFrame>
#include <QMetaObject>
#include <QPointer>
#include <QRectF>

#include "tables/curvedata.h"
#include "tables/curvepainter.h"

class TFrameTable2DEdit;

// The curve beside a table frame: its points, input across and output up,
// on axes titled by the frame's column titles and ticked in the columns'
// value types. It shows exactly what ReadPoints would store (TableCurve)
// and follows every change of the frame. The point under the mouse shows
// its values, the grid's current row is marked, a click on a point moves
// the grid's cursor there and dragging it up or down sets its output.
// A host adds it in one line:
//   layout->addWidget(new TCurveView(frame, this));
class TCurveView : public QFrame {
  Q_OBJECT
 public:
  explicit TCurveView(QWidget* parent = nullptr);
  explicit TCurveView(TFrameTable2DEdit* frame, QWidget* parent = nullptr);

  // Follows this frame from now on (null: empty axes).
  void Attach(TFrameTable2DEdit* frame);
  const TableCurve& Curve() const { return curve_; }
  // Where a point of Curve() is drawn in the view.
  QPointF PointPosition(std::size_t point) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 public slots:
  // Recomputes the curve from the frame's table and repaints.
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  CurveLayout CurrentLayout() const;
  // The point whose marker is under pos, or -1.
  int PointAt(const QPointF& pos) const;
  int CurrentRow() const;

  QPointer<TFrameTable2DEdit> frame_;
  QMetaObject::Connection changed_;
  QMetaObject::Connection moved_;
  TableCurve curve_;
  int hover_ = -1;
  int dragRow_ = -1;
  // The axes stay as they were at the press while a point is dragged, so
  // the point stays under the mouse.
  std::optional<CurveLayout> dragLayout_;
};
