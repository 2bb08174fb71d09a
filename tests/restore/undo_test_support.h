// Helpers for the undo list tests: a current and a baseline store filled from paths
// and compared by the real comparison engine, and undo records spelled out field by
// field for the expected bytes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/memory_registry.h"
#include "tests/engine/two_stores.h"

namespace undo_test {

class TwoStoreTest : public two_stores::TwoStoreTest {
 protected:
  // The current item at `path` (a key) or `path` and `name` (a value, with bit 31).
  ItemIndex item(const std::string& path) { return key(cur(), path); }
  ItemIndex item(const std::string& path, const char* name) {
    return findChild(cur(), key(cur(), path), name, true);
  }
};

inline std::string header(int kind, int detail, int level, int type, uint32_t length) {
  std::string bytes{static_cast<char>(kind), static_cast<char>(detail), static_cast<char>(level),
                    static_cast<char>(type)};
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(length >> (8 * i)));
  return bytes;
}
inline std::string text(int kind, int detail, int level, const std::string& payload) {
  return header(kind, detail, level, 0, static_cast<uint32_t>(payload.size() + 1)) + payload +
         std::string(1, '\0');
}
inline std::string data(int which, int type, const std::string& payload) {
  return header(5, which, 0, type, static_cast<uint32_t>(payload.size())) + payload;
}
inline const std::string kStart("\x01\x01\x00\x00\x01\x12\x00\x00", 8);
inline const std::string kEnd("\x00\x01\x00\x00\x01\x12\x00\x00", 8);
// The data (and type) of value `name` of key `path` under HKEY_CURRENT_USER, or
// "<no key>" / "<no value>".
inline std::string valueOf(platform::MemoryRegistry& registry, const std::string& path,
                           const char* name, uint32_t* type = nullptr) {
  platform::RegKey key = 0;
  if (registry.openKey(platform::kHkeyCurrentUser, path.substr(18).c_str(), platform::kRegRead,
                       &key) != 0) {
    return "<no key>";
  }
  uint8_t buffer[256];
  uint32_t length = sizeof buffer;
  const long rc = registry.queryValue(key, name, type, buffer, &length);
  registry.closeKey(key);
  return rc == 0 ? std::string(reinterpret_cast<char*>(buffer), length) : "<no value>";
}
inline std::string sz(const std::string& text) { return text + std::string(1, '\0'); }

}  // namespace undo_test
