#pragma once

#include <ostream>

#include <QString>

// Lets GoogleTest show paths and texts readably in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
