#include <cstring>

#include <gtest/gtest.h>

#include "config/crc16.h"
#include "config/qvaconfig.h"

namespace {

uint8_t ByteAt(const QVA_CONFIG_DATA& config, std::size_t offset) {
  return ConfigToBytes(config)[offset];
}

void SetByte(QVA_CONFIG_DATA& config, std::size_t offset, uint8_t value) {
  reinterpret_cast<uint8_t*>(&config)[offset] = value;
}

}  // namespace

struct CrcVector {
  const char* data;
  uint16_t initial;
  uint16_t expected;
};

class Crc16Vectors : public ::testing::TestWithParam<CrcVector> {};

TEST_P(Crc16Vectors, MatchesXmodemParameters) {
  const CrcVector& v = GetParam();
  EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(v.data), std::strlen(v.data), v.initial), v.expected);
}

INSTANTIATE_TEST_SUITE_P(Known, Crc16Vectors,
                         ::testing::Values(CrcVector{"123456789", 0x0000,
                                                     0x31C3},  // CRC-16/XMODEM check value
                                           CrcVector{"", 0x1234, 0x1234}, CrcVector{"A", 0x0000, 0x58E5},
                                           CrcVector{"123456789", 0xFFFF, 0x29B1}));  // CCITT-FALSE

TEST(Crc16, FeedingTheCrcHighByteFirstReturnsToZero) {
  const uint8_t data[] = {0x80, 0x81, 0x82, 0x00, 0x01, 0x02, 0x00, 0x00, 0x02};
  const uint16_t crc = Crc16(data, sizeof data, 0);
  const uint8_t crcBytes[] = {static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc & 0xFF)};
  EXPECT_EQ(Crc16(crcBytes, 2, crc), 0);
}

TEST(Crc16, FirmwareRequestHeaderCrc) {
  const uint8_t header[] = {0x80, 0x81, 0x82, 0x00, 0x01, 0x02, 0x00, 0x00, 0x02};
  EXPECT_EQ(Crc16(header, sizeof header, 0), 0xA981);
}

TEST(ConfigRecord, BlankRecordIsZeroExceptVersion) {
  const ConfigBytes bytes = ConfigToBytes(MakeBlankConfig());
  EXPECT_EQ(bytes[0], 0x6E);
  EXPECT_EQ(bytes[1], 0x00);
  for (std::size_t i = 2; i < kConfigSize; ++i) ASSERT_EQ(bytes[i], 0) << "offset " << i;
  EXPECT_EQ(MakeBlankConfig().sensor_type, 0);
}

TEST(ConfigRecord, DeviceImageOfBlankHasVersionHighByteFirst) {
  const QVA_CONFIG_DATA device = ToDeviceImage(MakeBlankConfig());
  EXPECT_EQ(ByteAt(device, 0), 0x00);
  EXPECT_EQ(ByteAt(device, 1), 0x6E);
}

TEST(ConfigRecord, DeviceImageSwapsExactlyTheListedWords) {
  QVA_CONFIG_DATA host;
  for (std::size_t i = 0; i < kConfigSize; ++i) SetByte(host, i, static_cast<uint8_t>(i * 7 + 3));
  const ConfigBytes before = ConfigToBytes(host);
  const ConfigBytes after = ConfigToBytes(ToDeviceImage(host));
  std::array<bool, kConfigSize> swapped{};
  for (uint16_t offset : SwappedWordOffsets()) swapped[offset] = swapped[offset + 1] = true;
  int changed = 0;
  for (std::size_t i = 0; i < kConfigSize; ++i) {
    if (after[i] != before[i]) {
      ++changed;
      EXPECT_TRUE(swapped[i]) << "byte " << i << " changed but is no 16-bit field";
    }
  }
  EXPECT_EQ(changed, 2 * static_cast<int>(kSwappedWordCount));
  // Spot checks of the list against the record's documented ranges.
  EXPECT_TRUE(swapped[73] && swapped[200] && swapped[222] && swapped[349]);
  EXPECT_TRUE(swapped[357] && swapped[484] && swapped[485] && swapped[486]);
  EXPECT_TRUE(swapped[490] && swapped[617] && swapped[622] && swapped[639]);
  EXPECT_TRUE(swapped[640] && swapped[641] && swapped[653] && swapped[654]);
  EXPECT_FALSE(swapped[72] || swapped[201] || swapped[356] || swapped[489] || swapped[642] || swapped[655]);
}

TEST(ConfigRecord, DeviceImageIsItsOwnInverse) {
  QVA_CONFIG_DATA host;
  for (std::size_t i = 0; i < kConfigSize; ++i) SetByte(host, i, static_cast<uint8_t>(i ^ 0x5A));
  EXPECT_TRUE(ConfigsEqual(ToDeviceImage(ToDeviceImage(host)), host));
}

