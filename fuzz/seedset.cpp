// The seed inputs of the fuzz targets: valid files, texts and exchanges of
// the kinds the program itself makes, so that the fuzzers start from inputs
// that reach deep into each parser. qva-fuzz-seeds writes them for
// libFuzzer; the regression tests replay them.
#include "seedset.h"

#include <algorithm>
#include <cstring>

#include <QLocale>

#include "config/qvasetupfiler.h"
#include "configreport.h"
#include "linkinput.h"
#include "support/samplerecords.h"
#include "tables/qvatablefiler.h"

namespace {

std::vector<FuzzSeed>* g_seeds = nullptr;

void Write(const QString& target, const QString& name, const QByteArray& bytes) {
  g_seeds->push_back({target, name, bytes});
}

template <typename Table>
void FillPoints(Table& table, int points) {
  table.num_rows = static_cast<uint8_t>(points);
  for (int i = 0; i < points; ++i) {
    table.values[i].x = static_cast<int16_t>(-2000 + i * 137);
    table.values[i].y = static_cast<int16_t>(5000 - i * 311);
  }
}

template <typename Table>
void TableSeeds(const QString& kind, Table table) {
  const QString binary = QStringLiteral("fuzz_tablefile_") + kind;
  const QString text = QStringLiteral("fuzz_tabletext_") + kind;
  const QByteArray cLocale(1, '\0');
  const QByteArray german(1, '\1');
  for (const int points : {0, 1, 3, kMaxTablePoints}) {
    FillPoints(table, points);
    Write(binary, QStringLiteral("points%1.bin").arg(points), TableFileBytes(table, false));
    if (points == 0) continue;
    QLocale::setDefault(QLocale::c());
    const QByteArray lines = TableFileBytes(table, true);
    Write(text, QStringLiteral("points%1.csv").arg(points), cLocale + lines);
    Write(text, QStringLiteral("heading%1.csv").arg(points), cLocale + "Ipn, Output\r\n" + lines);
    QByteArray unix = lines;
    unix.replace("\r\n", "\n");
    Write(text, QStringLiteral("lf%1.csv").arg(points), cLocale + "\n  \n" + unix);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Write(text, QStringLiteral("german%1.csv").arg(points), german + TableFileBytes(table, true));
  }
  QLocale::setDefault(QLocale::c());
  Write(text, QStringLiteral("units.csv"), cLocale + "1.5 mA, 20\r\n-0.250 mA, 1.000 V\r\n3 A, 2500 mV\r\n");
}

// A request header as the host sends it; the answers are framed from it.
QByteArray RequestHeader(uint8_t type, uint8_t sequence, uint8_t base, uint16_t address, uint8_t length) {
  QByteArray header(11, '\0');
  header[3] = static_cast<char>(type);
  header[4] = static_cast<char>(sequence);
  header[5] = static_cast<char>(base);
  header[6] = static_cast<char>(address >> 8);
  header[7] = static_cast<char>(address & 0xFF);
  header[8] = static_cast<char>(length);
  return header;
}

QByteArray Framed(const QByteArray& payload, uint8_t extraControl = 0) {
  return EncodeRawReply(payload, static_cast<uint8_t>(kReplyFramed | extraControl));
}

void LinkSeeds() {
  const QString target = QStringLiteral("fuzz_seriallink");
  // The firmware version read: examine base 2, two bytes, answered 1.1 (115).
  {
    QByteArray input = EncodeLinkTransfer({false, 2, 2, 0, 0});
    input += EncodeRawReply(FrameAnswer(RequestHeader(0, 1, 2, 0, 2), 2, 2, QByteArray("\x00\x73", 2)));
    Write(target, QStringLiteral("firmware.bin"), input);
  }
  // The copy-to-EEPROM command: set base 3, the two bytes 7C 3A.
  {
    QByteArray input = EncodeLinkTransfer({true, 2, 3, 0, 4});
    input += EncodeRawReply(FrameAnswer(RequestHeader(0x81, 5, 3, 0, 2), 2, 3, {}));
    Write(target, QStringLiteral("copycommand.bin"), input);
  }
  // A whole configuration read from base 10 and written to base 11.
  QByteArray image(672, '\0');
  for (int i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 31 + 7);
  {
    QByteArray read = EncodeLinkTransfer({false, 672, 10, 0, 20});
    QByteArray write = EncodeLinkTransfer({true, 672, 11, 0, 254});
    for (int offset = 0; offset < image.size(); offset += 128) {
      const QByteArray chunk = image.mid(offset, 128);
      read += Framed(chunk);
      write += Framed({});
    }
    Write(target, QStringLiteral("configread.bin"), read);
    Write(target, QStringLiteral("configwrite.bin"), write);
  }
  // Retries: a bad header CRC, a NAK, line noise, then the answer; delivery
  // a few bytes at a time.
  {
    QByteArray input = EncodeLinkTransfer({false, 14, 3, 0, 255});
    QByteArray corrupt;
    corrupt.append(static_cast<char>(kReplyFramed | kReplyCorrupt));
    corrupt.append(static_cast<char>(9));
    corrupt.append(static_cast<char>(0x01));
    corrupt.append(static_cast<char>(0));
    input += corrupt;
    input += Framed(QByteArray(1, '\2'), kReplyNak);
    input += EncodeRawReply(QByteArray("\x55\x80\x81\x00\x13\x37", 6));
    QByteArray chunked;
    chunked.append(static_cast<char>(kReplyFramed | kReplyChunked));
    chunked.append(static_cast<char>(2));
    chunked.append(static_cast<char>(4));
    chunked += QByteArray("\x01\x02\x03\x04", 4);
    input += chunked;
    Write(target, QStringLiteral("retries.bin"), input);
  }
  // Four silent attempts: the exchange fails.
  Write(target, QStringLiteral("silence.bin"), EncodeLinkTransfer({false, 2, 2, 0, 9}));
}

void ValueSeeds() {
  const QString target = QStringLiteral("fuzz_values");
  struct Seed {
    int type;
    int mode;
    const char* text;
  };
  // Types: 0 Ip, 1 O2 %, 2 plain, 3 heater V, 4 filter s, 5 output V,
  // 6..8 decimal places 1..3, 9 mV, 10 ms, 11 ratio, 12 minutes.
  const Seed seeds[] = {
      {0, 0, "1.234"},   {0, 0, "1.5 mA"},      {0, 0, "-0.250"},     {1, 0, "20.95 %"},  {1, 0, "20.955"},
      {2, 0, "42"},      {2, 0, "-32768"},      {3, 0, "12.0 V"},     {3, 0, "500 mV"},   {4, 0, "0.5 s"},
      {4, 0, "500 ms"},  {5, 0, "2.500 V"},     {6, 0, "3276.7"},     {7, 0, "-1.25"},    {8, 0, "0.001"},
      {9, 0, "1500 mV"}, {10, 0, "250 us"},     {11, 0, "0.2095"},    {12, 0, "1.5 min"}, {0, 4, "1,234 mA"},
      {5, 4, "2,5 V"},   {0, 1, "4294967.295"}, {2, 1, "4294967295"}, {4, 1, "12.5 s"},   {3, 0, "1.2.3"},
      {2, 0, "100000"},  {0, 0, "  7 A  "},
  };
  int n = 0;
  for (const Seed& seed : seeds) {
    QByteArray input;
    input.append(static_cast<char>(seed.type));
    input.append(static_cast<char>(seed.mode));
    input += seed.text;
    Write(target, QStringLiteral("text%1.bin").arg(n++), input);
  }
  const char raws[][6] = {
      {0, 2, '\x34', '\x12', 0, 0}, {1, 2, '\xFF', '\x7F', 0, 0}, {5, 3, 0, 0, 0, '\x80'}};
  for (const auto& raw : raws) Write(target, QStringLiteral("raw%1.bin").arg(n++), QByteArray(raw, 6));
}

void ValidatorSeeds() {
  const QString target = QStringLiteral("fuzz_validators");
  const char* texts[] = {"123",  "-5", "+7",     " 10 ", "2147483647", "-2147483648",
                         "0x1F", "ff", "0X7ffF", "",     "12a"};
  int n = 0;
  for (const char* text : texts) {
    QByteArray input(1, static_cast<char>(n % 5));
    input += text;
    Write(target, QStringLiteral("text%1.bin").arg(n++), input);
  }
}

void TableClipboardSeeds() {
  const QString target = QStringLiteral("fuzz_tableclipboard");
  struct Seed {
    uint8_t locale;    // 0 C, 1 en_US, 2 de_DE, 3 fr_FR
    uint8_t commands;  // paste position in bits 0-4, then interpolate, adjust, insert and delete
    const char* text;
  };
  const Seed seeds[] = {
      {0, 0x00, "1.5\t10\n2.5\t20\n"},        {0, 0xE0, "Ipn (mA)\tAFR\r\n0.5\t10.0\r\n1\t12\r\n"},
      {1, 0x21, "1,500\t10\n"},                 {2, 0x44, "0,5;1,25\n0.75;2\n"},
      {2, 0x63, "1.500\t3\n"},                  {3, 0x85, "0,5, 10\n1,5, 20\n"},
      {0, 0xC6, "A\t1\t2\nB\t3\t4\n"},      {1, 0x27, "7\n"},
      {0, 0x48, "x\t1\n1\tx\n"},              {0, 0x09, "1\t2\t3\n"},
      {0, 0xFF, "1 mA\t5\n\n2 mA\t6\t\t\n"}, {2, 0x10, ""},
  };
  int n = 0;
  for (const Seed& seed : seeds) {
    QByteArray input;
    input.append(static_cast<char>(seed.locale));
    input.append(static_cast<char>(seed.commands));
    input += seed.text;
    Write(target, QStringLiteral("paste%1.bin").arg(n++), input);
  }
}

void ViewerCellSeeds() {
  const QString target = QStringLiteral("fuzz_viewercell");
  struct Seed {
    uint8_t selector;  // kind in bits 0-1 (3: text, size by bits 2-3), fit width in bits 4-7
    const char* text;
  };
  const Seed seeds[] = {
      {0x50, "0x20"},   {0x30, "010"},    {0x20, "256"},     {0x00, ""},         {0x70, "  12 "},
      {0x61, "-32768"}, {0x51, "32768"},  {0x41, "-0x10"},   {0x21, "0x7FFF"},   {0x72, "65535"},
      {0x22, "-1"},     {0x32, "0177777"}, {0x12, "-0"},     {0x0B, "Lambda"},   {0x3B, "ABCDEFGHIJKLMNOPQRST"},
      {0x83, "x"},      {0x47, "ab"},     {0x5F, "MÃ¤rz â¬"}, {0x9B, " AFR "},
  };
  int n = 0;
  for (const Seed& seed : seeds) {
    QByteArray input(1, static_cast<char>(seed.selector));
    input += seed.text;
    Write(target, QStringLiteral("cell%1.bin").arg(n++), input);
  }
}

void ConfigEditSeeds() {
  const QString target = QStringLiteral("fuzz_configedit");
  const char* assignments[] = {
      "display_config.filter_time=5",
      " sensor_type = 0x03 ",
      "user_gain_factor=-0100",
      "user_cal_resistor=65535",
      "output_table[0].values[3]=-5, 0x10",
      "output_table[0].output_name=Lambda 2",
      "output_table[1].output_name=\"q\\\"b\\\\c\\x01\\xFF~\"",
      "output_table[1].output_name=\"\\x41\\x00Z\"",
      "collect_master_config.IDR1=300",
      "version=110",
      "frob",
  };
  int n = 0;
  for (const char* text : assignments) {
    Write(target, QStringLiteral("assignment%1.bin").arg(n++), QByteArray(1, '\0') + text);
  }
  QVA_CONFIG_DATA odd = SampleConfig({.seed = 3});
  std::memcpy(odd.output_table[1].output_name, "\"\\\x01\x7F\x80\xFF=#, x\t", 12);
  const QByteArray dump = DumpText(SampleConfig());
  Write(target, QStringLiteral("dump.bin"), QByteArray(1, '\1') + dump);
  Write(target, QStringLiteral("dumpodd.bin"), QByteArray(1, '\1') + DumpText(odd));
  Write(target, QStringLiteral("dumpedited.bin"),
        QByteArray(1, '\1') + "# edited\r\n\r\nsensor_type = 3\r\noutput_table[0].output_name = \"Air\"\r\n");
  const ConfigBytes sample = ConfigToBytes(odd);
  Write(target, QStringLiteral("record.bin"),
        QByteArray(1, '\2') + QByteArray(reinterpret_cast<const char*>(sample.data()), kConfigSize));
}

// A record of the simulator fuzzer's input: a wait, then bytes on the line.
QByteArray LineRecord(uint8_t waitMs, const QByteArray& bytes) {
  QByteArray record;
  record.append(static_cast<char>(waitMs));
  record.append(static_cast<char>(bytes.size()));
  record += bytes;
  return record;
}

QByteArray Request(uint8_t type, uint8_t sequence, uint8_t base, uint16_t address, const QByteArray& data,
                   uint8_t length) {
  return FramePacket(type, sequence, base, address, length, data);
}

void SimSeeds() {
  const QString target = QStringLiteral("fuzz_simdevice");
  // The send procedure: read the stored configuration and the firmware,
  // write a sealed image, command the copy and poll the status block.
  QByteArray send;
  uint8_t sequence = 1;
  for (uint16_t offset = 0; offset < 672; offset += 128)
    send += LineRecord(
        5, Request(0, sequence++, 10, offset, {}, static_cast<uint8_t>(std::min(128, 672 - offset))));
  send += LineRecord(5, Request(0, sequence++, 2, 0, {}, 2));
  const QVA_CONFIG_DATA sealed = SealForDevice(SampleConfig());
  const QByteArray image(reinterpret_cast<const char*>(&sealed), sizeof sealed);
  for (int offset = 0; offset < image.size(); offset += 128) {
    const QByteArray chunk = image.mid(offset, 128);
    send += LineRecord(5, Request(1, sequence++, 11, static_cast<uint16_t>(offset), chunk,
                                  static_cast<uint8_t>(chunk.size())));
  }
  send += LineRecord(5, Request(1, sequence++, 3, 0, QByteArray("\x7C\x3A", 2), 2));
  for (int poll = 0; poll < 4; ++poll) send += LineRecord(50, Request(0, sequence++, 3, 0, {}, 14));
  send += LineRecord(5, Request(0, sequence++, 10, 0, {}, 128));
  Write(target, QStringLiteral("send.bin"), send);

  // A request cut in half, the line quiet, then the request again.
  const QByteArray firmware = Request(0, 7, 2, 0, {}, 2);
  Write(target, QStringLiteral("partial.bin"),
        LineRecord(0, firmware.left(6)) + LineRecord(200, {}) + LineRecord(1, firmware));
  // Noise before a request, a bad header CRC, live data.
  QByteArray bad = Request(0, 8, 12, 0, {}, 28);
  bad[9] = static_cast<char>(bad[9] ^ 0x10);
  Write(target, QStringLiteral("noise.bin"),
        LineRecord(0, QByteArray("\x00\x80\x81\x13", 4)) + LineRecord(1, bad) +
            LineRecord(1, Request(0, 9, 12, 0, {}, 28)));
}

}  // namespace

