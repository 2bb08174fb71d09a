// Fixture for tests that read an in-memory registry into the program-wide stores:
// a MemoryRegistry installed as the registry, recorded message boxes and status
// texts, and look-ups of keys and values by path.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/progress_hooks.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_store.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_registry.h"
#include "tests/engine/store_test_support.h"

namespace registry_test {

inline std::vector<std::string>& recordedStatus() {
  static std::vector<std::string> texts;
  return texts;
}

inline void recordStatus(const char* text) { recordedStatus().push_back(text); }

// The key of a path like "HKEY_CURRENT_USER\\Software\\X" in `store`, -1 when missing.
inline ItemIndex findKey(SnapshotStore& store, const std::string& path) {
  return store_test::keyAtPath(store, path);
}

inline ItemIndex findValue(SnapshotStore& store, const std::string& keyPath, const std::string& name) {
  const ItemIndex key = findKey(store, keyPath);
  if (key < 0) return kNoItem;
  const ItemIndex value = findChild(store, key, name.c_str(), true);
  return value == kNoItem ? kNoItem : static_cast<ItemIndex>(static_cast<uint32_t>(value) & ~kValueItemBit);
}

class RegistryReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    initSnapshotStores();
    setHooks(&reg, &recordStatus);
    recordedStatus().clear();
  }
  void TearDown() override { setHooks(nullptr, nullptr); }
  void setHooks(platform::RegistrySeam* registry, StatusTextHook status) {
    platform::setRegistrySeam(registry);
    setControlRuleHook(nullptr);
    setReaderHooks(ReaderHooks{});
    setMessagePumpHook(nullptr);
    setKeepAliveHook(nullptr);
    setStatusTextHook(status);
  }

  ReadResult read() { return readRegistry(options); }
  SnapshotStore& current() { return currentStore(); }
  SnapshotStore& baseline() { return baselineStore(); }
  ItemIndex key(const std::string& path) { return findKey(current(), path); }
  ItemIndex value(const std::string& keyPath, const std::string& name) {
    return findValue(current(), keyPath, name);
  }
  KeyRecord& rec(ItemIndex k) { return keyRecord(current(), k); }
  ValueRecord& val(ItemIndex v) { return valueRecord(current(), v); }
  const std::vector<platform::ShownMessage>& shown() { return messages.recorder.shown; }

  platform::MemoryRegistry reg;
  platform::ScopedMessages messages;
  ReaderOptions options;
};

}  // namespace registry_test
