// The simulated meter's play for an O2 calibration: the pump current over
// time (steps and drift) and the options that set it.

#include <gtest/gtest.h>

#include "simdevice.h"
#include "simoptions.h"

using namespace qvasim;

namespace {

int IpRead(SimDevice& device, int64_t nowMs) {
  const Bytes data = device.LiveData(nowMs);
  return static_cast<int16_t>((data[0] << 8) | data[1]);
}

TEST(SimCalibration, IpFollowsItsStepsAndDriftFromTheStart) {
  DeviceSettings settings;
  settings.ipMicroamps = 3200;
  settings.ipSteps = {{15000, 3350}, {30000, -100}};
  settings.ipDriftPerSecond = 2.0;
  const int64_t start = 1000000;
  SimDevice device(settings, ConfigBytes{}, start);
  const std::pair<int64_t, int> cases[] = {
      {0, 3200},     {500, 3201},   {14999, 3230},                     // 29.998 rounds to 30
      {15000, 3380}, {29999, 3410}, {30000, -40},  {20000000, 32767},  // drift cannot leave 16 bits
  };
  for (const auto& [elapsed, expected] : cases)
    EXPECT_EQ(IpRead(device, start + elapsed), expected) << elapsed;
}

TEST(SimCalibration, OptionsParseStepsAndDrift) {
  const ParseOutcome outcome =
      ParseSimOptions({QStringLiteral("--ip"), QStringLiteral("3200"), QStringLiteral("--ip-steps"),
                       QStringLiteral("15:3350,40.5:2800"), QStringLiteral("--ip-drift=-1.5")});
  ASSERT_TRUE(outcome.options.has_value()) << outcome.text.toStdString();
  const DeviceSettings& device = outcome.options->device;
  ASSERT_EQ(device.ipSteps.size(), 2u);
  EXPECT_EQ(device.ipSteps[0].atMs, 15000);
  EXPECT_EQ(device.ipSteps[0].ip, 3350);
  EXPECT_EQ(device.ipSteps[1].atMs, 40500);
  EXPECT_EQ(device.ipSteps[1].ip, 2800);
  EXPECT_DOUBLE_EQ(device.ipDriftPerSecond, -1.5);
}

TEST(SimCalibration, OptionsRefuseMalformedStepsAndDrift) {
  const std::pair<const char*, const char*> cases[] = {
      {"--ip-steps", "15"},         // no current
      {"--ip-steps", "15:abc"},     //
      {"--ip-steps", "20:1,10:2"},  // back in time
      {"--ip-steps", "5:40000"},    // beyond 16 bits
      {"--ip-steps", "-1:100"},     //
      {"--ip-drift", "fast"},       //
      {"--ip-drift", "20000"},      // beyond the limit
  };
  for (const auto& [option, value] : cases) {
    const ParseOutcome outcome = ParseSimOptions({QString::fromLatin1(option), QString::fromLatin1(value)});
    EXPECT_FALSE(outcome.options.has_value()) << option << " " << value;
    EXPECT_EQ(outcome.exitCode, 2) << option << " " << value;
    EXPECT_TRUE(outcome.text.startsWith(QString::fromLatin1(option))) << outcome.text.toStdString();
  }
}

}  // namespace
