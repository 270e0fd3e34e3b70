#pragma once

// A broken rule in a fuzz target. Under libFuzzer the trap stops the run
// and the input is saved as a finding; the regression tests, which replay
// seeds and saved findings through the same targets (QVA_FUZZ_REPLAY),
// get an exception naming the line instead, so that one test case reports
// which input broke which rule.

#ifdef QVA_FUZZ_REPLAY
#include <stdexcept>
#include <string>

class FuzzFinding : public std::runtime_error {
 public:
  FuzzFinding(const char* file, int line)
      : std::runtime_error(std::string("rule broken at ") + file + ":" + std::to_string(line)) {}
};

#define Finding() throw FuzzFinding(__FILE__, __LINE__)
#else
#define Finding() __builtin_trap()
#endif
