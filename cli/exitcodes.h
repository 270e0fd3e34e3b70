#pragma once

// The exit codes of qva-cli, the same for every command, so that scripts
// can tell a difference from a bad file and a bad file from a bad line.
enum CliExitCode : int {
  kExitSuccess = 0,
  kExitDifferent = 1,            // diff: the configurations are not byte-equal
  kExitNoMeterFound = 1,         // ports --probe: no port answered as a meter
  kExitUsageOrFile = 2,          // wrong command line, or a file that cannot be read or written
  kExitDeviceConfigInvalid = 3,  // the meter's stored configuration failed its CRC check
  kExitVersionMismatch = 4,      // the meter's firmware is not one this program works with
  kExitLinkFailure = 5,          // the port cannot be opened or the link failed
  kExitCopyFailed = 6,           // the meter could not copy the configuration to its EEPROM
  kExitNoSensorType = 7,         // the configuration has no sensor type selected
  kExitCancelled = 8,            // send --review: the differences were not accepted; nothing was sent
  kExitVerifyFailed = 9,         // send --verify: the meter holds another configuration than was sent
};
