#include "support/samplerecords.h"

#include <cstring>

QVA_CONFIG_DATA SampleConfig(const SampleSpec& sample) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.version = sample.version;
  config.cfg_crc16 = 0xBEEF;
  config.sensor_type = sample.sensorType;
  config.can_bit_rate = sample.seed;
  config.rpm_pulses_per_rev = 4;
  config.can_message_config[1].IDR0 = 180;
  config.can_message_config[1].message_rate = 4;
  config.display_config.output_to_display = 1;
  config.display_config.filter_time = static_cast<uint8_t>(25 + sample.seed);
  config.display_config.table1_decimal_places = 2;
  std::strcpy(config.output_table[0].output_name, "Lambda");
  config.output_table[0].num_rows = 4;
  for (int row = 0; row < 4; ++row) {
    config.output_table[0].values[row] = {static_cast<int16_t>(row * 500),
                                          static_cast<int16_t>(row * 200 - 400)};
  }
  config.output_table[0].decimal_places = 3;
  std::strcpy(config.output_table[1].output_name, "AFR");
  config.output_table[1].num_rows = 2;
  config.output_table[1].values[0] = {-1200, 735};
  config.output_table[1].values[1] = {1500, 2205};
  config.analog_out_table.num_rows = 2;
  config.analog_out_table.values[1] = {-1000, 5000};
  config.analog_out_table.default_output = static_cast<int16_t>(2500 - sample.seed);
  config.user_cal_table.values[31] = {32767, -32768};
  config.pid_settings.heater.p = static_cast<int16_t>(12 + sample.seed);
  config.pid_settings.ntk_sensor.i = -3;
  config.user_cal_resistor = static_cast<uint16_t>(61234 + sample.seed);
  config.dig_input_mode[1] = 3;
  config.user_gain_factor = -1500;
  config.collect_master_config.IDR1 = 7;
  config.reserved2[0] = 0x80;
  config.reserved2[1] = 0x81;
  config.reserved2[2] = 0x82;
  config.reserved2[6] = 0x1A;
  return config;
}

QVA_CONFIG_DATA WithBadCrc(QVA_CONFIG_DATA image) {
  image.cfg_crc16 ^= 0x0101;
  return image;
}
