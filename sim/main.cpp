// qva-device-sim: a stand-in for the meter on a pseudo-terminal or a serial
// device, for trying the desktop program without hardware and for the
// end-to-end tests of the serial link. See --help.

#include <csignal>
#include <cstdio>

#include <QStringList>

#include "platform/qvaerrors.h"
#include "simdevice.h"
#include "simfaults.h"
#include "simline.h"
#include "simoptions.h"
#include "simregister.h"
#include "simserver.h"
#include "simstore.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
  g_stop = 1;
}

void PrintError(const QString& text) {
  std::fprintf(stderr, "qva-device-sim: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qvasim;

  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const ParseOutcome parsed = ParseSimOptions(arguments);
  if (!parsed.options) {
    if (parsed.exitCode == 0) {
      std::fputs(parsed.text.toLocal8Bit().constData(), stdout);
    } else {
      PrintError(parsed.text);
    }
    return parsed.exitCode;
  }
  const SimOptions& options = *parsed.options;

  ConfigBytes startImage{};
  try {
    startImage = LoadStartImage({options.configFile, options.eepromFile, options.badCrc});
  } catch (const Exception& error) {
    PrintError(QStringLiteral("cannot read the starting configuration: %1").arg(error.Message()));
    return 1;
  }

  // Signals are blocked except while the server waits on the line, so a
  // stop request can never slip in between a check and the wait.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGHUP);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGHUP);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  SimLine line;
  const QString lineError =
      options.devicePath.isEmpty() ? line.OpenPty() : line.OpenDevice(options.devicePath);
  if (!lineError.isEmpty()) {
    PrintError(lineError);
    return 1;
  }
  if (!options.linkPath.isEmpty()) {
    const QString linkError = line.MakeLink(options.linkPath);
    if (!linkError.isEmpty()) {
      PrintError(linkError);
      return 1;
    }
  }

  if (!options.registerPort.isEmpty()) {
    const QString registerError =
        RegisterPort(options.registerPort, options.linkPath.isEmpty() ? line.Path() : options.linkPath,
                     options.selectPort);
    if (!registerError.isEmpty()) {
      PrintError(registerError);
      return 1;
    }
  }

  SimDevice device(options.device, startImage, 0);
  if (!options.eepromFile.isEmpty()) {
    device.SetStoreHook([&options](const ConfigBytes& image) {
      const QString error = StoreEepromImage(options.eepromFile, image);
      if (!error.isEmpty()) PrintError(QStringLiteral("cannot write %1: %2").arg(options.eepromFile, error));
      return error;
    });
  }
  FaultPlan faults(options.faults, options.faultRate, options.seed);
  SimServer server(line.Fd(), ServerOptions{options.pacing, options.log}, device, faults);
  auto writeState = [&options, &server]() {
    if (options.stateFile.isEmpty()) return;
    const QString error = WriteStateFile(options.stateFile, server.Summary());
    if (!error.isEmpty()) PrintError(QStringLiteral("cannot write %1: %2").arg(options.stateFile, error));
  };
  server.SetCopyHook(writeState);
  writeState();

  // The first line tells the caller where to connect; everything after it
  // goes to stderr.
  std::printf("%s %s\n", line.IsPty() ? "PTY" : "DEVICE", line.Path().toLocal8Bit().constData());
  std::fflush(stdout);

  const int result = server.Run(g_stop, waitMask);
  if (result != 0) PrintError(server.Error());
  writeState();
  return result;
}
