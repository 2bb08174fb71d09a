// Timing of a full registry read on the system registry (under Wine, Wine's own):
// readRegistry against a bare walk of the same registry that makes the same registry
// calls and stores nothing. The two alternate, after one untimed round that warms the
// registry's caches; each read starts without a baseline, as the first read of a run.
//
// Usage: reader_timing [rounds]   (default 7). Prints
//   figure reader.ms <ms> ms                  median full read
//   figure reader.bare_walk_ms <ms> ms        median bare walk
//   figure reader.ratio_to_bare_walk <r> x    median of the per-round ratios
//   figure reader.own_ms <ms> ms              median of the reader's own time between
//                                             registry calls (further reads, timed apart)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_store.h"
#include "platform/message_box.h"
#include "benchmarks/win32/own_time_registry.h"
#include "tests/win32/bare_registry_walk.h"

namespace {

// Registry errors must not stop the timing in a message box nobody answers.
class CountingMessages : public platform::MessageSeam {
 public:
  int show(const char* text, const char* caption, unsigned) override {
    if (shown++ < 5) std::fprintf(stderr, "[%s] %s\n", caption, text);
    return platform::kAnswerOk;
  }
  int shown = 0;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// CPU time of this process (user and kernel), in ms: what the program itself spends,
// the registry's own work in the wine server left out.
double processCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  initMemoryPool();
  initSnapshotStores();
  CountingMessages messages;
  platform::setMessageSeam(&messages);
  ReaderOptions options;
  options.keepValueData = true;  // the option's default

  double readCpu = 0, walkCpu = 0;
  auto timedRead = [&](ReadResult* result) {
    clearBaselineStore();
    const double cpu = processCpuMs();
    const auto start = std::chrono::steady_clock::now();
    *result = readRegistry(options);
    const double ms = msSince(start);
    readCpu = processCpuMs() - cpu;
    return ms;
  };
  auto timedWalk = [&](BareWalkTotals* totals) {
    const double cpu = processCpuMs();
    const auto start = std::chrono::steady_clock::now();
    *totals = bareRegistryWalk();
    const double ms = msSince(start);
    walkCpu = processCpuMs() - cpu;
    return ms;
  };

  ReadResult result{};
  BareWalkTotals totals;
  timedWalk(&totals);
  timedRead(&result);
  std::vector<double> reads, walks, ratios;
  for (int round = 0; round < rounds; ++round) {
    double read = 0, walk = 0;
    if (round % 2 == 0) {
      walk = timedWalk(&totals);
      read = timedRead(&result);
    } else {
      read = timedRead(&result);
      walk = timedWalk(&totals);
    }
    std::printf("round %d: read %.0f ms (cpu %.0f), bare walk %.0f ms (cpu %.0f)\n", round + 1,
                read, readCpu, walk, walkCpu);
    reads.push_back(read);
    walks.push_back(walk);
    ratios.push_back(read / walk);
  }
  std::printf("registry: reader %lld keys %lld values %lld bytes, bare walk %lld keys %lld values, %d boxes\n",
              static_cast<long long>(result.counts.keys), static_cast<long long>(result.counts.values),
              static_cast<long long>(result.counts.bytes),
              static_cast<long long>(totals.keys), static_cast<long long>(totals.values),
              messages.shown);
  // The reader's own time, in reads of their own: the timing seam's counter readings
  // would weigh on the ratio above.
  OwnTimeRegistry ownTime;
  std::vector<double> owns;
  for (int round = 0; round < rounds; ++round) {
    clearBaselineStore();
    platform::setRegistrySeam(&ownTime);
    ownTime.start();
    const auto start = std::chrono::steady_clock::now();
    const uint64_t startTicks = __rdtsc();
    readRegistry(options);
    const double msPerTick = msSince(start) / static_cast<double>(__rdtsc() - startTicks);
    platform::setRegistrySeam(nullptr);
    auto ms = [&](OwnTimeRegistry::Part part) { return msPerTick * static_cast<double>(ownTime.ticks(part)); };
    owns.push_back(msPerTick * static_cast<double>(ownTime.totalTicks()));
    std::printf("own time %.1f ms: after open %.1f, query %.1f, subkey %.1f, value %.1f, close %.1f\n",
                owns.back(), ms(OwnTimeRegistry::kOpen), ms(OwnTimeRegistry::kQuery),
                ms(OwnTimeRegistry::kEnumKey), ms(OwnTimeRegistry::kEnumValue), ms(OwnTimeRegistry::kClose));
  }
  std::printf("figure reader.ms %.0f ms\n", median(reads));
  std::printf("figure reader.bare_walk_ms %.0f ms\n", median(walks));
  std::printf("figure reader.ratio_to_bare_walk %.3f x\n", median(ratios));
  std::printf("figure reader.own_ms %.1f ms\n", median(owns));
  platform::setMessageSeam(nullptr);
  return 0;
}
