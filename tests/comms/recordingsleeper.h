#pragma once

#include <vector>

#include "platform/sleeper.h"

// Records the waits asked for instead of waiting.
class RecordingSleeper : public Sleeper {
 public:
  void Sleep(int milliseconds) override { waits.push_back(milliseconds); }
  std::vector<int> waits;
};
