#pragma once

#include <ostream>

#include "config/qvaconfig.h"

// Table points compared and printed by the table tests.
inline bool operator==(const TablePoint& a, const TablePoint& b) {
  return a.x == b.x && a.y == b.y;
}

inline void PrintTo(const TablePoint& point, std::ostream* out) {
  *out << '(' << point.x << ", " << point.y << ')';
}
