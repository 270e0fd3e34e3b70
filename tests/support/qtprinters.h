#pragma once

#include <ostream>

#include <QByteArray>
#include <QString>

// How GoogleTest shows Qt's strings in failure messages: texts and paths in
// quotes, bytes in hexadecimal. Every test file sees these (the test support
// adds this header to the precompiled headers of every test program), so
// one type prints the same way everywhere.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
  *out << bytes.size() << " bytes: " << bytes.toHex(' ').toStdString();
}
