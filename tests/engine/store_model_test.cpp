// Randomised checks of the store's lists against plain models: random additions and
// removals of keys and values (names with case variants and duplicates, good and bad
// hints), after every step every list compared with ordered multimaps; value lists built
// the fast ways against a stable sort of the names; a ghost subtree deeper than any stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace {

std::string folded(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// std::multimap keeps equal keys in insertion order and std::string compares bytes as
// unsigned values: exactly the store's name order on folded names.
using OrderedItems = std::multimap<std::string, ItemIndex>;

struct ModelKey {
  ItemIndex parent = kNoItem;
  int depth = 0;
  std::string name;
  OrderedItems children;
  OrderedItems values;
};

struct ModelValue {
  ItemIndex key = kNoItem;
  std::string name;
  bool kept = false;
};

OrderedItems::iterator findItem(OrderedItems& items, const std::string& name, ItemIndex item) {
  auto range = items.equal_range(folded(name));
  auto at = std::find_if(range.first, range.second, [&](const auto& e) { return e.second == item; });
  if (at == range.second) ADD_FAILURE() << "model lost item " << item;
  return at == range.second ? items.end() : at;
}

// What a removal returns: the next item in list order, -1 after the last.
ItemIndex nextInList(OrderedItems& items, const std::string& name, ItemIndex item) {
  auto at = findItem(items, name, item);
  return at == items.end() || std::next(at) == items.end() ? kNoItem : std::next(at)->second;
}

void eraseItem(OrderedItems& items, const std::string& name, ItemIndex item) {
  auto at = findItem(items, name, item);
  if (at != items.end()) items.erase(at);
}

class StoreModelTest : public store_test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    addRoots();
    for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
      keys_[root].name = kRootKeyNames[root];
    }
  }

  std::string randomName() {
    static const char* const kNames[] = {"a", "A", "b", "B", "ab", "aB", "AB", "abc", "a_", "_a",
                                         "z", "Z", "zz", "x1", "X1", "\x82\xa0", "", "{GUID}"};
    return kNames[pick(sizeof kNames / sizeof kNames[0])];
  }
  size_t pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(rng_); }
  ItemIndex anyKey() {
    auto it = keys_.begin();
    std::advance(it, static_cast<long>(pick(keys_.size())));
    return it->first;
  }
  ItemIndex anyNonRootKey() {
    if (keys_.size() <= static_cast<size_t>(kRootKeyCount)) return kNoItem;
    auto it = keys_.begin();
    std::advance(it, static_cast<long>(kRootKeyCount + pick(keys_.size() - kRootKeyCount)));
    return it->first;
  }

  void stepAddKey() {
    const ItemIndex parent = anyKey();
    ModelKey& model = keys_[parent];
    ItemIndex hint = kNoItem;
    switch (pick(4)) {
      case 0:
        break;
      case 1:
      case 2:
        if (!model.children.empty()) {
          auto it = model.children.begin();
          std::advance(it, static_cast<long>(pick(model.children.size())));
          hint = it->second;
        }
        break;
      default:
        hint = anyKey();  // often not a child of this parent
        break;
    }
    const std::string name = randomName();
    const ItemIndex key = addKey(store(), parent, hint, name.c_str());
    ASSERT_EQ(keys_.count(key), 0u) << "live key index handed out again";
    ModelKey& added = keys_[key];
    added.parent = parent;
    added.depth = keys_[parent].depth + 1;
    added.name = name;
    keys_[parent].children.emplace(folded(name), key);
  }

  void stepAddValue() {
    const ItemIndex key = anyKey();
    const std::string name = randomName();
    const ItemIndex value = addValue(store(), key, name.c_str());
    ASSERT_EQ(values_.count(value), 0u) << "live value index handed out again";
    values_[value] = ModelValue{key, name, false};
    keys_[key].values.emplace(folded(name), value);
    if (pick(2)) {
      const uint8_t data[] = {'d', 'a', 't', 'a', 0, 0};
      assignValueData(store(), value, data, sizeof data, kRegMultiSz, true);
      values_[value].kept = true;
    }
  }

  void stepRemoveValue() {
    if (values_.empty()) return;
    auto it = values_.begin();
    std::advance(it, static_cast<long>(pick(values_.size())));
    const ItemIndex value = it->first;
    OrderedItems& list = keys_[it->second.key].values;
    EXPECT_EQ(removeValue(store(), value), nextInList(list, it->second.name, value));
    eraseItem(list, it->second.name, value);
    values_.erase(it);
  }

  void stepRemoveKey() {
    const ItemIndex key = anyNonRootKey();
    if (key < 0) return;
    ModelKey& model = keys_[key];
    ModelKey& parent = keys_[model.parent];
    if (!model.children.empty() || !model.values.empty()) {
      EXPECT_EQ(removeKey(store(), key), kNoItem);
      return;
    }
    EXPECT_EQ(removeKey(store(), key), nextInList(parent.children, model.name, key));
    eraseItem(parent.children, model.name, key);
    keys_.erase(key);
  }

  void forgetSubtree(ItemIndex key) {
    ModelKey& model = keys_[key];
    for (const auto& child : model.children) forgetSubtree(child.second);
    for (const auto& value : model.values) values_.erase(value.second);
    keys_.erase(key);
  }

  void stepRemoveSubtree() {
    const ItemIndex key = anyNonRootKey();
    if (key < 0) return;
    ModelKey& model = keys_[key];
    OrderedItems& siblings = keys_[model.parent].children;
    EXPECT_EQ(removeGhostSubtree(store(), key), nextInList(siblings, model.name, key));
    eraseItem(siblings, model.name, key);
    forgetSubtree(key);
    // Removing it again changes nothing and hands out no free-list link.
    EXPECT_EQ(removeGhostSubtree(store(), key), kNoItem);
  }

  void checkAgainstModel(bool withHash) {
    SnapshotStore& s = store();
    int keptData = 0;
    for (const auto& [key, model] : keys_) {
      const KeyRecord& record = keyRecord(s, key);
      ASSERT_EQ(record.parent, model.parent) << key;
      ASSERT_EQ(record.depth, model.depth) << key;
      ASSERT_EQ(std::string(keyName(s, key)), model.name) << key;
      ASSERT_EQ(record.childCount, static_cast<int32_t>(model.children.size())) << key;
      ASSERT_EQ(record.valueCount, static_cast<int32_t>(model.values.size())) << key;

      ItemIndex previous = kNoItem;
      ItemIndex at = record.firstChild;
      for (const auto& child : model.children) {
        ASSERT_EQ(at, child.second) << "subkeys of " << key;
        ASSERT_EQ(keyRecord(s, at).prevSibling, previous) << at;
        previous = at;
        at = keyRecord(s, at).nextSibling;
      }
      ASSERT_EQ(at, kNoItem) << "subkeys of " << key;

      at = record.firstValue;
      size_t n = 0;
      for (const auto& value : model.values) {
        ASSERT_EQ(at, value.second) << "values of " << key;
        const ValueRecord& v = valueRecord(s, at);
        const bool last = ++n == model.values.size();
        ASSERT_EQ((v.flags & VF_LAST) != 0, last) << at;
        ASSERT_EQ(ownerKeyOfValue(s, at), key) << at;
        ASSERT_EQ(std::string(valueName(s, at)), values_[at].name);
        ASSERT_EQ((v.flags & VF_DATA_KEPT) != 0, values_[at].kept);
        if (values_[at].kept) {
          ++keptData;
          ASSERT_EQ(valueDataLength(s, at), 6);  // cut after "data\0" and the empty string
          ASSERT_EQ(dataEntry(s, v.data).owner, at);
        }
        at = last ? kNoItem : v.next;
      }
      if (model.values.empty()) {
        ASSERT_EQ(record.firstValue, kNoItem);
      }
    }
    ASSERT_EQ(store_test::childNames(s, kNoItem).size(), static_cast<size_t>(kRootKeyCount));

    // Every index below the counts is either live or on its free list, once.
    const int freeKeys = store_test::freeListLength(
        s.counts.keyFreeHead, [&](ItemIndex at) { return keyRecord(s, at).nextSibling; });
    const int freeValues = store_test::freeListLength(
        s.counts.valueFreeHead, [&](ItemIndex at) { return valueRecord(s, at).next; });
    const int freeEntries = store_test::freeListLength(
        s.counts.entryFreeHead, [&](ItemIndex at) { return dataEntry(s, at).owner; });
    ASSERT_EQ(freeKeys + static_cast<int>(keys_.size()), s.counts.keyCount);
    ASSERT_EQ(freeValues + static_cast<int>(values_.size()), s.counts.valueCount);
    const int liveEntries = static_cast<int>(keys_.size() + values_.size()) + keptData;
    ASSERT_EQ(freeEntries + liveEntries, s.counts.entryCount);

    if (!withHash) return;
    // The name hash holds exactly the live names, each in its own bucket.
    std::set<ItemIndex> chained;
    for (int bucket = 0; bucket < kNameHashBuckets; ++bucket) {
      for (ItemIndex at = s.nameHash[bucket]; at >= 0; at = dataEntry(s, at).chainOrLength) {
        ASSERT_EQ(dataEntry(s, at).hashOrType, bucket);
        ASSERT_TRUE(chained.insert(at).second) << "entry chained twice: " << at;
      }
    }
    ASSERT_EQ(chained.size(), keys_.size() + values_.size());
    for (const auto& [key, model] : keys_) ASSERT_EQ(chained.count(keyRecord(s, key).name), 1u);
    for (const auto& [value, model] : values_) {
      ASSERT_EQ(chained.count(valueRecord(s, value).name), 1u);
    }
  }

  void run(unsigned seed, int steps) {
    rng_.seed(seed);
    for (int step = 0; step < steps; ++step) {
      const size_t roll = pick(100);
      // Grow early, shrink later, so lists get long and then empty again.
      const bool growing = step < steps / 2;
      if (roll < (growing ? 35u : 15u)) {
        stepAddKey();
      } else if (roll < (growing ? 70u : 35u)) {
        stepAddValue();
      } else if (roll < 82) {
        stepRemoveValue();
      } else if (roll < 97) {
        stepRemoveKey();
      } else {
        stepRemoveSubtree();
      }
      checkAgainstModel(step % 64 == 0);
      if (HasFatalFailure()) {
        ADD_FAILURE() << "seed " << seed << ", step " << step;
        return;
      }
    }
    checkAgainstModel(true);
  }

  std::mt19937 rng_;
  std::map<ItemIndex, ModelKey> keys_;
  std::map<ItemIndex, ModelValue> values_;
};

