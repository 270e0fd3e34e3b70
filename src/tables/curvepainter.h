#pragma once

#include <QPainter>
#include <QPalette>
#include <QRect>

#include "tables/curvedata.h"

// Draws a table's curve into a rectangle with the painter's font: a light
// grid at the ticks, tick labels in the columns' value types, the axis
// titles, and the points joined in input order (dashed in orange when the
// table could not be stored). The curve view beside a table frame and the
// printed setup sheet both draw with it, so the two always agree.
void PaintTableCurve(QPainter& painter, const TableCurve& curve, const QRect& area, const QPalette& palette);
