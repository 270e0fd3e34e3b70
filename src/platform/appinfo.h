#pragma once

#include <QString>

// The application title: window caption, message captions, the
// single-instance lock name.
inline const QString kApplicationTitle = QStringLiteral("Ulmora Quvarant Setup");
