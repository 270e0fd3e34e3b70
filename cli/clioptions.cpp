#include "clioptions.h"

#include <array>
#include <vector>

#include "editors/setupsheet.h"

namespace {

// What an option sets in the command line: a flag, a text, or a whole
// number within a range.
struct OptionSpec {
  const char* longName;   // "--port"
  const char* shortName;  // "-o", or nullptr
  bool CommandLine::*flag = nullptr;
  QString CommandLine::*text = nullptr;
  int CommandLine::*number = nullptr;
  int low = 0;
  int high = 0;

  bool TakesValue() const { return flag == nullptr; }
};

const std::array kOptions = {
    OptionSpec{"--help", "-h", &CommandLine::help},
    OptionSpec{"--json", nullptr, &CommandLine::json},
    OptionSpec{"--force", nullptr, &CommandLine::force},
    OptionSpec{"--port", nullptr, nullptr, &CommandLine::port},
    OptionSpec{"--output", "-o", nullptr, &CommandLine::output},
    OptionSpec{"--retries", nullptr, nullptr, nullptr, &CommandLine::retries, 0, kMaxRetries},
    OptionSpec{"--review", nullptr, &CommandLine::review},
    OptionSpec{"--yes", nullptr, &CommandLine::yes},
    OptionSpec{"--verify", nullptr, &CommandLine::verify},
    OptionSpec{"--seconds", nullptr, nullptr, nullptr, &CommandLine::seconds, 1, kMaxLiveSeconds},
    OptionSpec{"--csv", nullptr, nullptr, &CommandLine::csv},
    OptionSpec{"--msl", nullptr, nullptr, &CommandLine::msl},
    OptionSpec{"--smooth", nullptr, nullptr, nullptr, &CommandLine::smooth, kMinSmoothingSeconds,
               kMaxSmoothingSeconds},
    OptionSpec{"--from", nullptr, nullptr, &CommandLine::from},
    OptionSpec{"--units", nullptr, &CommandLine::units},
    OptionSpec{"--folder", nullptr, nullptr, &CommandLine::folder},
    OptionSpec{"--note", nullptr, nullptr, &CommandLine::note},
    OptionSpec{"--probe", nullptr, &CommandLine::probe},
};

struct CommandSpec {
  const char* name;
  std::vector<const char*> options;  // long names besides --help
  int files;                         // positional arguments required (see CheckComplete for diff and set)
};

const std::vector<CommandSpec>& CommandSpecs() {
  static const std::vector<CommandSpec> specs = {
      {"dump", {"--json"}, 1},
      {"diff", {"--port", "--units"}, 2},
      {"set", {"--from"}, 1},
      {"get", {"--port", "--output", "--force"}, 0},
      {"send", {"--port", "--retries", "--review", "--yes", "--verify"}, 1},
      {"live", {"--port", "--seconds", "--csv", "--msl", "--smooth", "--force"}, 0},
      {"backups", {"--folder", "--json"}, 0},
      {"sheet", {"--output", "--note", "--force"}, 1},
      {"ports", {"--probe"}, 0},
  };
  return specs;
}

const CommandSpec* FindCommand(const QString& name) {
  for (const CommandSpec& definition : CommandSpecs()) {
    if (name == QLatin1String(definition.name)) return &definition;
  }
  return nullptr;
}

const OptionSpec* FindOption(const QString& name) {
  for (const OptionSpec& option : kOptions) {
    if (name == QLatin1String(option.longName) ||
        (option.shortName && name == QLatin1String(option.shortName)))
      return &option;
  }
  return nullptr;
}

bool Allows(const CommandSpec& command, const OptionSpec& option) {
  if (QLatin1String(option.longName) == QLatin1String("--help")) return true;
  for (const char* name : command.options) {
    if (QLatin1String(name) == QLatin1String(option.longName)) return true;
  }
  return false;
}

// A whole number in decimal, without a sign, within the option's range.
int ParseNumber(const OptionSpec& option, const QString& text, const QString& command) {
  bool ok = false;
  const int value = text.toInt(&ok, 10);
  if (!ok || value < option.low || value > option.high || text.startsWith(QLatin1Char('+'))) {
    throw EUsage(QStringLiteral("%1 needs a whole number from %2 to %3, not \"%4\".")
                     .arg(QLatin1String(option.longName))
                     .arg(option.low)
                     .arg(option.high)
                     .arg(text),
                 command);
  }
  return value;
}

void SetValue(CommandLine& line, const OptionSpec& option, const QString& value, std::vector<QString>& seen) {
  const QString name = QLatin1String(option.longName);
  for (const QString& earlier : seen) {
    if (earlier == name) throw EUsage(QStringLiteral("Option %1 is given twice.").arg(name), line.command);
  }
  seen.push_back(name);
  if (option.TakesValue() && value.isEmpty()) {
    throw EUsage(QStringLiteral("Option %1 needs a value.").arg(name), line.command);
  }
  if (option.flag) {
    line.*option.flag = true;
  } else if (option.text) {
    line.*option.text = value;
  } else if (option.number) {
    line.*option.number = ParseNumber(option, value, line.command);
  }
}

// Files a command takes: diff compares with the meter when given --port
// (one file); set takes its assignments after the file, or --from instead.
void CheckFiles(const CommandLine& line, const CommandSpec& definition) {
  const QString& command = line.command;
  const bool diffWithMeter = command == QLatin1String("diff") && !line.port.isEmpty();
  const int needed = diffWithMeter ? 1 : definition.files;
  if (line.files.size() < needed) {
    throw EUsage(needed == 2 ? QStringLiteral("%1 needs two setup files.").arg(command)
                             : QStringLiteral("%1 needs a setup file.").arg(command),
                 command);
  }
  if (command == QLatin1String("ports")) {
    if (!line.probe && !line.files.isEmpty())
      throw EUsage(QStringLiteral("Unexpected argument \"%1\"; ports takes paths after --probe.").arg(line.files.at(0)),
                   command);
    return;
  }
  if (command == QLatin1String("set")) {
    if (line.from.isEmpty() && line.files.size() == 1)
      throw EUsage(QStringLiteral("set needs NAME=VALUE assignments or --from FILE."), command);
    if (!line.from.isEmpty() && line.files.size() > 1)
      throw EUsage(QStringLiteral("set takes either NAME=VALUE assignments or --from FILE, not both."),
                   command);
    return;
  }
  if (line.files.size() > needed) {
    throw EUsage(QStringLiteral("Unexpected argument \"%1\".").arg(line.files.at(needed)), command);
  }
}

void CheckComplete(const CommandLine& line, const CommandSpec& definition) {
  const QString& command = line.command;
  CheckFiles(line, definition);
  const bool portOptional = command == QLatin1String("diff");
  for (const char* name : definition.options) {
    const QString option = QLatin1String(name);
    if (option == QLatin1String("--port") && line.port.isEmpty() && !portOptional)
      throw EUsage(QStringLiteral("%1 needs --port PORT.").arg(command), command);
    if (option == QLatin1String("--output") && line.output.isEmpty())
      throw EUsage(QStringLiteral("%1 needs -o FILE.").arg(command), command);
  }
  if (line.yes && !line.review) throw EUsage(QStringLiteral("--yes goes with --review."), command);
  if (!line.csv.isEmpty() && !line.msl.isEmpty())
    throw EUsage(QStringLiteral("live records to one file: --csv or --msl, not both."), command);
  if (line.smooth != 0 && line.csv.isEmpty() && line.msl.isEmpty())
    throw EUsage(QStringLiteral("--smooth goes with --csv or --msl."), command);
  if (line.units && !line.port.isEmpty())
    throw EUsage(QStringLiteral("--units compares two setup files; it does not go with --port."), command);
  if (!line.folder.isEmpty() && line.folder != QLatin1String("device") && line.folder != QLatin1String("save"))
    throw EUsage(QStringLiteral("--folder takes device or save, not \"%1\".").arg(line.folder), command);
  if (line.note.size() > kMaxSheetNoteLength)
    throw EUsage(QStringLiteral("--note takes at most %1 characters.").arg(kMaxSheetNoteLength), command);
}

}  // namespace