TEST_F(StoreModelTest, RandomAdditionsAndRemovalsKeepEveryListConsistent_Seed1) { run(1, 3000); }

TEST_F(StoreModelTest, EveryWayOfAddingGivesNameOrderWithEqualNamesInInsertionOrder) {
  // "\x82\xa0" is one double-byte character; letters of both cases make equal names.
  static const char* const kParts[] = {"", "a", "A", "_", "\x82\xa0"};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> names(1 + rng() % 60);
    for (std::string& name : names) name = std::string(kParts[rng() % 5]) + kParts[rng() % 5];
    const ItemIndex hinted = addKey(store(), 3, kNoItem, "hinted");
    const ItemIndex appended = addKey(store(), 3, kNoItem, "appended");
    std::vector<ItemIndex> made;
    ItemIndex last = kNoItem;
    for (const std::string& name : names) {
      // Any value of the key may be the hint, right or wrong; a stale tail is looked for.
      const ItemIndex hint = made.empty() || rng() % 5 == 0 ? kNoItem : made[rng() % made.size()];
      made.push_back(addValueAfter(store(), hinted, hint, name.c_str()));
      last = appendValue(store(), appended, rng() % 4 == 0 ? kNoItem : last, name.c_str());
    }
    sortValueList(store(), appended);
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return compareNames(a.c_str(), b.c_str()) < 0;
    });
    for (ItemIndex key : {hinted, appended}) {
      ASSERT_EQ(store_test::valueNames(store(), key), names) << "seed " << seed;
      EXPECT_EQ(valueRecord(store(), store_test::valueIndexes(store(), key).back()).next, key);
      removeGhostSubtree(store(), key);
    }
  }
}

TEST_F(StoreModelTest, GhostSubtreeFarDeeperThanTheCallStackIsRemoved) {
  const ItemIndex top = addKey(store(), 3, kNoItem, "ghost");
  ItemIndex at = top;
  for (int depth = 0; depth < 300000; ++depth) at = addKey(store(), at, kNoItem, "k");
  const ItemIndex after = addKey(store(), 3, top, "z");
  EXPECT_EQ(removeGhostSubtree(store(), top), after);
  EXPECT_EQ(keyRecord(store(), at).name, kNoItem);
}

}  // namespace
