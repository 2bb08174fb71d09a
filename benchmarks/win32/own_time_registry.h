// A registry seam that passes every call to the system registry and measures the time
// its caller spends between calls, by the processor's time stamp counter. Under Wine a
// registry call is a round trip to the wine server, whose waits swing with the machine's
// load; the caller's own time between calls does not, so it shows what a change of the
// reader's own work gains even on a shared machine. The time is split by the call that
// came before it (what the reader does after opening a key, after querying it, ...).
// The counter readings themselves cost some 50-100 ns per call, in every part.
#pragma once

#include <x86intrin.h>

#include <cstdint>

#include "platform/registry.h"

class OwnTimeRegistry : public platform::RegistrySeam {
 public:
  enum Part { kOpen, kQuery, kEnumKey, kEnumValue, kClose, kPartCount };

  void start() {
    for (uint64_t& ticks : ticks_) ticks = 0;
    last_ = 0;
    part_ = kOpen;
  }
  // Ticks spent after calls of `part` until the next call.
  uint64_t ticks(Part part) const { return ticks_[part]; }
  uint64_t totalTicks() const {
    uint64_t sum = 0;
    for (uint64_t ticks : ticks_) sum += ticks;
    return sum;
  }

  long openKey(platform::RegKey parent, const char* subKey, uint32_t access,
               platform::RegKey* result) override {
    enter();
    const long rc = system_.openKey(parent, subKey, access, result);
    leave(kOpen);
    return rc;
  }
  long queryInfoKey(platform::RegKey key, platform::RegKeyInfo* info) override {
    enter();
    const long rc = system_.queryInfoKey(key, info);
    leave(kQuery);
    return rc;
  }
  long enumKey(platform::RegKey key, uint32_t index, char* name, uint32_t* nameLength,
               uint64_t* lastWriteTime) override {
    enter();
    const long rc = system_.enumKey(key, index, name, nameLength, lastWriteTime);
    leave(kEnumKey);
    return rc;
  }
  long enumValue(platform::RegKey key, uint32_t index, char* name, uint32_t* nameLength,
                 uint32_t* type, uint8_t* data, uint32_t* dataLength) override {
    enter();
    const long rc = system_.enumValue(key, index, name, nameLength, type, data, dataLength);
    leave(kEnumValue);
    return rc;
  }
  long closeKey(platform::RegKey key) override {
    enter();
    const long rc = system_.closeKey(key);
    leave(kClose);
    return rc;
  }
  // A read makes none of these; they pass through untimed.
  long queryValue(platform::RegKey key, const char* name, uint32_t* type, uint8_t* data,
                  uint32_t* dataLength) override {
    return system_.queryValue(key, name, type, data, dataLength);
  }
  long createKey(platform::RegKey parent, const char* subKey, uint32_t access,
                 platform::RegKey* result) override {
    return system_.createKey(parent, subKey, access, result);
  }
  long setValue(platform::RegKey key, const char* name, uint32_t type, const uint8_t* data,
                uint32_t dataLength) override {
    return system_.setValue(key, name, type, data, dataLength);
  }
  long deleteValue(platform::RegKey key, const char* name) override {
    return system_.deleteValue(key, name);
  }
  long deleteKey(platform::RegKey parent, const char* subKey) override {
    return system_.deleteKey(parent, subKey);
  }

 private:
  void enter() {
    const uint64_t now = __rdtsc();
    if (last_ != 0) ticks_[part_] += now - last_;
  }
  void leave(Part part) {
    part_ = part;
    last_ = __rdtsc();
  }

  platform::RegistrySeam& system_ = platform::defaultRegistrySeam();
  uint64_t ticks_[kPartCount] = {};
  uint64_t last_ = 0;
  Part part_ = kOpen;
};
