// Helpers for the undo list tests: a current and a baseline store filled from paths
// and compared by the real comparison engine, and undo records spelled out field by
// field for the expected bytes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "platform/memory_registry.h"

namespace undo_test {

class TwoStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    for (auto* holder : {&cur_, &base_}) {
      *holder = std::make_unique<SnapshotStore>();
      initStore(**holder);
      resetStore(**holder, true);
    }
  }
  void TearDown() override {
    destroyStore(*cur_);
    destroyStore(*base_);
  }

  SnapshotStore& cur() { return *cur_; }
  SnapshotStore& base() { return *base_; }

  static ItemIndex key(SnapshotStore& store, const std::string& path) {
    ItemIndex at = kNoItem;
    size_t start = 0;
    for (;;) {
      const size_t end = path.find('\\', start);
      const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
      ItemIndex found = findChild(store, at, name.c_str(), false);
      if (found < 0) found = addKey(store, at, keyRecord(store, at).firstChild, name.c_str());
      at = found;
      if (end == std::string::npos) return at;
      start = end + 1;
    }
  }
  static ItemIndex value(SnapshotStore& store, const std::string& keyPath, const char* name,
                         const std::string& data, uint32_t type = kRegSz, bool keep = true) {
    const ItemIndex made = addValue(store, key(store, keyPath), name);
    assignValueData(store, made, reinterpret_cast<const uint8_t*>(data.data()),
                    static_cast<uint32_t>(data.size()), type, keep);
    return made;
  }
  void both(const std::string& path) {
    key(cur(), path);
    key(base(), path);
  }
  void compare() { compareStores(cur(), base(), -1, CompareOptions{}); }

  // The current item at `path` (a key) or `path` and `name` (a value, with bit 31).
  ItemIndex item(const std::string& path) { return key(cur(), path); }
  ItemIndex item(const std::string& path, const char* name) {
    return findChild(cur(), key(cur(), path), name, true);
  }

 private:
  std::unique_ptr<SnapshotStore> cur_;
  std::unique_ptr<SnapshotStore> base_;
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
