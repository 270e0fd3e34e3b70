// The fuzz targets' rules in the ordinary test run: every target replays
// its seeds, the inputs of past findings (inputs/<target>/, one file per
// finding, named after it) and simple mutations of the seeds (cut short,
// one byte flipped or cleared). A broken rule names the input and the line
// of the rule; an exception escaping a target is a finding too.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include "fuzzfinding.h"
#include "seedset.h"

extern "C" int FuzzReplay_fuzz_setupfile(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_tablefile_output(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_tablefile_analog(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_tablefile_usercal(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_tabletext_output(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_tabletext_analog(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_tabletext_usercal(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_seriallink(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_values(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_validators(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_viewercell(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_tableclipboard(const uint8_t*, size_t);
extern "C" int FuzzReplay_fuzz_configedit(const uint8_t*, size_t);
#ifdef QVA_REPLAY_SIMDEVICE
extern "C" int FuzzReplay_fuzz_simdevice(const uint8_t*, size_t);
#endif

namespace {

struct ReplayTarget {
  const char* name;
  int (*entry)(const uint8_t*, size_t);
};

// Test names and failure reports show the target's name.
void PrintTo(const ReplayTarget& target, std::ostream* out) {
  *out << target.name;
}

const ReplayTarget kTargets[] = {
    {"fuzz_setupfile", FuzzReplay_fuzz_setupfile},
    {"fuzz_tablefile_output", FuzzReplay_fuzz_tablefile_output},
    {"fuzz_tablefile_analog", FuzzReplay_fuzz_tablefile_analog},
    {"fuzz_tablefile_usercal", FuzzReplay_fuzz_tablefile_usercal},
    {"fuzz_tabletext_output", FuzzReplay_fuzz_tabletext_output},
    {"fuzz_tabletext_analog", FuzzReplay_fuzz_tabletext_analog},
    {"fuzz_tabletext_usercal", FuzzReplay_fuzz_tabletext_usercal},
    {"fuzz_seriallink", FuzzReplay_fuzz_seriallink},
    {"fuzz_values", FuzzReplay_fuzz_values},
    {"fuzz_validators", FuzzReplay_fuzz_validators},
    {"fuzz_viewercell", FuzzReplay_fuzz_viewercell},
    {"fuzz_tableclipboard", FuzzReplay_fuzz_tableclipboard},
    {"fuzz_configedit", FuzzReplay_fuzz_configedit},
#ifdef QVA_REPLAY_SIMDEVICE
    {"fuzz_simdevice", FuzzReplay_fuzz_simdevice},
#endif
};

// Runs one input through a target; empty when every rule held.
std::string Replay(const ReplayTarget& target, const QByteArray& bytes) {
  std::string broken;
  try {
    target.entry(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
  } catch (const FuzzFinding& finding) {
    broken = finding.what();
  } catch (const std::exception& error) {
    broken = std::string("exception escaped the target: ") + error.what();
  } catch (...) {
    broken = "exception escaped the target";
  }
  // The text targets choose a locale per input.
  QLocale::setDefault(QLocale::c());
  return broken;
}

struct Input {
  std::string name;
  QByteArray bytes;
};

std::vector<Input> SeedsOf(const ReplayTarget& target) {
  std::vector<Input> inputs;
  for (const FuzzSeed& seed : MakeFuzzSeeds()) {
    if (seed.target == QLatin1String(target.name)) inputs.push_back({seed.name.toStdString(), seed.bytes});
  }
  return inputs;
}

std::vector<Input> SavedFindingsOf(const ReplayTarget& target) {
  std::vector<Input> inputs;
  const QDir folder(QStringLiteral(QVA_REGRESSION_INPUTS) + QLatin1Char('/') + QLatin1String(target.name));
  for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
    inputs.push_back({name.toStdString(), file.readAll()});
  }
  return inputs;
}

class FuzzReplay : public ::testing::TestWithParam<ReplayTarget> {};

TEST_P(FuzzReplay, SeedsAndSavedFindingsKeepEveryRule) {
  const std::vector<Input> seeds = SeedsOf(GetParam());
  ASSERT_FALSE(seeds.empty()) << "no seeds for " << GetParam().name;
  std::vector<Input> inputs = seeds;
  for (Input& saved : SavedFindingsOf(GetParam())) inputs.push_back(std::move(saved));
  for (const Input& input : inputs) EXPECT_EQ(Replay(GetParam(), input.bytes), "") << input.name;
}

TEST_P(FuzzReplay, MutatedSeedsKeepEveryRule) {
  constexpr qsizetype kPositionsPerSeed = 48;
  for (const Input& seed : SeedsOf(GetParam())) {
    const qsizetype size = seed.bytes.size();
    const qsizetype step = std::max<qsizetype>(1, size / kPositionsPerSeed);
    for (qsizetype at = 0; at < size; at += step) {
      EXPECT_EQ(Replay(GetParam(), seed.bytes.left(at)), "") << seed.name << " cut to " << at << " bytes";
      QByteArray flipped = seed.bytes;
      flipped[at] = static_cast<char>(flipped[at] ^ 0xFF);
      EXPECT_EQ(Replay(GetParam(), flipped), "") << seed.name << " with byte " << at << " flipped";
      QByteArray cleared = seed.bytes;
      cleared[at] = '\0';
      EXPECT_EQ(Replay(GetParam(), cleared), "") << seed.name << " with byte " << at << " cleared";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<ReplayTarget>& param) {
                           return std::string(param.param.name + 5);  // without "fuzz_"
                         });

}  // namespace
