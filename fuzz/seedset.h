#pragma once

#include <vector>

#include <QByteArray>
#include <QString>

// One seed input of a fuzz target.
struct FuzzSeed {
  QString target;  // "fuzz_tablefile_output", ...
  QString name;    // file name inside the target's seed folder
  QByteArray bytes;
};

// Every target's seeds. Leaves the default locale as it found it.
std::vector<FuzzSeed> MakeFuzzSeeds();
