#include "simoptions.h"

#include <cmath>
#include <limits>

#include "simregister.h"

namespace qvasim {

namespace {

constexpr int kMaxCopyDelayMs = 60000;
constexpr int kMaxIpDriftPerSecond = 10000;

struct Parser {
  QStringList args;
  qsizetype index = 0;
  QString error;

  // The value of an option given as "--name value" or "--name=value".
  std::optional<QString> Value(const QString& name, const QString& inlineValue, bool hasInline) {
    if (hasInline) return inlineValue;
    if (index + 1 >= args.size()) {
      error = QStringLiteral("%1 needs a value").arg(name);
      return std::nullopt;
    }
    return args[++index];
  }

  std::optional<qint64> Integer(const QString& name, const QString& text, qint64 low, qint64 high) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 0);
    if (!ok || value < low || value > high) {
      error = QStringLiteral("%1: expected a whole number from %2 to %3, not \"%4\"")
                  .arg(name)
                  .arg(low)
                  .arg(high)
                  .arg(text);
      return std::nullopt;
    }
    return value;
  }
};

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
  SimOptions options;
  Parser p{arguments, 0, {}};
  auto fail = [&p]() { return ParseOutcome{std::nullopt, p.error, 2}; };

  for (; p.index < p.args.size(); ++p.index) {
    const QString arg = p.args[p.index];
    const qsizetype eq = arg.indexOf(QLatin1Char('='));
    const bool hasInline = arg.startsWith(QLatin1String("--")) && eq > 0;
    const QString name = hasInline ? arg.left(eq) : arg;
    const QString inlineValue = hasInline ? arg.mid(eq + 1) : QString();

    auto flag = [&](bool& target) {
      if (hasInline) {
        p.error = QStringLiteral("%1 takes no value").arg(name);
        return false;
      }
      target = true;
      return true;
    };
    auto text = [&](QString& target) {
      const std::optional<QString> value = p.Value(name, inlineValue, hasInline);
      if (!value) return false;
      if (value->isEmpty()) {
        p.error = QStringLiteral("%1 needs a value").arg(name);
        return false;
      }
      target = *value;
      return true;
    };
    auto integer = [&](qint64 low, qint64 high) -> std::optional<qint64> {
      const std::optional<QString> value = p.Value(name, inlineValue, hasInline);
      if (!value) return std::nullopt;
      return p.Integer(name, *value, low, high);
    };

    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
      return ParseOutcome{std::nullopt, SimHelpText(), 0};
    } else if (name == QLatin1String("--device")) {
      if (!text(options.devicePath)) return fail();
    } else if (name == QLatin1String("--link")) {
      if (!text(options.linkPath)) return fail();
    } else if (name == QLatin1String("--config")) {
      if (!text(options.configFile)) return fail();
    } else if (name == QLatin1String("--eeprom")) {
      if (!text(options.eepromFile)) return fail();
    } else if (name == QLatin1String("--state-file")) {
      if (!text(options.stateFile)) return fail();
    } else if (name == QLatin1String("--register-port")) {
      if (!text(options.registerPort)) return fail();
      if (!IsRegistrablePortName(options.registerPort)) {
        p.error = QStringLiteral("--register-port %1: expected COM1 to COM8").arg(options.registerPort);
        return fail();
      }
    } else if (name == QLatin1String("--select-port")) {
      if (!flag(options.selectPort)) return fail();
    } else if (name == QLatin1String("--bad-crc")) {
      if (!flag(options.badCrc)) return fail();
    } else if (name == QLatin1String("--log")) {
      if (!flag(options.log)) return fail();
    } else if (name == QLatin1String("--no-pacing")) {
      bool noPacing = false;
      if (!flag(noPacing)) return fail();
      options.pacing = false;
    } else if (name == QLatin1String("--no-crc-check")) {
      bool noCheck = false;
      if (!flag(noCheck)) return fail();
      options.device.checkWriteCrc = false;
    } else if (name == QLatin1String("--crc-bypass")) {
      bool bypass = false;
      if (!flag(bypass)) return fail();
      options.device.crcBypass = 1;
    } else if (name == QLatin1String("--firmware")) {
      const auto value = integer(0, 0xFFFF);
      if (!value) return fail();
      options.device.firmwareWord = static_cast<uint16_t>(*value);
    } else if (name == QLatin1String("--sensor-type")) {
      const auto value = integer(0, 0xFF);
      if (!value) return fail();
      options.device.sensorType = static_cast<uint8_t>(*value);
    } else if (name == QLatin1String("--fail-copies")) {
      const auto value = integer(0, std::numeric_limits<int>::max());
      if (!value) return fail();
      options.device.failCopies = static_cast<int>(*value);
    } else if (name == QLatin1String("--copy-delay")) {
      const auto value = integer(0, kMaxCopyDelayMs);
      if (!value) return fail();
      options.device.copyDelayMs = static_cast<int>(*value);
    } else if (name == QLatin1String("--ip")) {
      const auto value = integer(-32768, 32767);
      if (!value) return fail();
      options.device.ipMicroamps = static_cast<int16_t>(*value);
    } else if (name == QLatin1String("--ip-noise")) {
      const auto value = integer(0, 32767);
      if (!value) return fail();
      options.device.ipNoise = static_cast<int>(*value);
    } else if (name == QLatin1String("--ip-steps")) {
      QString given;
      if (!text(given)) return fail();
      const auto steps = ParseIpSteps(given);
      if (!steps) {
        p.error = QStringLiteral("--ip-steps %1: expected SECONDS:MICROAMPS,... in time order").arg(given);
        return fail();
      }
      options.device.ipSteps = *steps;
    } else if (name == QLatin1String("--ip-drift")) {
      QString given;
      if (!text(given)) return fail();
      bool ok = false;
      const double drift = given.toDouble(&ok);
      if (!ok || !(std::fabs(drift) <= kMaxIpDriftPerSecond)) {
        p.error = QStringLiteral("--ip-drift %1: expected microamps per second from -%2 to %2")
                      .arg(given)
                      .arg(kMaxIpDriftPerSecond);
        return fail();
      }
      options.device.ipDriftPerSecond = drift;
    } else if (name == QLatin1String("--fault-rate")) {
      const auto value = integer(0, 100);
      if (!value) return fail();
      options.faultRate = static_cast<int>(*value);
    } else if (name == QLatin1String("--seed")) {
      const auto value = integer(0, 0xFFFFFFFFLL);
      if (!value) return fail();
      options.seed = static_cast<uint32_t>(*value);
    } else if (name == QLatin1String("--states")) {
      QString given;
      if (!text(given)) return fail();
      const auto steps = ParseStates(given);
      if (!steps) {
        p.error = QStringLiteral("--states %1: expected NAME:SECONDS,...,NAME (names or numbers 0 to 255)")
                      .arg(given);
        return fail();
      }
      options.device.states = *steps;
    } else if (name == QLatin1String("--fault")) {
      QString given;
      if (!text(given)) return fail();
      const auto rule = ParseFaultRule(given, &p.error);
      if (!rule) return fail();
      if (options.faults.count(rule->first)) {
        p.error = QStringLiteral("--fault %1: exchange %2 already has a fault").arg(given).arg(rule->first);
        return fail();
      }
      options.faults.emplace(rule->first, rule->second);
    } else {
      p.error = QStringLiteral("unknown option \"%1\" (see --help)").arg(arg);
      return fail();
    }
  }
  if (options.selectPort && options.registerPort.isEmpty()) {
    p.error = QStringLiteral("--select-port needs --register-port");
    return fail();
  }
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
