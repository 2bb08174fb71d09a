// How long operations of the core (reading the registry, comparing, loading) show
// their progress: a status-line text and a message pump between their steps, and a
// keep-alive pump at least every 100 ms inside a step, so the window repaints and
// answers the system however long one step takes.
//
// The shell installs both hooks when its window exists; until then, and in tests that
// install nothing, the texts go nowhere and the pump reports that the program goes on.
#pragma once

#include <cstdint>

// Shows `text` (cp932) in the status line.
using StatusTextHook = void (*)(const char* text);
// Lets the window handle pending messages; returns true when the program was asked to
// quit meanwhile, so the operation stops at the next point where it may.
using MessagePumpHook = bool (*)();

void setStatusTextHook(StatusTextHook hook);
void setMessagePumpHook(MessagePumpHook hook);

void showStatusText(const char* text);
// True when the program is quitting.
bool pumpPendingMessages();

// Handles the messages pending now without waiting; returns true when the program was
// asked to quit meanwhile.
using KeepAliveHook = bool (*)();
void setKeepAliveHook(KeepAliveHook hook);
// Runs the keep-alive hook (false without one).
bool keepWindowAlive();

// Paces the keep-alive pump and progress texts of a long loop: due() is true when
// kProgressIntervalMs have passed since it was last true (or since the pacer was made).
// It reads the clock only every `callsPerClock` calls, so a loop may call it once per
// item: choose about 1 ms worth of the loop's slowest items (a registry read under
// Wine takes some 200 µs a key; a comparison some 100 ns an item).
constexpr int kProgressIntervalMs = 100;
class ProgressPacer {
 public:
  explicit ProgressPacer(uint32_t callsPerClock);
  bool due();

 private:
  uint32_t callsPerClock_;
  uint32_t calls_ = 0;
  int64_t last_;  // steady-clock milliseconds of the last report
};
