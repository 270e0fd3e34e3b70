#include "clitestsupport.h"

#include <cstring>

#include <QProcess>

#include <gtest/gtest.h>

#include "config/qvasetupfiler.h"
#include "support/testenvironment.h"

QString QvaCliPath() {
  // The build names the program it made; the bin folder from the
  // environment is the fallback for a test binary run on its own.
#ifdef QVA_CLI_PROGRAM
  return QStringLiteral(QVA_CLI_PROGRAM);
#else
  return BinDir() + QStringLiteral("/qva-cli");
#endif
}

CliResult RunQvaCli(const QStringList& arguments, const std::function<void()>& childSetup) {
  CliResult result;
  QProcess process;
  if (childSetup) process.setChildProcessModifier(childSetup);
  process.start(QvaCliPath(), arguments);
  if (!process.waitForStarted(10000)) {
    ADD_FAILURE() << "qva-cli did not start: " << QvaCliPath().toStdString();
    return result;
  }
  process.closeWriteChannel();
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "qva-cli did not finish";
    return result;
  }
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "qva-cli crashed";
  result.exitCode = process.exitCode();
  result.out = process.readAllStandardOutput();
  result.err = process.readAllStandardError();
  return result;
}

QVA_CONFIG_DATA MakeWorkshopConfig() {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.cfg_crc16 = 0xBEEF;
  config.sensor_type = 2;
  config.can_bit_rate = 1;
  config.can_message_config[1].IDR0 = 180;
  config.can_message_config[1].message_rate = 4;
  config.display_config.filter_time = 25;
  config.display_config.table1_decimal_places = 2;
  std::strcpy(config.output_table[0].output_name, "Lambda");
  config.output_table[0].num_rows = 4;
  for (int row = 0; row < 4; ++row) {
    config.output_table[0].values[row] = {static_cast<int16_t>(row * 500),
                                          static_cast<int16_t>(row * 200 - 400)};
  }
  config.output_table[0].decimal_places = 3;
  std::strcpy(config.output_table[1].output_name, "AFR");
  config.analog_out_table.num_rows = 2;
  config.analog_out_table.values[1] = {-1000, 5000};
  config.analog_out_table.default_output = 2500;
  config.user_cal_table.values[31] = {32767, -32768};
  config.pid_settings.heater.p = 12;
  config.pid_settings.ntk_sensor.i = -3;
  config.user_cal_resistor = 61234;
  config.dig_input_mode[1] = 3;
  config.user_gain_factor = -1500;
  config.collect_master_config.IDR1 = 7;
  return config;
}

QString WriteConfigFile(const QString& name, const QVA_CONFIG_DATA& config) {
  const QString path = TestEnvironment::PathIn(name);
  WriteSetupFile(path, config);
  return path;
}
