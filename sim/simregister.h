#pragma once

#include <QString>

// Points one of the desktop program's port names at the simulator, so that
// the program can be tried without hardware: the per-machine settings map
// "COM1".."COM8" to devices ("Port Devices" under the application key).

namespace qvasim {

// True for "COM1".."COM8".
bool IsRegistrablePortName(const QString& portName);

// Maps portName to devicePath and, with select, makes portName the
// program's "Communications Port". Returns an error text, empty on success.
QString RegisterPort(const QString& portName, const QString& devicePath, bool select);

}  // namespace qvasim
