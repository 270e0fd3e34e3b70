#include <gtest/gtest.h>

#include "editors/canidentifiers.h"
#include "support/qtprinters.h"

namespace {

struct Vector {
  CanIdFormat format;
  uint32_t id;
  CanIdRegisters registers;
};

// Worked by hand from the register layout of the device's CAN controller.
const Vector kVectors[] = {
    {CanIdFormat::Standard, 0x7FF, {0xFF, 0xE0, 0x00, 0x00}},
    {CanIdFormat::Standard, 0x5A3, {0xB4, 0x60, 0x00, 0x00}},
    {CanIdFormat::Standard, 0x000, {0x00, 0x00, 0x00, 0x00}},
    {CanIdFormat::Standard, 0x001, {0x00, 0x20, 0x00, 0x00}},
    {CanIdFormat::Standard, 0x008, {0x01, 0x00, 0x00, 0x00}},
    {CanIdFormat::Extended, 0x1ABCDEF0, {0xD5, 0xF9, 0xBD, 0xE0}},
    {CanIdFormat::Extended, 0x18FF0100, {0xC7, 0xFE, 0x02, 0x00}},
    {CanIdFormat::Extended, 0x000007FF, {0x00, 0x18, 0x0F, 0xFE}},
    {CanIdFormat::Extended, 0x00000000, {0x00, 0x18, 0x00, 0x00}},
    {CanIdFormat::Extended, 0x1FFFFFFF, {0xFF, 0xFF, 0xFF, 0xFE}},
    {CanIdFormat::Extended, 0x00000001, {0x00, 0x18, 0x00, 0x02}},
    {CanIdFormat::Extended, 0x00008000, {0x00, 0x19, 0x00, 0x00}},  // bit 15: IDR1 bit 0
    {CanIdFormat::Extended, 0x00040000, {0x00, 0x38, 0x00, 0x00}},  // bit 18: IDR1 bit 5
    {CanIdFormat::Extended, 0x00200000, {0x01, 0x18, 0x00, 0x00}},  // bit 21: IDR0 bit 0
};

TEST(CanIdentifiers, PackToTheRegisterBytesOfTheWorkedVectors) {
  for (const Vector& v : kVectors)
    EXPECT_EQ(PackCanId(v.format, v.id), v.registers) << std::hex << v.id;
}

TEST(CanIdentifiers, UnpackTheWorkedVectorsToTheirFormatAndNumber) {
  for (const Vector& v : kVectors)
    EXPECT_EQ(UnpackCanId(v.registers), (CanIdentifier{v.format, v.id})) << std::hex << v.id;
}

TEST(CanIdentifiers, EveryStandardIdentifierComesBackUnchanged) {
  for (uint32_t id = 0; id <= 0x7FF; ++id) {
    const CanIdRegisters registers = PackCanId(CanIdFormat::Standard, id);
    ASSERT_EQ(registers[1] & 0x1F, 0) << id;
    ASSERT_EQ(UnpackCanId(registers), (CanIdentifier{CanIdFormat::Standard, id})) << id;
  }
}

TEST(CanIdentifiers, ASpreadOfExtendedIdentifiersComesBackUnchanged) {
  // Every single bit, then a walk across the whole range with an odd step.
  for (int bit = 0; bit < 29; ++bit) {
    const uint32_t id = uint32_t{1} << bit;
    ASSERT_EQ(UnpackCanId(PackCanId(CanIdFormat::Extended, id)), (CanIdentifier{CanIdFormat::Extended, id})) << bit;
  }
  for (uint64_t id = 0; id <= 0x1FFFFFFF; id += 0x1F3D5) {
    const auto value = static_cast<uint32_t>(id);
    const CanIdRegisters registers = PackCanId(CanIdFormat::Extended, value);
    ASSERT_EQ(registers[1] & 0x18, 0x18) << value;
    ASSERT_EQ(registers[3] & 0x01, 0) << value;
    ASSERT_EQ(UnpackCanId(registers), (CanIdentifier{CanIdFormat::Extended, value})) << value;
  }
}

TEST(CanIdentifiers, AStandardIdentifierIgnoresTheBytesItDoesNotUse) {
  // IDR1 bit 3 clear: the low five bits of IDR1 (bit 4 among them), IDR2 and IDR3 carry nothing.
  EXPECT_EQ(UnpackCanId({0xB4, 0x77, 0x12, 0x34}), (CanIdentifier{CanIdFormat::Standard, 0x5A3}));
  EXPECT_EQ(UnpackCanId({0xFF, 0xF0, 0xFF, 0xFF}), (CanIdentifier{CanIdFormat::Standard, 0x7FF}));
  // Bit 3 alone makes it extended, whether or not bit 4 is set with it.
  EXPECT_EQ(UnpackCanId({0x00, 0x08, 0x0F, 0xFE}).format, CanIdFormat::Extended);
}

TEST(CanIdentifiers, BitsAboveTheFormatsWidthAreDropped) {
  EXPECT_EQ(PackCanId(CanIdFormat::Standard, 0xFFFF), PackCanId(CanIdFormat::Standard, 0x7FF));
  EXPECT_EQ(PackCanId(CanIdFormat::Extended, 0xFFFFFFFF), PackCanId(CanIdFormat::Extended, 0x1FFFFFFF));
}

TEST(CanIdentifiers, ReadAsABusLogShowsThem) {
  const std::pair<CanIdentifier, const char*> cases[] = {
      {{CanIdFormat::Extended, 0x18FF0100}, "0x18FF0100, extended"},
      {{CanIdFormat::Extended, 0x7FF}, "0x000007FF, extended"},
      {{CanIdFormat::Standard, 0x7FF}, "0x7FF, standard"},
      {{CanIdFormat::Standard, 0x1A}, "0x01A, standard"},
  };
  for (const auto& [identifier, text] : cases) EXPECT_EQ(CanIdBusText(identifier), QString::fromLatin1(text));
  EXPECT_EQ(CanRegistersText({0xC7, 0xFE, 0x02, 0x00}), QStringLiteral("C7 FE 02 00"));
  EXPECT_EQ(CanRegistersText({0x00, 0x0A, 0xB0, 0xFF}), QStringLiteral("00 0A B0 FF"));
}

}  // namespace
