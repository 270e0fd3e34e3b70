// Reads the 672-byte configuration from qva-device-sim, paced at 9600 baud,
// through the real serial stack several times and compares the time taken
// with the time the bytes need on the line. Not a test: it prints figures.
//
//   qva-bench-seriallink [RUNS]     (default 5; qva-device-sim is taken
//                                    from the folder of this program)

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include "benchsupport.h"
#include "comms/devicecommands.h"
#include "comms/qvaserialcomms.h"

namespace {

constexpr int kDefaultRuns = 5;
constexpr int kBitsPerByte = 10;
constexpr double kBaud = 9600.0;
constexpr double kTargetRatio = 1.10;

// Bytes on the line for reading count bytes: per chunk an 11-byte request
// and an answer of header, data and data CRC.
int WireBytesForExamine(int count) {
  int bytes = 0;
  for (int offset = 0; offset < count; offset += kMaxExamineChunk) {
    const int chunk = std::min(kMaxExamineChunk, count - offset);
    bytes += kPacketHeaderSize + kPacketHeaderSize + chunk + kPacketCrcSize;
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = RunsArgument(argc, argv, kDefaultRuns, 1000, "qva-bench-seriallink");
  if (runs == 0) return 2;

  QProcess sim;
  const QString port = StartSimulator(sim);
  if (port.isEmpty()) return 1;

  const int wireBytes = WireBytesForExamine(static_cast<int>(kConfigSize));
  const double wireSeconds = wireBytes * kBitsPerByte / kBaud;
  std::printf("Reading the %zu-byte configuration from the paced simulator on %s\n", kConfigSize,
              port.toLocal8Bit().constData());
  std::printf("wire bytes per read: %d (requests and answers of %d exchanges)\n", wireBytes,
              (static_cast<int>(kConfigSize) + kMaxExamineChunk - 1) / kMaxExamineChunk);
  std::printf("wire-time bound: %.1f ms\n", wireSeconds * 1000.0);

  std::vector<double> seconds;
  int exitCode = 0;
  try {
    QVASerialComms comms(port);
    for (int run = 1; run <= runs; ++run) {
      QElapsedTimer timer;
      const std::clock_t cpuStart = std::clock();
      timer.start();
      const QVA_CONFIG_DATA image = ReadDeviceConfig(comms);
      const double taken = static_cast<double>(timer.nsecsElapsed()) / 1e9;
      const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
      seconds.push_back(taken);
      // The host's CPU time shows what the byte-by-byte arrival costs it.
      std::printf("run %d: %.1f ms, ratio %.3f, host CPU %.1f ms%s\n", run, taken * 1000.0,
                  taken / wireSeconds, cpu * 1000.0, VerifyDeviceImage(image) ? "" : " (image CRC wrong!)");
    }
  } catch (const Exception& error) {
    std::fprintf(stderr, "link failure: %s\n", error.Message().toLocal8Bit().constData());
    exitCode = 1;
  }
  sim.terminate();
  sim.waitForFinished(5000);
  if (seconds.empty()) return 1;

  std::sort(seconds.begin(), seconds.end());
  double sum = 0;
  for (double s : seconds) sum += s;
  const double mean = sum / static_cast<double>(seconds.size());
  const double median = seconds[seconds.size() / 2];
  std::printf("min %.1f ms, median %.1f ms, mean %.1f ms, max %.1f ms\n", seconds.front() * 1000.0,
              median * 1000.0, mean * 1000.0, seconds.back() * 1000.0);
  std::printf("ratio measured / wire time: median %.3f, mean %.3f (target <= %.2f)\n", median / wireSeconds,
              mean / wireSeconds, kTargetRatio);
  return exitCode;
}