std::vector<FuzzSeed> MakeFuzzSeeds() {
  std::vector<FuzzSeed> seeds;
  g_seeds = &seeds;
  const QLocale previous;
  QLocale::setDefault(QLocale::c());

  Write(QStringLiteral("fuzz_setupfile"), QStringLiteral("blank.Q11"), SetupFileBytes(MakeBlankConfig()));
  Write(QStringLiteral("fuzz_setupfile"), QStringLiteral("sample.Q11"), SetupFileBytes(SampleConfig()));
  QVA_CONFIG_DATA old = SampleConfig();
  old.version = 100;
  Write(QStringLiteral("fuzz_setupfile"), QStringLiteral("old.QV1"), SetupFileBytes(old));

  QVA_OUTPUT_CAL_TABLE output{};
  std::strncpy(output.output_name, "Lambda", sizeof output.output_name);
  output.decimal_places = 2;
  TableSeeds(QStringLiteral("output"), output);
  QVA_ANALOG_OUT_TABLE analog{};
  analog.out_function = 2;
  analog.out_table_index = 1;
  analog.default_output = 2500;
  TableSeeds(QStringLiteral("analog"), analog);
  TableSeeds(QStringLiteral("usercal"), QVA_USER_CAL_TABLE{});

  LinkSeeds();
  ValueSeeds();
  ValidatorSeeds();
  ViewerCellSeeds();
  TableClipboardSeeds();
  ConfigEditSeeds();
  SimSeeds();
  QLocale::setDefault(previous);
  g_seeds = nullptr;
  return seeds;
}
