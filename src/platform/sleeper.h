#pragma once

// The fixed waits of the procedures (50, 200, 1000, 2000 ms) go through a
// Sleeper so that unit tests run without waiting.
class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void Sleep(int milliseconds) = 0;
};

// Waits for real; while a GUI event loop exists it keeps repainting (no
// user input is processed during the wait).
class RealSleeper : public Sleeper {
 public:
  void Sleep(int milliseconds) override;
};

// A process-wide RealSleeper.
Sleeper& DefaultSleeper();
