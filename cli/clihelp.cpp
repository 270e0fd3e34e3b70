#include "clihelp.h"

#include "platform/appinfo.h"
#include "qvaversion.h"

namespace {

const char kExitCodes[] =
    "Exit codes:\n"
    "  0  success\n"
    "  1  the two configurations differ (diff only)\n"
    "     no meter answered (ports --probe only)\n"
    "  2  usage error, or a file that cannot be read or written\n"
    "  3  the configuration stored in the meter is not valid\n"
    "  4  firmware version mismatch\n"
    "  5  port or link failure\n"
    "  6  the copy to EEPROM failed\n"
    "  7  no sensor type selected\n"
    "  8  the review was declined: nothing was sent\n"
    "  9  the configuration read back after sending differs from the one sent\n";

const char kProgramHelp[] =
    "Usage: qva-cli COMMAND [OPTIONS] [FILES]\n"
    "\n"
    "Commands:\n"
    "  dump [--json] FILE                 print every named field of a setup file\n"
    "  diff A B                           list the fields in which two setup files differ\n"
    "  diff --port PORT FILE              list the fields in which a setup file and the meter differ\n"
    "  diff --units A B                   the same, grouped and in the setup windows' units\n"
    "  set FILE NAME=VALUE...             change named fields of a setup file\n"
    "  set FILE --from DUMP               apply a dump's values to a setup file\n"
    "  get --port PORT -o FILE [--force]  get the meter's configuration into a setup file\n"
    "  send --port PORT [--retries N] [--review [--yes]] [--verify] FILE\n"
    "                                     send a setup file's configuration to the meter\n"
    "  live --port PORT [--seconds N] [--csv FILE | --msl FILE]\n"
    "                                     show or record the meter's live data\n"
    "  backups [--folder device|save] [--json]\n"
    "                                     list the backups the program keeps\n"
    "  sheet FILE -o SHEET.pdf [--note TEXT] [--force]\n"
    "                                     write a printable setup sheet (PDF)\n"
    "  ports [--probe [PATH...]]          list the serial ports, or find the meter among them\n"
    "  help [COMMAND]                     show this help or a command's\n"
    "\n"
    "Options:\n"
    "  -h, --help  show help (also after a command: qva-cli dump --help)\n"
    "  --version   show the program's version\n"
    "\n"
    "Setup files are *.Q11 files, or *.QV1 files of the previous generation.\n"
    "PORT is COM1 to COM8 (in any case), mapped to a device as the desktop\n"
    "program maps it, or the path of an existing device such as /dev/ttyUSB0.\n"
    "\n";

const char kDumpHelp[] =
    "Usage: qva-cli dump [--json] FILE\n"
    "\n"
    "Prints every named field of the configuration in setup file FILE (*.Q11 or\n"
    "*.QV1), in record order, one \"name = value\" line each. The record is shown\n"
    "as the file holds it: an older file is not upgraded.\n"
    "Numbers are decimal (signed where the field is signed); a table row is\n"
    "\"input, output\"; a name is shown in double quotes up to its first zero byte,\n"
    "with \\\" \\\\ and \\xNN for quotes, backslashes and non-printable bytes.\n"
    "Reserved bytes are not shown.\n"
    "\n"
    "Options:\n"
    "  --json      print one JSON object instead: the same names, table rows as\n"
    "              [input, output], names as JSON strings (each byte one character)\n"
    "  -h, --help  show this help\n"
    "\n"
    "Example:\n"
    "  qva-cli dump Workshop.Q11 | grep filter_time\n"
    "\n";

const char kDiffHelp[] =
    "Usage: qva-cli diff A B\n"
    "       qva-cli diff --port PORT FILE\n"
    "       qva-cli diff --units A B\n"
    "\n"
    "Compares the configurations in setup files A and B byte by byte. Prints each\n"
    "named field that differs as \"name: valueA -> valueB\" in record order, then\n"
    "one line with the offsets of any differing reserved bytes. Prints nothing\n"
    "when the records are equal. Neither record is upgraded.\n"
    "With --port, compares the configuration stored in the meter (A) with FILE\n"
    "(B) as send would seal it (upgraded, with its checksum): the lines show what\n"
    "sending FILE would change, as send --review shows them. Nothing is written\n"
    "to the meter. Exit code 3 when the meter's configuration is not valid.\n"
    "With --units, prints the comparison the desktop program shows: grouped by\n"
    "setup window (Sensor, Display, Output Table 1 and 2, CAN, Analog Output,\n"
    "Digital Inputs, then Other), each field under its window's label and in its\n"
    "units, a table as its changed points (input -> output), a CAN message as its\n"
    "address, compound ID and rate; then the checksum and the reserved bytes.\n"
    "Both records are upgraded first, as the program opens them; equal records\n"
    "are said to be identical in words.\n"
    "\n"
    "Options:\n"
    "  --port PORT  COM1 to COM8, or a device path\n"
    "  --units      grouped, in the setup windows' labels and units\n"
    "  -h, --help   show this help\n"
    "\n"
    "Examples:\n"
    "  qva-cli diff Car1.Q11 Car2.Q11\n"
    "  qva-cli diff --port /dev/ttyUSB0 Workshop.Q11\n"
    "\n";

const char kSetHelp[] =
    "Usage: qva-cli set FILE NAME=VALUE...\n"
    "       qva-cli set FILE --from DUMP\n"
    "\n"
    "Changes named fields of setup file FILE and saves it over itself, keeping the\n"
    "previous file as a numbered read-only backup, as the desktop program does.\n"
    "NAME is a name that dump prints. VALUE is a whole number: 0x... hexadecimal,\n"
    "a leading 0 octal, otherwise decimal, within the field's range; a table row\n"
    "is \"input, output\"; a name is text in double quotes as dump prints it (or\n"
    "bare), one byte per character, at most the field's size less one, and no\n"
    "zero byte (\\x00), which would end the name.\n"
    "With --from, every \"name = value\" line of DUMP (the output of dump, edited\n"
    "or not) is applied; blank lines and lines starting with # are skipped.\n"
    "Every assignment is checked before anything is written: an unknown name or a\n"
    "value out of range leaves the file as it was. The changed fields are listed\n"
    "on stderr; when no field changes, nothing is written.\n"
    "The file keeps its version: version cannot be set (a dump's version line\n"
    "must be the file's own). Nor can cfg_crc16: the checksum is computed when\n"
    "the configuration is sent to the meter (a dump's line is taken as it is).\n"
    "\n"
    "Options:\n"
    "  --from DUMP  the assignments, one per line, as dump prints them\n"
    "  -h, --help   show this help\n"
    "\n"
    "Examples:\n"
    "  qva-cli set Workshop.Q11 display_config.filter_time=5 sensor_type=0x02\n"
    "  qva-cli dump Workshop.Q11 > w.txt; (edit w.txt); qva-cli set Workshop.Q11 --from w.txt\n"
    "\n";

const char kLiveHelp[] =
    "Usage: qva-cli live --port PORT [--seconds N]\n"
    "                    [--csv FILE | --msl FILE] [--smooth S] [--force]\n"
    "\n"
    "Reads the meter's status block and live data every 250 ms and prints one line\n"
    "per reading: the time in seconds, the device state, the sensor type and the\n"
    "pump current Ip in mA, parted by tabs. Runs for N seconds, or until\n"
    "interrupted (Ctrl+C, SIGTERM), which ends it normally. A link failure ends it\n"
    "with the link's message; what was recorded so far stays in FILE.\n"
    "While recording, a terminal shows the file, the rows and the time recorded.\n"
    "\n"
    "Options:\n"
    "  --port PORT    COM1 to COM8, or a device path\n"
    "  --seconds N    stop after N seconds (1 to 86400)\n"
    "  --csv FILE     record to FILE instead: a header line, then one line per\n"
    "                 reading with the time, the state, Ip and every live data\n"
    "                 word raw:\n"
    "                 time_s,state,state_name,sensor_type,ip_mA,word0,...,word13\n"
    "                 (word N: bytes 2N and 2N+1 of the live data, big-endian,\n"
    "                 unsigned; word0 is Ip in microamps)\n"
    "  --msl FILE     record to FILE as a tab-delimited datalog that log viewers\n"
    "                 open: a line naming the program and the capture time, the\n"
    "                 header row Time, State, Sensor, Ip, Word0...Word13, the\n"
    "                 units row (s, mA), then one row per reading\n"
    "  --smooth S     add a smoothed Ip next to the raw Ip: the mean over the\n"
    "                 last S seconds (1 to 60)\n"
    "  --force        replace FILE if it exists\n"
    "  -h, --help     show this help\n"
    "\n"
    "Examples:\n"
    "  qva-cli live --port /dev/ttyUSB0 --seconds 60 --csv run1.csv\n"
    "  qva-cli live --port COM1 --msl \"QVA run2.msl\" --smooth 2\n"
    "\n";

const char kGetHelp[] =
    "Usage: qva-cli get --port PORT -o FILE [--force]\n"
    "\n"
    "Reads the configuration stored in the meter on PORT and writes it to the\n"
    "setup file FILE. A configuration of an older version is upgraded as the\n"
    "desktop program upgrades it. Each step's status goes to stderr.\n"
    "\n"
    "Options:\n"
    "  --port PORT    COM1 to COM8, or a device path\n"
    "  -o, --output FILE\n"
    "                 the setup file to write\n"
    "  --force        replace FILE if it exists (never a read-only file)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Example:\n"
    "  qva-cli get --port COM1 -o FromMeter.Q11\n"
    "\n";

const char kSendHelp[] =
    "Usage: qva-cli send --port PORT [--retries N] [--review [--yes]] [--verify] FILE\n"
    "\n"
    "Sends the configuration in setup file FILE to the meter on PORT and has the\n"
    "meter store it in its EEPROM. The meter's previous configuration is first\n"
    "kept as a read-only backup in the From Device Backups folder, as the desktop\n"
    "program does. A file of an older version is upgraded first, as opening it\n"
    "in the desktop program would; a configuration without a sensor type is\n"
    "refused before the port is opened. Each step's status goes to stderr.\n"
    "\n"
    "Options:\n"
    "  --port PORT    COM1 to COM8, or a device path\n"
    "  --retries N    when the meter reports a failed copy to EEPROM, send again\n"
    "                 up to N times (0 to 100, default 0) before giving up\n"
    "  --review       before anything is written, show the fields in which the\n"
    "                 meter's configuration and FILE differ (as diff --port does)\n"
    "                 and ask whether to send; needs a terminal unless --yes\n"
    "  --yes          with --review: print the differences and send without asking\n"
    "  --verify       after the meter has stored the configuration, read it back\n"
    "                 and compare; a difference is a failure (exit code 9)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Example:\n"
    "  qva-cli send --port /dev/ttyUSB0 --retries 2 Workshop.Q11\n"
    "\n";

const char kBackupsHelp[] =
    "Usage: qva-cli backups [--folder device|save] [--json]\n"
    "\n"
    "Lists the setup files in the two backup folders the desktop program keeps\n"
    "(From Device Backups: the meter's configuration before each send; Save\n"
    "Backups: a setup file before each save over it), newest first, one line\n"
    "each with tabs between: when it was written (local time), the folder, what\n"
    "it was made from (the name before \" - NNN\"), the sensor type and the path.\n"
    "A file that cannot be read is listed with the reason instead of the sensor\n"
    "type. Nothing is written.\n"
    "\n"
    "Options:\n"
    "  --folder device|save  list one folder only\n"
    "  --json                print a JSON array of objects with path, time (ISO\n"
    "                        8601 with offset), folder (device or save), source,\n"
    "                        sensor_type, and error for a file that cannot be read\n"
    "  -h, --help            show this help\n"
    "\n"
    "Example:\n"
    "  qva-cli backups --folder device\n"
    "\n";

const char kSheetHelp[] =
    "Usage: qva-cli sheet FILE -o SHEET.pdf [--note TEXT] [--force]\n"
    "\n"
    "Writes the setup sheet of setup file FILE as a PDF, the same sheet as the\n"
    "desktop program's File > Export Setup Sheet: the file name, the date, the\n"
    "program's version and the note, then each setup window's settings with its\n"
    "labels and units, each table with its points and curve, how the engine\n"
    "control unit must read the analog output, and the checksum (cfg_crc16) the\n"
    "meter holds for the configuration. Pages are A4, or Letter where the\n"
    "locale measures in inches. No display is needed. A file of an older\n"
    "version is upgraded first, as opening it in the desktop program would; the\n"
    "file itself is not changed. A failed write leaves no part of a sheet.\n"
    "\n"
    "Options:\n"
    "  -o, --output SHEET.pdf\n"
    "                 the PDF to write\n"
    "  --note TEXT    a line printed under the title, such as the car and the\n"
    "                 customer (at most 300 characters)\n"
    "  --force        replace SHEET.pdf if it exists (never a read-only file)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Example:\n"
    "  qva-cli sheet Workshop.Q11 -o Workshop.pdf --note \"Golf GTI, J. Smith\"\n"
    "\n";

const char kPortsHelp[] =
    "Usage: qva-cli ports [--probe [PATH...]]\n"
    "\n"
    "Lists the computer's serial ports, one line each: the device, its\n"
    "description, maker, serial number and stable /dev/serial/by-id name, and the\n"
    "port names (COM1 to COM8) that lead to it.\n"
    "With --probe, asks each port once for the meter's firmware version (9600 8N1,\n"
    "at most about 1 s per port; nothing else is written, and a port in use by\n"
    "another program is not touched) and prints one line per port with what it\n"
    "found, such as \"QVA, firmware 1.1\", \"no answer\" or \"in use by another\n"
    "program\". The ports searched are the listed ones, USB adapters first, and\n"
    "the devices behind COM1 to COM8; given PATHs (devices, pseudo-terminals or\n"
    "port names), only those. Why a port will not work, and the fix, goes to\n"
    "stderr. Exits with 0 when a meter answered, 1 when none did.\n"
    "\n"
    "Options:\n"
    "  --probe     ask the ports for a meter\n"
    "  -h, --help  show this help\n"
    "\n"
    "Examples:\n"
    "  qva-cli ports\n"
    "  qva-cli ports --probe /dev/ttyUSB0 /dev/ttyACM0\n"
    "\n";

}  // namespace

QString HelpText(const QString& command) {
  const char* text = kProgramHelp;
  if (command == QLatin1String("dump")) {
    text = kDumpHelp;
  } else if (command == QLatin1String("diff")) {
    text = kDiffHelp;
  } else if (command == QLatin1String("get")) {
    text = kGetHelp;
  } else if (command == QLatin1String("send")) {
    text = kSendHelp;
  } else if (command == QLatin1String("set")) {
    text = kSetHelp;
  } else if (command == QLatin1String("live")) {
    text = kLiveHelp;
  } else if (command == QLatin1String("backups")) {
    text = kBackupsHelp;
  } else if (command == QLatin1String("sheet")) {
    text = kSheetHelp;
  } else if (command == QLatin1String("ports")) {
    text = kPortsHelp;
  }
  return QString::fromLatin1(text) + QString::fromLatin1(kExitCodes);
}

QString HelpHint(const QString& command) {
  return command.isEmpty() ? QStringLiteral("Try \"qva-cli --help\".")
                           : QStringLiteral("Try \"qva-cli help %1\".").arg(command);
}

QString VersionText() {
  return QStringLiteral("qva-cli %1 (%2)").arg(QStringLiteral(QVA_VERSION_TEXT), kApplicationTitle);
}
