// Randomized check of reading and comparing: a random in-memory registry is read as
// baseline, changed at random (keys and values added, deleted and renamed, data and
// types changed, names changed only in case, keys refused), read again and compared.
// The marks must equal a difference of the two registries computed here from a plain
// walk of the registry, independently of the reader and the store.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/comparison.h"
#include "engine/registry_reader.h"
#include "engine/store_walk.h"
#include "tests/engine/registry_test_support.h"

namespace {

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string parentOf(const std::string& path) {
  const size_t cut = path.rfind('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// REG_MULTI_SZ counts up to the NUL of its first empty string.
std::string effective(const std::string& data, uint32_t type) {
  if (type != 7) return data;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\0' && (i == 0 || data[i - 1] == '\0')) return data.substr(0, i + 1);
  }
  return data;
}

struct SeenValue {
  std::string keyPath;  // as the registry spells it
  std::string name;
  uint32_t type;
  std::string data;
};

// One registry as a plain walk through the seam sees it; keys by lower-case path.
struct Seen {
  std::map<std::string, std::string> keys;  // lower path -> path as spelled
  std::set<std::string> refused;
  std::map<std::string, SeenValue> values;  // lower "path|name"
};

void walk(platform::RegistrySeam& reg, platform::RegKey key, const std::string& path, Seen& seen) {
  seen.keys[lower(path)] = path;
  platform::RegKeyInfo info{};
  ASSERT_EQ(reg.queryInfoKey(key, &info), platform::kRegOk);
  for (uint32_t i = 0; i < info.valueCount; ++i) {
    char name[260];
    std::string data(info.maxValueDataLength + 1, '\0');
    uint32_t nameLength = sizeof name;
    uint32_t type = 0;
    uint32_t size = static_cast<uint32_t>(data.size());
    ASSERT_EQ(reg.enumValue(key, i, name, &nameLength, &type,
                            reinterpret_cast<uint8_t*>(&data[0]), &size),
              platform::kRegOk);
    data.resize(size);
    seen.values[lower(path + "|" + name)] = SeenValue{path, name, type, data};
  }
  for (uint32_t i = 0; i < info.subKeyCount; ++i) {
    char name[260];
    uint32_t nameLength = sizeof name;
    ASSERT_EQ(reg.enumKey(key, i, name, &nameLength, nullptr), platform::kRegOk);
    const std::string childPath = path + "\\" + name;
    platform::RegKey child = 0;
    const long rc = reg.openKey(key, name, platform::kRegRead, &child);
    if (rc == platform::kRegAccessDenied) {
      seen.keys[lower(childPath)] = childPath;
      seen.refused.insert(lower(childPath));
      continue;
    }
    ASSERT_EQ(rc, platform::kRegOk);
    walk(reg, child, childPath, seen);
    reg.closeKey(child);
  }
}

Seen walkAll(platform::RegistrySeam& reg) {
  Seen seen;
  for (int i = 0; i < kRootKeyCount; ++i) {
    walk(reg, static_cast<platform::RegKey>(kRootKeyHandles[i]), kRootKeyNames[i], seen);
  }
  return seen;
}

// Paths of the added and deleted keys and ids of the changed, added and deleted values.
enum MarkKind { kAddedKeys, kDeletedKeys, kChangedValues, kAddedValues, kDeletedValues };
using Marks = std::array<std::set<std::string>, 5>;

// What the comparison must find, from the two walks alone. Below a key that exists on
// both sides but was refused on either, nothing can be compared.
Marks expectedMarks(const Seen& before, const Seen& after, const CompareOptions& options) {
  auto inBoth = [&](const std::string& k) { return before.keys.count(k) && after.keys.count(k); };
  auto refusedEither = [&](const std::string& k) {
    return before.refused.count(k) || after.refused.count(k);
  };
  auto blockedBelow = [&](const std::string& k) {
    for (std::string at = parentOf(k); !at.empty(); at = parentOf(at)) {
      if (inBoth(at) && refusedEither(at)) return true;
    }
    return false;
  };
  Marks m;
  for (const auto& [k, spelled] : after.keys) {
    if (!before.keys.count(k) && !after.refused.count(k) && !blockedBelow(k)) m[kAddedKeys].insert(k);
  }
  for (const auto& [k, spelled] : before.keys) {
    if (after.keys.count(k) || blockedBelow(k)) continue;
    if (options.showDeletedContents || after.keys.count(parentOf(k))) m[kDeletedKeys].insert(k);
  }
  if (options.keysOnly) return m;
  auto comparable = [&](const std::string& k) {
    return !blockedBelow(k) && !(inBoth(k) && refusedEither(k));
  };
  for (const auto& [id, v] : after.values) {
    const std::string k = lower(v.keyPath);
    if (!comparable(k)) continue;
    auto old = before.values.find(id);
    if (old == before.values.end()) {
      m[kAddedValues].insert(id);
    } else if (old->second.type != v.type ||
               effective(old->second.data, old->second.type) != effective(v.data, v.type)) {
      m[kChangedValues].insert(id);
    }
  }
  for (const auto& [id, v] : before.values) {
    const std::string k = lower(v.keyPath);
    if (after.values.count(id) || !comparable(k)) continue;
    if (after.keys.count(k) || (options.showDeletedContents && !blockedBelow(k))) {
      m[kDeletedValues].insert(id);
    }
  }
  return m;
}

Marks storeMarks(SnapshotStore& store) {
  Marks m;
  store_walk::walkAllKeys(store, [&](ItemIndex key) {
    const std::string path = lower(buildItemPath(store, key, 0));
    if (keyRecord(store, key).state == STATE_ADDED) m[kAddedKeys].insert(path);
    if (keyRecord(store, key).state == STATE_DELETED) m[kDeletedKeys].insert(path);
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& v) {
      const std::string id = path + "|" + lower(valueName(store, value));
      if (v.state == STATE_DATA_CHANGED) m[kChangedValues].insert(id);
      if (v.state == STATE_VALUE_ADDED) m[kAddedValues].insert(id);
      if (v.state == STATE_VALUE_DELETED) m[kDeletedValues].insert(id);
    });
    return true;
  });
  return m;
}

