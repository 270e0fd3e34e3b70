// Writes seed inputs for the fuzz targets into <out>/<target>/: valid files
// and answers of the kinds the tests use, so the fuzzers start from inputs
// that reach deep into each parser.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QString>

#include "config/qvasetupfiler.h"

namespace {

void Write(const QString& folder, const QString& name, const QByteArray& bytes) {
  QDir().mkpath(folder);
  QFile file(folder + QLatin1Char('/') + name);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QVA_CONFIG_DATA SampleConfig() {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.sensor_type = 2;
  config.output_table[0].num_rows = 3;
  config.output_table[0].values[0] = {100, 7350};
  config.output_table[0].values[1] = {500, 14700};
  config.output_table[0].values[2] = {1500, 22000};
  config.user_gain_factor = 1000;
  return config;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qva-fuzz-seeds OUTPUT-FOLDER\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  Write(out + "/fuzz_setupfile", "blank.Q11", SetupFileBytes(MakeBlankConfig()));
  Write(out + "/fuzz_setupfile", "sample.Q11", SetupFileBytes(SampleConfig()));
  QVA_CONFIG_DATA old = SampleConfig();
  old.version = 100;
  Write(out + "/fuzz_setupfile", "old.QV1", SetupFileBytes(old));
  return 0;
}
