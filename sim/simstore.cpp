#include "simstore.h"

#include <QFileInfo>
#include <QJsonDocument>

#include "platform/qvaerrors.h"
#include "platform/safefilewriter.h"
#include "config/qvasetupfiler.h"

namespace qvasim {

ConfigBytes LoadStartImage(const StartImageSources& sources) {
  QVA_CONFIG_DATA image{};
  if (!sources.eepromFile.isEmpty() && QFileInfo::exists(sources.eepromFile)) {
    image = ToDeviceImage(ReadSetupFile(sources.eepromFile));
  } else if (!sources.configFile.isEmpty()) {
    image = SealForDevice(ReadSetupFile(sources.configFile));
  } else {
    image = SealForDevice(MakeBlankConfig());
  }
  if (sources.badCrc) {
    // Stored high byte first; any change of the value makes it wrong.
    const uint16_t wrong = static_cast<uint16_t>(ConfigImageCrc(image) ^ 0xFFFF);
    ConfigBytes bytes = ConfigToBytes(image);
    bytes[2] = static_cast<uint8_t>(wrong >> 8);
    bytes[3] = static_cast<uint8_t>(wrong & 0xFF);
    return bytes;
  }
  return ConfigToBytes(image);
}

QString StoreEepromImage(const QString& path, const ConfigBytes& deviceImage) {
  try {
    WriteSetupFile(path, ToDeviceImage(ConfigFromBytes(deviceImage.data())));
  } catch (const Exception& error) {
    return error.Message();
  }
  return QString();
}

QString WriteStateFile(const QString& path, const QJsonObject& summary) {
  try {
    WriteFileSafely(path, QJsonDocument(summary).toJson(QJsonDocument::Indented));
  } catch (const Exception& error) {
    return error.Message();
  }
  return QString();
}

}  // namespace qvasim
