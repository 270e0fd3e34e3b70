// Setup file reader: any bytes either parse to a record or raise one of the
// file errors; nothing is read past the input.
#include <cstddef>
#include <cstdint>

#include <QByteArray>

#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "fuzzfinding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input, so that the sanitizer sees any overread.
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    const QVA_CONFIG_DATA config = ParseSetupFile(bytes);
    // What parses must write back to the same record.
    const QVA_CONFIG_DATA again = ParseSetupFile(SetupFileBytes(config));
    if (!ConfigsEqual(config, again)) Finding();
  } catch (const EFileFormat&) {
  } catch (const EFileVersion&) {
  }
  return 0;
}