const QStringList& CliCommands() {
  static const QStringList names = [] {
    QStringList list;
    for (const CommandSpec& definition : CommandSpecs()) list << QLatin1String(definition.name);
    return list;
  }();
  return names;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
  CommandLine line;
  int at = 0;
  // Before the command only the program's own options count.
  for (; at < arguments.size(); ++at) {
    const QString& argument = arguments.at(at);
    if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
      line.help = true;
    } else if (argument == QLatin1String("--version")) {
      line.version = true;
    } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      throw EUsage(QStringLiteral("Unknown option \"%1\".").arg(argument), QString());
    } else {
      break;
    }
  }
  if (at == arguments.size()) {
    if (!line.help && !line.version) throw EUsage(QStringLiteral("No command given."), QString());
    return line;
  }
  if (line.version) throw EUsage(QStringLiteral("--version takes no command."), QString());

  QString command = arguments.at(at++);
  if (command == QLatin1String("help")) {
    line.help = true;
    if (at == arguments.size()) return line;
    command = arguments.at(at++);
    if (!FindCommand(command))
      throw EUsage(QStringLiteral("Unknown command \"%1\".").arg(command), QString());
    if (at < arguments.size())
      throw EUsage(QStringLiteral("Unexpected argument \"%1\".").arg(arguments.at(at)), command);
    line.command = command;
    return line;
  }
  const CommandSpec* definition = FindCommand(command);
  if (!definition) throw EUsage(QStringLiteral("Unknown command \"%1\".").arg(command), QString());
  line.command = command;

  std::vector<QString> seen;
  bool optionsEnded = false;
  for (; at < arguments.size(); ++at) {
    const QString& argument = arguments.at(at);
    if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
      line.files << argument;
      continue;
    }
    if (argument == QLatin1String("--")) {
      optionsEnded = true;
      continue;
    }
    QString name = argument;
    QString value;
    bool inlineValue = false;
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (argument.startsWith(QLatin1String("--")) && equals > 0) {
      name = argument.left(equals);
      value = argument.mid(equals + 1);
      inlineValue = true;
    }
    const OptionSpec* option = FindOption(name);
    if (!option || !Allows(*definition, *option)) {
      throw EUsage(QStringLiteral("Unknown option \"%1\" for %2.").arg(name, command), command);
    }
    if (option->TakesValue() && !inlineValue) {
      if (at + 1 >= arguments.size())
        throw EUsage(QStringLiteral("Option %1 needs a value.").arg(QLatin1String(option->longName)),
                     command);
      value = arguments.at(++at);
    } else if (!option->TakesValue() && inlineValue) {
      throw EUsage(QStringLiteral("Option %1 takes no value.").arg(QLatin1String(option->longName)), command);
    }
    SetValue(line, *option, value, seen);
  }
  if (!line.help) CheckComplete(line, *definition);
  return line;
}
