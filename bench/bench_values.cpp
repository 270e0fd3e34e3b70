// Prints how long the value conversions, the table rules and the table file
// readers take; run by hand (bin/bench_values), never as a test.

#include <chrono>
#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QLocale>

#include "platform/prompter.h"
#include "tables/qvatablefiler.h"
#include "tables/table2dmodel.h"
#include "ui/qvavalues.h"

namespace {

void Measure(const char* what, int rounds, const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) work();
  const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%-48s %10.3f us per call (%d calls)\n", what, elapsed.count() / rounds, rounds);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QLocale::setDefault(QLocale::c());

  int raw = -32768;
  Measure("FormatValue16 + ParseValue16 (IpType)", 65536, [&] {
    volatile int16_t back = ParseValue16(IpType, FormatValue16(IpType, static_cast<int16_t>(raw), true));
    (void)back;
    ++raw;
  });

  QVA_OUTPUT_CAL_TABLE table{};
  table.num_rows = kMaxTablePoints;
  for (int i = 0; i < kMaxTablePoints; ++i)
    table.values[i] = {static_cast<int16_t>(i * 500), static_cast<int16_t>(i)};
  const QByteArray binary = TableFileBytes(table, false);
  const QByteArray text = TableFileBytes(table, true);
  Measure("binary table file, 32 points: parse", 20000, [&] {
    QVA_OUTPUT_CAL_TABLE loaded{};
    ParseTableFile(binary, loaded, false);
  });
  Measure("text table file, 32 points: parse", 2000, [&] {
    QVA_OUTPUT_CAL_TABLE loaded{};
    ParseTableFile(text, loaded, true);
  });

  SilentPrompter prompter;
  Table2DModel model;
  model.Setup(kMaxTablePoints, IpType, PlainNumberType);
  Measure("table frame rules, 32 reversed points: validate", 500, [&] {
    for (int row = 0; row < kMaxTablePoints; ++row) {
      model.SetCell(0, row, QString::number(kMaxTablePoints - row));
      model.SetCell(1, row, QString::number(row));
    }
    model.ValidateTable(prompter, QString(), QString());
  });
  return 0;
}
