// qva-fuzz-seeds OUTPUT-FOLDER: writes the seed inputs of every fuzz target
// into OUTPUT-FOLDER/<target>/.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QString>

#include "seedset.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qva-fuzz-seeds OUTPUT-FOLDER\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const std::vector<FuzzSeed> seeds = MakeFuzzSeeds();
  for (const FuzzSeed& seed : seeds) {
    const QString folder = out + QLatin1Char('/') + seed.target;
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + seed.name);
    if (!file.open(QIODevice::WriteOnly) || file.write(seed.bytes) != seed.bytes.size()) {
      std::fprintf(stderr, "qva-fuzz-seeds: cannot write %s\n", qPrintable(file.fileName()));
      return 1;
    }
  }
  std::printf("%zu seed files written to %s\n", seeds.size(), qPrintable(out));
  return 0;
}
