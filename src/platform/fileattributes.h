#pragma once

#include <QString>

// The read-only attribute of a file is the absence of every write
// permission bit (owner, group, others). It is read from the bits, not by
// asking whether this process may write, so it means the same when the
// program runs as an administrator.
bool IsReadOnlyFile(const QString& path);

// Clears (readOnly) or restores the owner's write bit. Returns false when
// the attribute cannot be changed.
bool SetReadOnlyAttribute(const QString& path, bool readOnly);