class ComparePropertyTest : public registry_test::RegistryReadTest {
 protected:
  std::string randomName() {
    static const char kChars[] = "aAbB_9[";
    std::string name;
    const int length = pick(1, 3);
    for (int i = 0; i < length; ++i) name += kChars[pick(0, 6)];
    return name;
  }
  std::string randomData(uint32_t type) {
    std::string data;
    const int length = pick(0, 12);
    for (int i = 0; i < length; ++i) data += static_cast<char>(pick(0, 3) == 0 ? 0 : pick(1, 255));
    if (type == 7 && pick(0, 1) == 0) data += std::string("x\0\0tail", 7);
    return data;
  }
  uint32_t randomType() {
    static const uint32_t kTypes[] = {1, 2, 3, 4, 7, 11};
    return kTypes[pick(0, 5)];
  }
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  template <class Map>
  auto any(const Map& map) {
    auto it = map.begin();
    std::advance(it, pick(0, static_cast<int>(map.size()) - 1));
    return it;
  }

  void buildRandomRegistry() {
    std::vector<std::string> keys = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
    for (int i = 0; i < 120; ++i) {
      const std::string parent = keys[static_cast<size_t>(pick(0, static_cast<int>(keys.size()) - 1))];
      if (std::count(parent.begin(), parent.end(), '\\') >= 4) continue;
      keys.push_back(parent + "\\" + randomName());
      r_->addKeyPath(keys.back());
      for (int v = pick(0, 3); v > 0; --v) {
        const uint32_t type = randomType();
        r_->putValue(keys.back(), pick(0, 5) == 0 ? "" : randomName(), type, randomData(type));
      }
    }
  }