TEST(ConfigRecord, CrcOfAllZeroBodyIsZero) {
  QVA_CONFIG_DATA device = MakeBlankConfig();
  SetByte(device, 2, 0x12);
  EXPECT_EQ(ConfigImageCrc(device), 0x0000);
}

TEST(ConfigRecord, CrcIgnoresVersionAndCrcButCoversEveryOtherByte) {
  QVA_CONFIG_DATA device = ToDeviceImage(MakeBlankConfig());
  const uint16_t base = ConfigImageCrc(device);
  for (std::size_t offset : {0, 1, 2, 3}) {
    QVA_CONFIG_DATA changed = device;
    SetByte(changed, offset, 0xA5);
    EXPECT_EQ(ConfigImageCrc(changed), base) << offset;
  }
  for (std::size_t offset = 4; offset < kConfigSize; ++offset) {
    QVA_CONFIG_DATA changed = device;
    SetByte(changed, offset, 0x01);
    ASSERT_NE(ConfigImageCrc(changed), base) << offset;
  }
}

TEST(ConfigRecord, SealStoresCrcHighByteFirstAndLeavesHostAlone) {
  QVA_CONFIG_DATA host = MakeBlankConfig();
  host.sensor_type = 2;
  host.user_gain_factor = 1234;
  const QVA_CONFIG_DATA original = host;
  const QVA_CONFIG_DATA sealed = SealForDevice(host);
  EXPECT_TRUE(ConfigsEqual(host, original));
  const uint16_t crc = ConfigImageCrc(sealed);
  EXPECT_EQ(ByteAt(sealed, 2), crc >> 8);
  EXPECT_EQ(ByteAt(sealed, 3), crc & 0xFF);
  EXPECT_TRUE(VerifyDeviceImage(sealed));
  QVA_CONFIG_DATA broken = sealed;
  SetByte(broken, 100, ByteAt(broken, 100) ^ 1);
  EXPECT_FALSE(VerifyDeviceImage(broken));
}

TEST(ConfigUpgrade, CurrentAndNewerVersionsAreKept) {
  for (uint16_t version : {110, 111, 500}) {
    QVA_CONFIG_DATA config = MakeBlankConfig();
    config.version = version;
    config.display_config.table1_decimal_places = 7;
    const QVA_CONFIG_DATA original = config;
    EXPECT_FALSE(UpgradeConfig(config)) << version;
    EXPECT_TRUE(ConfigsEqual(config, original)) << version;
  }
}

TEST(ConfigUpgrade, DisplayOfTableTwoTakesTableTwoPlacesMinusOne) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.version = 100;
  config.display_config.output_to_display = 0;
  config.display_config.table1_decimal_places = 4;
  config.output_table[1].decimal_places = 3;
  EXPECT_TRUE(UpgradeConfig(config));
  EXPECT_EQ(int{config.version}, 110);
  EXPECT_EQ(config.display_config.table2_decimal_places, 2);
  EXPECT_EQ(config.display_config.table1_decimal_places, 4);
}

TEST(ConfigUpgrade, DisplayOfTableOneMovesOldPlacesToTableTwo) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.version = 100;
  config.display_config.output_to_display = 1;
  config.display_config.table1_decimal_places = 2;
  config.output_table[0].decimal_places = 3;
  EXPECT_TRUE(UpgradeConfig(config));
  EXPECT_EQ(config.display_config.table2_decimal_places, 2);
  EXPECT_EQ(config.display_config.table1_decimal_places, 2);
  EXPECT_EQ(int{config.version}, 110);
}

TEST(ConfigUpgrade, ZeroDecimalPlacesStayZeroInsteadOfWrapping) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.version = 100;
  config.display_config.output_to_display = 0;
  config.output_table[1].decimal_places = 0;
  ASSERT_TRUE(UpgradeConfig(config));
  EXPECT_EQ(config.display_config.table2_decimal_places, 0);

  QVA_CONFIG_DATA other = MakeBlankConfig();
  other.version = 0;
  other.display_config.output_to_display = 1;
  other.output_table[0].decimal_places = 0;
  ASSERT_TRUE(UpgradeConfig(other));
  EXPECT_EQ(other.display_config.table1_decimal_places, 0);
}

TEST(ConfigRecord, CompareSeesEveryByte) {
  const QVA_CONFIG_DATA a = MakeBlankConfig();
  for (std::size_t offset : {std::size_t{0}, std::size_t{345}, kConfigSize - 1}) {
    QVA_CONFIG_DATA b = a;
    SetByte(b, offset, 0xFF);
    EXPECT_FALSE(ConfigsEqual(a, b)) << offset;
  }
  EXPECT_TRUE(ConfigsEqual(a, MakeBlankConfig()));
}
