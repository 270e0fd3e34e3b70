#include "simoptions.h"

#include <cmath>
#include <limits>

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "simregister.h"

namespace qvasim {

namespace {

constexpr int kMaxCopyDelayMs = 60000;
constexpr int kMaxIpDriftPerSecond = 10000;

[[nodiscard]] ParseOutcome Mistake(const QString& text) {
  return ParseOutcome{std::nullopt, text, 2};
}

// An option that takes a whole number (decimal, or 0x... hexadecimal).
struct NumberOption {
  const char* name;
  qint64 low;
  qint64 high;
  void (*apply)(SimOptions& options, qint64 value);
};

const NumberOption kNumberOptions[] = {
    {"firmware", 0, 0xFFFF,
     [](SimOptions& o, qint64 v) { o.device.firmwareWord = static_cast<uint16_t>(v); }},
    {"sensor-type", 0, 0xFF, [](SimOptions& o, qint64 v) { o.device.sensorType = static_cast<uint8_t>(v); }},
    {"fail-copies", 0, std::numeric_limits<int>::max(),
     [](SimOptions& o, qint64 v) { o.device.failCopies = static_cast<int>(v); }},
    {"store-fault", 0, static_cast<qint64>(kConfigSize) - 1,
     [](SimOptions& o, qint64 v) { o.device.storeFaultOffset = static_cast<int>(v); }},
    {"copy-delay", 0, kMaxCopyDelayMs,
     [](SimOptions& o, qint64 v) { o.device.copyDelayMs = static_cast<int>(v); }},
    {"ip", -32768, 32767, [](SimOptions& o, qint64 v) { o.device.ipMicroamps = static_cast<int16_t>(v); }},
    {"ip-noise", 0, 32767, [](SimOptions& o, qint64 v) { o.device.ipNoise = static_cast<int>(v); }},
    {"fault-rate", 0, 100, [](SimOptions& o, qint64 v) { o.faultRate = static_cast<int>(v); }},
    {"seed", 0, 0xFFFFFFFFLL, [](SimOptions& o, qint64 v) { o.seed = static_cast<uint32_t>(v); }},
};

// Options that name a file, a path or a port.
struct TextOption {
  const char* name;
  QString SimOptions::*target;
};

const TextOption kTextOptions[] = {
    {"device", &SimOptions::devicePath},    {"link", &SimOptions::linkPath},
    {"config", &SimOptions::configFile},    {"eeprom", &SimOptions::eepromFile},
    {"state-file", &SimOptions::stateFile}, {"register-port", &SimOptions::registerPort},
};

const char* const kFlagNames[] = {"select-port", "bad-crc", "log", "no-pacing", "no-crc-check", "crc-bypass"};
const char* const kOtherValueNames[] = {"states", "fault", "ip-steps", "ip-drift"};

QString Dashed(const QString& name) {
  return QStringLiteral("--") + name;
}

ParseOutcome UnknownOption(const QString& given) {
  return Mistake(QStringLiteral("unknown option \"%1\" (see --help)").arg(given));
}

ParseOutcome NeedsValue(const QString& dashedName) {
  return Mistake(QStringLiteral("%1 needs a value").arg(dashedName));
}

// Every option the simulator knows; the help text is SimHelpText's own.
void DeclareOptions(QCommandLineParser& parser) {
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
  parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
  for (const char* name : kFlagNames) parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
  const auto addValued = [&parser](const char* name) {
    parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
  };
  for (const NumberOption& option : kNumberOptions) addValued(option.name);
  for (const TextOption& option : kTextOptions) addValued(option.name);
  for (const char* name : kOtherValueNames) addValued(name);
}

}  // namespace

std::optional<std::vector<StateStep>> ParseStates(const QString& text) {
  std::vector<StateStep> steps;
  const QStringList items = text.split(QLatin1Char(','));
  for (qsizetype i = 0; i < items.size(); ++i) {
    const QStringList parts = items[i].split(QLatin1Char(':'));
    if (parts.size() > 2) return std::nullopt;
    const std::optional<uint8_t> state = ParseDeviceState(parts[0]);
    if (!state) return std::nullopt;
    StateStep step{*state, 0};
    const bool last = i + 1 == items.size();
    if (parts.size() == 2) {
      bool ok = false;
      const double seconds = parts[1].toDouble(&ok);
      if (!ok || !(seconds >= 0) || seconds > 1e6) return std::nullopt;
      step.durationMs = static_cast<int64_t>(seconds * 1000.0 + 0.5);
    } else if (!last) {
      return std::nullopt;  // only the last state may last for ever
    }
    steps.push_back(step);
  }
  return steps;
}

std::optional<std::vector<IpStep>> ParseIpSteps(const QString& text) {
  std::vector<IpStep> steps;
  for (const QString& item : text.split(QLatin1Char(','))) {
    const QStringList parts = item.split(QLatin1Char(':'));
    if (parts.size() != 2) return std::nullopt;
    bool secondsOk = false;
    bool ipOk = false;
    const double seconds = parts[0].trimmed().toDouble(&secondsOk);
    const int ip = parts[1].trimmed().toInt(&ipOk);
    if (!secondsOk || !ipOk || !(seconds >= 0) || seconds > 1e6 || ip < -32768 || ip > 32767) return std::nullopt;
    const IpStep step{static_cast<int64_t>(seconds * 1000.0 + 0.5), static_cast<int16_t>(ip)};
    if (!steps.empty() && step.atMs < steps.back().atMs) return std::nullopt;
    steps.push_back(step);
  }
  return steps;
}

ParseOutcome ParseSimOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  DeclareOptions(parser);
  if (!parser.parse(QStringList{QStringLiteral("qva-device-sim")} + arguments)) {
    if (!parser.unknownOptionNames().isEmpty()) {
      const QString name = parser.unknownOptionNames().constFirst();
      return UnknownOption((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    }
    return Mistake(parser.errorText() + QStringLiteral(" (see --help)"));
  }
  if (parser.isSet(QStringLiteral("help"))) return ParseOutcome{std::nullopt, SimHelpText(), 0};
  if (!parser.positionalArguments().isEmpty())
    return UnknownOption(parser.positionalArguments().constFirst());

  SimOptions options;
  for (const TextOption& option : kTextOptions) {
    const QString name = QString::fromLatin1(option.name);
    if (!parser.isSet(name)) continue;
    options.*option.target = parser.value(name);
    if ((options.*option.target).isEmpty()) return NeedsValue(Dashed(name));
  }
  if (parser.isSet(QStringLiteral("register-port")) && !IsRegistrablePortName(options.registerPort))
    return Mistake(QStringLiteral("--register-port %1: expected COM1 to COM8").arg(options.registerPort));

  options.selectPort = parser.isSet(QStringLiteral("select-port"));
  options.badCrc = parser.isSet(QStringLiteral("bad-crc"));
  options.log = parser.isSet(QStringLiteral("log"));
  options.pacing = !parser.isSet(QStringLiteral("no-pacing"));
  if (parser.isSet(QStringLiteral("no-crc-check"))) options.device.checkWriteCrc = false;
  if (parser.isSet(QStringLiteral("crc-bypass"))) options.device.crcBypass = 1;

  for (const NumberOption& option : kNumberOptions) {
    const QString name = QString::fromLatin1(option.name);
    if (!parser.isSet(name)) continue;
    const QString text = parser.value(name);
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 0);
    if (!ok || value < option.low || value > option.high) {
      return Mistake(QStringLiteral("%1: expected a whole number from %2 to %3, not \"%4\"")
                         .arg(Dashed(name))
                         .arg(option.low)
                         .arg(option.high)
                         .arg(text));
    }
    option.apply(options, value);
  }

  if (parser.isSet(QStringLiteral("states"))) {
    const QString given = parser.value(QStringLiteral("states"));
    if (given.isEmpty()) return NeedsValue(QStringLiteral("--states"));
    const auto steps = ParseStates(given);
    if (!steps)
      return Mistake(QStringLiteral("--states %1: expected NAME:SECONDS,...,NAME (names or numbers 0 to 255)")
                         .arg(given));
    options.device.states = *steps;
  }

  if (parser.isSet(QStringLiteral("ip-steps"))) {
    const QString given = parser.value(QStringLiteral("ip-steps"));
    if (given.isEmpty()) return NeedsValue(QStringLiteral("--ip-steps"));
    const auto steps = ParseIpSteps(given);
    if (!steps)
      return Mistake(QStringLiteral("--ip-steps %1: expected SECONDS:MICROAMPS,... in time order").arg(given));
    options.device.ipSteps = *steps;
  }

  if (parser.isSet(QStringLiteral("ip-drift"))) {
    const QString given = parser.value(QStringLiteral("ip-drift"));
    bool ok = false;
    const double drift = given.toDouble(&ok);
    if (!ok || !(std::fabs(drift) <= kMaxIpDriftPerSecond))
      return Mistake(QStringLiteral("--ip-drift %1: expected microamps per second from -%2 to %2")
                         .arg(given)
                         .arg(kMaxIpDriftPerSecond));
    options.device.ipDriftPerSecond = drift;
  }

  for (const QString& given : parser.values(QStringLiteral("fault"))) {
    if (given.isEmpty()) return NeedsValue(QStringLiteral("--fault"));
    QString error;
    const auto rule = ParseFaultRule(given, &error);
    if (!rule) return Mistake(error);
    if (options.faults.count(rule->first))
      return Mistake(
          QStringLiteral("--fault %1: exchange %2 already has a fault").arg(given).arg(rule->first));
    options.faults.emplace(rule->first, rule->second);
  }

  if (options.selectPort && options.registerPort.isEmpty())
    return Mistake(QStringLiteral("--select-port needs --register-port"));
  options.device.seed = options.seed;
  return ParseOutcome{options, QString(), 0};
}

QString SimHelpText() {
  return QStringLiteral(
      "Usage: qva-device-sim [OPTIONS]\n"
      "\n"
      "Stands in for a Quvarant meter on a serial line, so that the desktop program\n"
      "can be tried and tested without hardware. It answers the meter's packet\n"
      "protocol at 9600 baud from the meter's memory map.\n"
      "\n"
      "Line:\n"
      "  (default)             serve a new pseudo-terminal; the first line on stdout\n"
      "                        is \"PTY <slave path>\" - point the program at that path\n"
      "  --link PATH           also make a symlink PATH to the pseudo-terminal\n"
      "                        (an existing symlink there is replaced, nothing else)\n"
      "  --device PATH         serve a real serial device instead (9600 8N1, raw);\n"
      "                        the first line on stdout is \"DEVICE <path>\"\n"
      "  --register-port NAME  point the desktop program's port NAME (COM1 to COM8)\n"
      "                        at this line (the --link path when given) in its\n"
      "                        per-machine settings; the mapping stays after exit\n"
      "  --select-port         with --register-port: also make NAME the program's\n"
      "                        chosen \"Communications Port\"\n"
      "  --no-pacing           answer at full speed instead of 9600 baud timing\n"
      "                        (10 bits a byte, about 1.04 ms; the request's own\n"
      "                        line time is waited out before the answer starts)\n"
      "\n"
      "Memory:\n"
      "  --firmware WORD       firmware version word at base 2 (default 115 = V1.1)\n"
      "  --config FILE         a setup file (*.Q11) with the stored configuration;\n"
      "                        it is sealed with a correct cfg_crc16 (default: a\n"
      "                        blank configuration)\n"
      "  --bad-crc             store the starting configuration with a wrong cfg_crc16\n"
      "  --eeprom FILE         keep the stored configuration in this setup file: read\n"
      "                        at start when it exists (it then wins over --config,\n"
      "                        its cfg_crc16 kept as stored), rewritten atomically\n"
      "                        after each successful copy to EEPROM\n"
      "  --crc-bypass          status byte 9 = 1 (the program accepts a configuration\n"
      "                        without checking its CRC)\n"
      "  --sensor-type N       status byte 13 (default: sensor_type of the stored\n"
      "                        configuration)\n"
      "  --states STEPS        status byte 12 over time, e.g. WARM_UP:3,RUN = WARM_UP\n"
      "                        for 3 s, then RUN for ever; names RUN, CONTROL_WAIT,\n"
      "                        PUMP_WAIT, WARM_UP, NO_HEATER, STOP, PUMP_OFF or\n"
      "                        numbers 0-255; seconds may have decimals (default RUN)\n"
      "  --ip MICROAMPS        pump current Ip, the word at offset 0 of base 12\n"
      "  --ip-noise N          add a random -N..N microamps to each Ip read\n"
      "  --ip-steps STEPS      Ip over time, e.g. 20:3300,40:2800 = --ip until 20 s,\n"
      "                        then 3300, from 40 s on 2800 (seconds from the start,\n"
      "                        in order, decimals allowed)\n"
      "  --ip-drift UA_PER_S   add this many microamps per second since the start\n"
      "                        to Ip (decimals and a minus sign allowed)\n"
      "                        An O2 calibration, for example: --states WARM_UP:5,RUN\n"
      "                        --ip 3200 --ip-noise 20 --ip-steps 15:3350 settles,\n"
      "                        jumps by 5 % at 15 s, and settles again before Store;\n"
      "                        --states PUMP_WAIT never reaches RUN (timed out)\n"
      "\n"
      "Copy to EEPROM (command word 0x7C3A written to base 3):\n"
      "  --copy-delay MS       time the copy takes (default 100); status word 0 reads\n"
      "                        0x7C3A until it is done, then 0 with byte 8 = result\n"
      "  --fail-copies N       the first N copies fail with result 1 and leave the\n"
      "                        stored configuration unchanged\n"
      "  --no-crc-check        copy the write area even when its cfg_crc16 is wrong\n"
      "                        (by default such a copy fails with result 2)\n"
      "  --store-fault OFFSET  every copy stores the byte at OFFSET (0-671) inverted\n"
      "                        and still reports success, as a failing EEPROM would\n"
      "\n"
      "Faults (exchange N = the Nth request received, counting from 1; a retry\n"
      "is a new exchange):\n"
      "  --fault N:KIND[:ARG]  repeatable; KIND is one of\n"
      "      silence           no answer\n"
      "      header-crc        answer with a wrong header CRC\n"
      "      data-crc          answer with a wrong data CRC (answers with data)\n"
      "      start             answer whose first start byte is 0x00\n"
      "      sequence          answer carrying the wrong sequence number\n"
      "      type              answer of message type 5\n"
      "      no-data-flag      examine answer: header without the data flag, no data\n"
      "      length            answer whose length byte is one too many\n"
      "      nak:CODE          a NAK with CODE (0-255); the request is not served\n"
      "      garbage[:COUNT]   COUNT noise bytes (default: the answer's size)\n"
      "  --fault-rate PERCENT  also give that share of exchanges a random fault\n"
      "  --seed S              seed of the random faults and of the Ip noise\n"
      "\n"
      "Reporting:\n"
      "  --log                 one line on stderr per request and per copy\n"
      "  --state-file FILE     JSON summary written after every copy and on exit:\n"
      "                        requests, acks, naks, faults, noise_bytes, copies,\n"
      "                        copy_successes, copy_failures, last_copy_result,\n"
      "                        stored_config_crc_valid, stored_config (hex),\n"
      "                        write_area_crc_valid, write_area_bytes_written,\n"
      "                        write_area (hex), recent_requests (hex of the last\n"
      "                        64 requests as received)\n"
      "  -h, --help            this text\n"
      "\n"
      "Memory map (16-bit values high byte first; any address and length inside\n"
      "a base, 1 to 128 bytes a request):\n"
      "  base 2   2 bytes    firmware version word           read\n"
      "  base 3   14 bytes   status block                    read; word 0 written\n"
      "  base 10  672 bytes  stored configuration image      read\n"
      "  base 11  672 bytes  configuration write area        write\n"
      "  base 12  28 bytes   live data, Ip at offset 0        read\n"
      "\n"
      "Requests are checked as the meter checks them and refused with a NAK:\n"
      "  1 Bad Packet      header or data CRC wrong; examine request with data;\n"
      "                    set request whose data flag and length disagree\n"
      "  3 Bad Command     message type other than examine (0) and set (1)\n"
      "  4 Bad Base        base not in the map\n"
      "  5 Bad Length      length 0 or over 128; range past the end of the base;\n"
      "                    a status-block write other than the whole command word\n"
      "  6 Set Memory Fail        write to a read-only base (2, 10, 12)\n"
      "  7 Examine Memory Fail    read of the write area (base 11)\n"
      "  (2 QVA receiver overrun is given only by --fault N:nak:2)\n"
      "Bytes before a start sequence are dropped as noise; a half-received request\n"
      "is dropped after 150 ms of silence.\n"
      "\n"
      "Copy results in status byte 8: 0 done, 1 EEPROM write failed, 2 image CRC\n"
      "wrong, 3 unknown command word, 4 --eeprom file not written.\n"
      "\n"
      "Exit status: 0 after SIGTERM or SIGINT, 1 when the line or a file cannot be\n"
      "used, 2 for a mistake on the command line.\n");
}

}  // namespace qvasim
