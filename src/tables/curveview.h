#pragma once

#include <QFrame>
#include <QMetaObject>
#include <QPointer>

#include "tables/curvedata.h"

class TFrameTable2DEdit;

// The curve beside a table frame: its points, input across and output up,
// on axes titled by the frame's column titles and ticked in the columns'
// value types. It shows exactly what ReadPoints would store (TableCurve)
// and follows every change of the frame. A host adds it in one line:
//   layout->addWidget(new TCurveView(frame, this));
class TCurveView : public QFrame {
  Q_OBJECT
 public:
  explicit TCurveView(QWidget* parent = nullptr);
  explicit TCurveView(TFrameTable2DEdit* frame, QWidget* parent = nullptr);

  // Follows this frame from now on (null: empty axes).
  void Attach(TFrameTable2DEdit* frame);
  const TableCurve& Curve() const { return curve_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 public slots:
  // Recomputes the curve from the frame's table and repaints.
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPointer<TFrameTable2DEdit> frame_;
  QMetaObject::Connection changed_;
  TableCurve curve_;
};