  void refuseSomeKeys(const Seen& seen) {
    for (int i = pick(0, 3); i > 0; --i) {
      const auto& [lowerPath, path] = *any(seen.keys);
      if (path.find('\\') != std::string::npos) r_->failOpen(path, platform::kRegAccessDenied);
    }
  }

  void mutate(const Seen& seen) {
    std::vector<std::string> keys;
    for (const auto& [lowerPath, path] : seen.keys) {
      if (path.find('\\') != std::string::npos) keys.push_back(path);
    }
    for (int op = pick(5, 20); op > 0; --op) {
      const std::string key = keys[static_cast<size_t>(pick(0, static_cast<int>(keys.size()) - 1))];
      const size_t cut = key.rfind('\\');
      std::string leaf = key.substr(cut + 1);
      const SeenValue* value = seen.values.empty() ? nullptr : &any(seen.values)->second;
      switch (pick(0, 9)) {
        case 0:
          r_->addKeyPath(key + "\\" + randomName() + "\\" + randomName());
          break;
        case 1:
          r_->removeKeyTree(key);
          break;
        case 2:
          r_->renameKey(key, randomName());
          break;
        case 3:
          for (char& c : leaf) c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
          r_->renameKey(key, leaf);
          break;
        case 4: {
          const uint32_t type = randomType();
          r_->putValue(key, randomName(), type, randomData(type));
          break;
        }
        case 5:
          if (value) r_->removeValue(value->keyPath, value->name);
          break;
        case 6:
          if (value) r_->renameValue(value->keyPath, value->name, randomName());
          break;
        case 7:
          if (value) r_->renameValue(value->keyPath, value->name, lower(value->name) == value->name ? std::string(value->name.size(), 'A') : lower(value->name));
          break;
        case 8:
          if (value) r_->putValue(value->keyPath, value->name, value->type, randomData(value->type));
          break;
        default:
          if (value) r_->putValue(value->keyPath, value->name, value->type == 1 ? 2 : 1, value->data);
          break;
      }
    }
  }

  std::mt19937 rng_;
  platform::MemoryRegistry* r_ = nullptr;
};

TEST_F(ComparePropertyTest, MarksEqualTheDifferenceOfTheTwoRegistries) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    rng_.seed(seed);
    auto fresh = std::make_unique<platform::MemoryRegistry>();
    r_ = fresh.get();
    platform::setRegistrySeam(r_);
    initSnapshotStores();
    options = ReaderOptions{};
    options.keepValueData = true;
    options.compare.showDeletedContents = pick(0, 1) == 1;
    options.compare.keysOnly = pick(0, 5) == 0;

    buildRandomRegistry();
    refuseSomeKeys(walkAll(*r_));
    const Seen before = walkAll(*r_);
    read();
    r_->clearFaults();
    mutate(walkAll(*r_));
    refuseSomeKeys(walkAll(*r_));
    const Seen after = walkAll(*r_);
    const ReadResult result = read();
    ASSERT_TRUE(result.compared);
    EXPECT_TRUE(shown().empty());

    const Marks expected = expectedMarks(before, after, options.compare);
    const Marks found = storeMarks(current());
    const StatusCounts& c = result.counts;
    const int64_t counts[] = {c.addedKeys, c.deletedKeys, c.changedValues, c.addedValues,
                              c.deletedValues};
    for (int kind = kAddedKeys; kind <= kDeletedValues; ++kind) {
      SCOPED_TRACE("mark kind " + std::to_string(kind));
      if (!options.compare.keysOnly || kind <= kDeletedKeys) {
        EXPECT_EQ(found[kind], expected[kind]);
      }
      EXPECT_EQ(counts[kind], static_cast<int64_t>(expected[kind].size()));
    }
    EXPECT_EQ(c.keys, static_cast<int64_t>(after.keys.size()));

    // Comparing again, all roots at once, gives the same marks.
    compareSnapshots(-1, options.compare);
    EXPECT_TRUE(storeMarks(current()) == found);
    platform::setRegistrySeam(&reg);
    if (HasFailure()) return;
  }
}

}  // namespace
