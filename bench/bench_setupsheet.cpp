// Figures for the setup sheet: how long building its content and painting
// its PDF take, for the tests' sample and for a record whose three tables
// hold all 32 points. Prints, never fails. Given a path, it also writes the
// full-table sheet there to look at.
#include <cstdio>

#include <QElapsedTimer>
#include <QGuiApplication>

#include "editors/setupsheet.h"
#include "editors/setupsheetpdf.h"
#include "support/samplerecords.h"

namespace {

template <typename F>
double Milliseconds(F&& work, int repeats) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < repeats; ++i) work();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6 / repeats;
}

QVA_CONFIG_DATA FullTables() {
  QVA_CONFIG_DATA config = SampleConfig();
  config.sensor_cal_method = 3;
  for (QVA_OUTPUT_CAL_TABLE& table : config.output_table) table.num_rows = kMaxTablePoints;
  config.user_cal_table.num_rows = kMaxTablePoints;
  config.analog_out_table.num_rows = kMaxTablePoints;
  config.analog_out_table.out_function = 1;
  for (int i = 0; i < kMaxTablePoints; ++i) {
    const auto x = static_cast<int16_t>(i * 100 - 1600);
    for (QVA_OUTPUT_CAL_TABLE& table : config.output_table)
      table.values[i] = {x, static_cast<int16_t>(i * 30)};
    config.user_cal_table.values[i] = {x, static_cast<int16_t>(x + i)};
    config.analog_out_table.values[i] = {x, static_cast<int16_t>(i * 150)};
  }
  return config;
}

void Measure(const char* name, const QVA_CONFIG_DATA& config) {
  constexpr int kRepeats = 20;
  const SheetSource source{QStringLiteral("Workshop.Q11"), QDate(2026, 3, 14), QStringLiteral("Golf GTI")};
  SetupSheet sheet;
  const double building = Milliseconds([&] { sheet = BuildSetupSheet(config, source); }, kRepeats);
  SheetPdf pdf;
  const double painting =
      Milliseconds([&] { pdf = RenderSetupSheet(sheet, QPageSize(QPageSize::A4)); }, kRepeats);
  std::printf("%-12s build %7.3f ms   paint PDF %7.2f ms   %d pages, %lld bytes\n", name, building, painting,
              pdf.pages, static_cast<long long>(pdf.bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  Measure("sample", SampleConfig());
  Measure("full tables", FullTables());
  if (argc > 1) {
    const SetupSheet sheet =
        BuildSetupSheet(FullTables(), {QStringLiteral("Workshop.Q11"), QDate(2026, 3, 14), {}});
    WriteSetupSheet(QString::fromLocal8Bit(argv[1]), sheet, QPageSize(QPageSize::A4));
  }
  return 0;
}
