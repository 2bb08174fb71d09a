#include "navigation/favourite_path.h"

#include <cstring>

#include "engine/store_walk.h"
#include "rules/rule_store.h"
#include "text/cp932.h"

namespace {

// Grouping keys nest two deep ("!.File Types" \ letter); one more level is slack.
constexpr int kMaxGroupingLevels = 3;

struct Component {
  std::string text;
  bool pattern = false;
};

// Appends byte `c` unless the component is full (the rest of it is cut off).
void append(Component& component, char c) {
  if (component.text.size() < kMaxFavouriteComponentBytes) component.text.push_back(c);
}

void endAlternative(FavouriteStep& step, Component& component) {
  if (!component.text.empty()) step.push_back({component.text, component.pattern});
  component = Component{};
}

void endStep(std::vector<FavouriteStep>& steps, FavouriteStep& step, Component& component) {
  endAlternative(step, component);
  if (!step.empty()) steps.push_back(step);
  step.clear();
}

bool isGroupingKey(SnapshotStore& store, ItemIndex key) {
  return (keyRecord(store, key).summary & SUM_GROUPING_KEY) != 0;
}

ItemIndex firstChildOf(SnapshotStore& store, ItemIndex parent) {
  if (parent < 0) return 0;  // the roots' chain starts at key 0
  return keyRecord(store, parent).firstChild;
}

// Calls take(key) for every key on the chain below `parent` (-1: the roots) that
// `name` takes, looking into grouping keys too; take returns false to stop.
template <class Take>
bool forEachMatch(SnapshotStore& store, ItemIndex parent, const FavouriteName& name, Take&& take,
                  int level = 0) {
  const ItemIndex first = firstChildOf(store, parent);
  if (!store_walk::isKey(store, first)) return true;
  if (!name.pattern) {
    const ItemIndex found = findChildByName(store, first, name.text.c_str());
    if (found >= 0) return take(found);
  }
  int64_t budget = store.counts.keyCount;
  for (ItemIndex at = first; store_walk::isKey(store, at) && budget-- > 0;
       at = keyRecord(store, at).nextSibling) {
    if (parent >= 0 && isGroupingKey(store, at)) {
      if (level < kMaxGroupingLevels && !forEachMatch(store, at, name, take, level + 1)) return false;
      continue;
    }
    if (name.pattern &&
        favouritePatternMatches(name.text.c_str(), store_walk::keyNameOrEmpty(store, at)) &&
        !take(at)) {
      return false;
    }
  }
  return true;
}

// Takes the keys of steps[depth..] below `parent`; false once the matches are full.
bool walkSteps(SnapshotStore& store, const std::vector<FavouriteStep>& steps, size_t depth,
               ItemIndex parent, std::vector<ItemIndex>& found) {
  for (const FavouriteName& name : steps[depth]) {
    const bool more = forEachMatch(store, parent, name, [&](ItemIndex key) {
      if (depth + 1 == steps.size()) {
        found.push_back(key);
        return found.size() < kMaxFavouriteMatches;
      }
      return walkSteps(store, steps, depth + 1, key, found);
    });
    if (!more) return false;
  }
  return true;
}

}  // namespace

std::vector<FavouriteStep> parseFavouritePath(const char* path) {
  std::vector<FavouriteStep> steps;
  FavouriteStep step;
  Component component;
  const size_t length = std::strlen(path);
  size_t at = 0;
  while (at < length) {
    const char c = path[at];
    if (cp932::isLeadByte(c) && at + 1 < length) {
      append(component, c);
      append(component, path[at + 1]);
      at += 2;
      continue;
    }
    if (c != '\\') {
      append(component, c);
      ++at;
      continue;
    }
    const char next = at + 1 < length ? path[at + 1] : '\0';
    const char after = at + 2 < length ? path[at + 2] : '\0';
    if (next == '\\' && after == ',') {
      endAlternative(step, component);
      at += 3;
    } else if (next == '\\' && after != '\\' && after != '\0') {
      // The pattern marker: the code character follows as a plain byte.
      append(component, '\\');
      component.pattern = true;
      at += 2;
    } else {
      endStep(steps, step, component);
      ++at;
    }
  }
  endStep(steps, step, component);
  return steps;
}

// Registry names never hold a backslash, so a pattern with an unknown code character,
// which ruleNameMatches compares as a plain name, takes nothing.
bool favouritePatternMatches(const char* pattern, const char* name) {
  return ruleNameMatches(pattern, name);
}

ItemIndex findChildByName(SnapshotStore& store, ItemIndex firstSibling, const char* name) {
  int64_t budget = store.counts.keyCount;
  for (ItemIndex at = firstSibling; store_walk::isKey(store, at) && budget-- > 0;
       at = keyRecord(store, at).nextSibling) {
    if (cp932::compareNames(store_walk::keyNameOrEmpty(store, at), name) == 0) return at;
  }
  return kNoItem;
}

std::vector<ItemIndex> findFavouriteKeys(SnapshotStore& store, const char* path) {
  std::vector<ItemIndex> found;
  const std::vector<FavouriteStep> steps = parseFavouritePath(path);
  if (!steps.empty() && holdsKeys(store)) walkSteps(store, steps, 0, kNoItem, found);
  return found;
}
