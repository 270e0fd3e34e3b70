#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// The port names the user picks from and the platform devices behind them.
// On Windows a name is its own device. Elsewhere each name maps to a device
// path kept in the per-machine settings root, key ApplicationKeyPath() +
// "\Port Devices", one string value per name; "COM1".."COM8" default to
// /dev/ttyS0../dev/ttyS7.

// "COM1".."COM8", in menu order.
const QStringList& CommPortNames();

// True for one of CommPortNames() (exact spelling).
bool IsCommPortName(const QString& name);

// A port as typed on a command line: one of the eight names in any case
// ("com3" is "COM3"), or the path of something that exists. Nothing when it
// is neither, so that a typo is refused before any device is opened.
std::optional<QString> ParsePortArgument(const QString& text);

// The key holding the device of each port name.
QString PortDevicesKeyPath();

// The built-in device of a port name ("/dev/ttyS2" for "COM3").
QString DefaultPortDevice(const QString& portName);

// The device a port name stands for. A name that is not one of the eight
// is a device path given directly (on a command line, for instance) and is
// used as it is, a relative one from the working directory; it comes back
// absolute. On Windows every name is its own device.
QString PortDeviceName(const QString& portName);

// Stores the device for one of the eight names; an empty device restores
// the default. Raises Exception(kApplicationKeyError) when the store cannot
// be written. Does nothing on Windows.
void SetPortDevice(const QString& portName, const QString& device);

// Whether port names map to stored devices on this platform.
bool PortDevicesConfigurable();
