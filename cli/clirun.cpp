#include "clirun.h"

#include <cerrno>
#include <exception>
#include <optional>

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "backupscommand.h"
#include "clihelp.h"
#include "clioptions.h"
#include "configreport.h"
#include "exitcodes.h"
#include "livecommand.h"
#include "portscommand.h"
#include "setcommand.h"
#include "sheetcommand.h"
#include "transfercommands.h"
#include "comms/portdevices.h"
#include "platform/fileattributes.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"

namespace {

bool IsTerminal(std::FILE* stream) {
#ifdef Q_OS_WIN
  return _isatty(_fileno(stream)) != 0;
#else
  return ::isatty(::fileno(stream)) != 0;
#endif
}

}  // namespace

void CliOutput::Report(const QByteArray& bytes) {
  const std::size_t size = static_cast<std::size_t>(bytes.size());
  const std::size_t written = std::fwrite(bytes.constData(), 1, size, out_);
  if (std::fflush(out_) != 0 || written != size || std::ferror(out_)) throw EFileWrite();
}

void CliOutput::Error(const QString& message) {
  QByteArray bytes = message.toLocal8Bit();
  if (!bytes.endsWith('\n')) bytes += '\n';
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), err_);
  std::fflush(err_);
}

void CliOutput::Prompt(const QString& question) {
  const QByteArray bytes = question.toLocal8Bit();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), err_);
  std::fflush(err_);
}

void CliOutput::Status(const QString& text) {
  if (!IsTerminal(err_)) return;
  // Back to the start of the line, the text, the rest of the line cleared.
  const QByteArray bytes = '\r' + text.toLocal8Bit() + "\x1b[K";
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), err_);
  std::fflush(err_);
  statusShown_ = true;
}

void CliOutput::EndStatus() {
  if (!statusShown_) return;
  std::fputc('\n', err_);
  std::fflush(err_);
  statusShown_ = false;
}

namespace {

#ifdef Q_OS_WIN
constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr int kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
constexpr int kNotADirectory = 3;
#else
constexpr int kAccessDenied = EACCES;
constexpr int kPathNotFound = ENOENT;
constexpr int kNotADirectory = ENOTDIR;
#endif

// A file's messages name it on the line before, as the file commands do.
QString FileContext(const QString& path) {
  return path + QLatin1Char(':');
}

}  // namespace

void CheckOutputFile(const QString& path, bool force, OutputTarget target) {
  const QFileInfo info(path);
  // A folder is never an output file, with --force or without.
  if (info.isDir()) throw ESystemError(kIsADirectoryCode, FileContext(path));
  if (!info.exists() && !info.isSymLink()) {
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
      throw ESystemError(folder.exists() ? kNotADirectory : kPathNotFound, FileContext(path));
    return;
  }
  // A device or a pipe is written to, not replaced: its own errors tell.
  if (target == OutputTarget::FileOrDevice && !info.isFile()) return;
  if (!force) {
    throw Exception(QStringLiteral("%1 already exists.\nUse --force to replace it.").arg(path));
  }
  if (!info.isFile() || IsReadOnlyFile(path)) throw ESystemError(kAccessDenied, FileContext(path));
}

namespace {

// A setup file as it is stored (never upgraded). A file that cannot be
// read is reported with its path on the line before the message, so that
// diff can say which of its two files is at fault.
std::optional<QVA_CONFIG_DATA> ReadForReport(const QString& path, CliOutput& output) {
  try {
    return ReadSetupFile(path);
  } catch (const Exception& error) {
    output.Error(path + QStringLiteral(":\n") + error.Message());
    return std::nullopt;
  }
}

int Dump(const CommandLine& line, CliOutput& output) {
  const auto config = ReadForReport(line.files.at(0), output);
  if (!config) return kExitUsageOrFile;
  output.Report(line.json ? DumpJson(*config) : DumpText(*config));
  return kExitSuccess;
}

int Diff(const CommandLine& line, CliOutput& output) {
  if (!line.port.isEmpty()) return DiffWithMeterCommand(line, output);
  const auto a = ReadForReport(line.files.at(0), output);
  const auto b = ReadForReport(line.files.at(1), output);
  if (!a || !b) return kExitUsageOrFile;
  if (line.units) return DiffInUnits(*a, *b, output);
  const ConfigDifference difference = DiffConfigs(*a, *b);
  if (difference.equal) return kExitSuccess;
  output.Report(difference.lines.join(QLatin1Char('\n')).toLatin1() + '\n');
  return kExitDifferent;
}

// A port name in any case, or an existing path; anything else is refused
// before a device is opened, so that a typo does not become an open failure.
QString CheckedPort(const QString& given) {
  const std::optional<QString> port = ParsePortArgument(given);
  if (!port)
    throw Exception(
        QStringLiteral("--port %1: expected COM1 to COM8 (in any case) or the path of an existing device.").arg(given));
  return *port;
}

int Run(CommandLine line, CliOutput& output) {
  if (line.version) {
    output.Report(VersionText().toLatin1() + '\n');
    return kExitSuccess;
  }
  if (line.help) {
    output.Report(HelpText(line.command).toLatin1());
    return kExitSuccess;
  }
  if (!line.port.isEmpty()) line.port = CheckedPort(line.port);
  if (line.command == QLatin1String("dump")) return Dump(line, output);
  if (line.command == QLatin1String("diff")) return Diff(line, output);
  if (line.command == QLatin1String("get")) return GetCommand(line, output);
  if (line.command == QLatin1String("send")) return SendCommand(line, output);
  if (line.command == QLatin1String("live")) return LiveCommand(line, output);
  if (line.command == QLatin1String("set")) return SetCommand(line, output);
  if (line.command == QLatin1String("backups")) return BackupsCommand(line, output);
  if (line.command == QLatin1String("sheet")) return SheetCommand(line, output);
  if (line.command == QLatin1String("ports")) return PortsCommand(line, output);
  throw EUsage(QStringLiteral("Unknown command \"%1\".").arg(line.command), QString());
}

}  // namespace

int RunCli(const QStringList& arguments, CliOutput& output) {
  try {
    return Run(ParseCommandLine(arguments), output);
  } catch (const EUsage& error) {
    output.Error(error.Message() + QLatin1Char('\n') + HelpHint(error.Command()));
    return kExitUsageOrFile;
  } catch (const Exception& error) {
    output.Error(error.Message());
    return kExitUsageOrFile;
  } catch (const std::exception& error) {
    output.Error(QString::fromLocal8Bit(error.what()));
    return kExitUsageOrFile;
  }
}
