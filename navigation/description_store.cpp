#include "navigation/description_store.h"

#include <cstring>
#include <fstream>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/store_walk.h"
#include "rules/rule_store.h"
#include "text/cp932.h"

const char kGuideFileNameNt[] = "guide2kXp.txt";
const char kGuideFileName9x[] = "guide98Me.txt";

namespace {

using store_walk::isKey;

// Grouping keys nest two deep ("!.File Types" \ letter); one more level is slack.
constexpr int kMaxGroupingLevels = 3;

struct Store {
  std::vector<DescriptionNode> nodes;
  std::vector<uint16_t> lastChild;  // beside each node: its last child, for appending
  uint16_t lastTop = kNoDescriptionNode;
  // Each node under the name order's folded form of its name, its parent and its kind,
  // so that a guide file of many siblings loads in linear time.
  std::unordered_map<std::string, uint16_t> index;
  std::string names;  // every name followed by its 0 byte
  std::ifstream guide;
  bool loaded = false;
};

Store& theStore() {
  static Store store;
  return store;
}

bool startsWithKeyPrefix(const char* line, size_t length) {
  static const char kPrefix[] = "hkey_";
  if (length < 5) return false;
  for (size_t i = 0; i < 5; ++i) {
    if (cp932::foldAscii(line[i]) != kPrefix[i]) return false;
  }
  return true;
}

bool isIndent(char c) { return c == ' ' || c == '\t'; }

std::string indexKey(uint16_t parent, const char* name, bool isValue) {
  std::string key{static_cast<char>(parent & 0xFF), static_cast<char>(parent >> 8), isValue ? 'v' : 'k'};
  while (*name != '\0') {
    const cp932::FoldedCharacter folded = cp932::foldedCharacter(name);
    key.push_back(static_cast<char>(folded.key & 0xFF));
    key.push_back(static_cast<char>(folded.key >> 8));
    name += folded.length;
  }
  return key;
}

uint16_t appendNode(uint16_t parent, const char* name, bool isValue) {
  Store& s = theStore();
  if (static_cast<int32_t>(s.nodes.size()) >= kMaxDescriptionNodes) return kNoDescriptionNode;
  DescriptionNode node{};
  node.depth = parent == kNoDescriptionNode ? 0 : static_cast<uint8_t>(s.nodes[parent].depth + 1);
  node.isValue = isValue ? 1 : 0;
  node.parent = parent;
  node.nextSibling = kNoDescriptionNode;
  node.firstChild = kNoDescriptionNode;
  node.name = static_cast<uint32_t>(s.names.size());
  s.names.append(name);
  s.names.push_back('\0');
  const uint16_t index = static_cast<uint16_t>(s.nodes.size());
  s.nodes.push_back(node);
  s.lastChild.push_back(kNoDescriptionNode);
  s.index.emplace(indexKey(parent, name, isValue), index);
  uint16_t& last = parent == kNoDescriptionNode ? s.lastTop : s.lastChild[parent];
  if (last != kNoDescriptionNode) {
    s.nodes[last].nextSibling = index;
  } else if (parent != kNoDescriptionNode) {
    s.nodes[parent].firstChild = index;
  }
  last = index;
  return index;
}

uint16_t findOrAppend(uint16_t parent, const char* name, bool isValue) {
  const uint16_t found = findDescriptionChild(parent, name, isValue);
  return found != kNoDescriptionNode ? found : appendNode(parent, name, isValue);
}

// Reads the guide file line by line, keeping the offset where each line ends.
class GuideReader {
 public:
  explicit GuideReader(DescriptionLoadReport& report) : report_(report) {}

  void line(const char* text, size_t length, uint32_t endOffset) {
    if (length > 0 && text[0] == '#') return;
    if (length > 0 && text[length - 1] == '\r') --length;
    if (length > kGuideLineBytes || std::memchr(text, '\0', length) != nullptr) {
      ++report_.ignoredLines;
      endEntry();
      return;
    }
    if (length > 0 && isIndent(text[0])) {
      entryHasText_ = true;
      return;
    }
    while (length > 0 && isIndent(text[length - 1])) --length;
    endEntry();
    if (startsWithKeyPrefix(text, length)) {
      keyLine(text, length, endOffset);
    } else if (length > 0 && text[0] == '=') {
      valueLine(std::string(text + 1, length - 1), endOffset);
    }
  }

  void finish() { endEntry(); }

 private:
  void keyLine(const char* text, size_t length, uint32_t endOffset) {
    ++report_.keyLines;
    currentKey_ = kNoDescriptionNode;
    uint16_t node = kNoDescriptionNode;
    size_t position = 0;
    while (position < length) {
      char component[kRuleComponentBytes];
      bool cut = false;
      position = splitRulePath(text, length, position, component, &cut);
      if (cut) {
        ++report_.ignoredLines;
        return;
      }
      if (component[0] == '\0') continue;
      node = findOrAppend(node, component, false);
      if (node == kNoDescriptionNode) {
        ++report_.droppedEntries;
        return;
      }
    }
    if (node == kNoDescriptionNode) return;
    currentKey_ = node;
    beginEntry(node, endOffset, true);
  }

  void valueLine(const std::string& name, uint32_t endOffset) {
    ++report_.valueLines;
    if (currentKey_ == kNoDescriptionNode) {
      ++report_.ignoredLines;
      return;
    }
    const uint16_t node = findOrAppend(currentKey_, name.c_str(), true);
    if (node == kNoDescriptionNode) {
      ++report_.droppedEntries;
      return;
    }
    // A value named twice keeps its first description.
    beginEntry(node, endOffset, theStore().nodes[node].descPos == 0);
  }

  void beginEntry(uint16_t node, uint32_t endOffset, bool takePosition) {
    entry_ = node;
    previousPos_ = theStore().nodes[node].descPos;
    entryHasText_ = false;
    if (takePosition) theStore().nodes[node].descPos = endOffset;
  }

  // An entry that got no description line describes nothing new.
  void endEntry() {
    if (entry_ != kNoDescriptionNode && !entryHasText_) theStore().nodes[entry_].descPos = previousPos_;
    entry_ = kNoDescriptionNode;
  }

  DescriptionLoadReport& report_;
  uint16_t currentKey_ = kNoDescriptionNode;
  uint16_t entry_ = kNoDescriptionNode;
  uint32_t previousPos_ = 0;
  bool entryHasText_ = false;
};

// Calls visit(key) for every subkey of `parent` (-1: the roots), looking through the
// grouping keys of the class information as the control rules do.
template <class Visit>
void forEachChildKey(SnapshotStore& store, ItemIndex parent, Visit&& visit, int level = 0) {
  ItemIndex at = parent < 0 ? 0 : keyRecord(store, parent).firstChild;
  int64_t budget = store.counts.keyCount;
  for (; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).nextSibling) {
    if (parent >= 0 && (keyRecord(store, at).summary & SUM_GROUPING_KEY) != 0) {
      if (level < kMaxGroupingLevels) forEachChildKey(store, at, visit, level + 1);
      continue;
    }
    visit(at);
  }
}

bool nodeTakes(uint16_t node, const char* name) {
  return ruleNameMatches(descriptionNodeName(node), name);
}

}  // namespace

bool loadDescriptions(const std::string& path, DescriptionLoadReport* report) {
  releaseDescriptions();
  Store& s = theStore();
  for (int root = 0; root < kRootKeyCount; ++root) appendNode(kNoDescriptionNode, kRootKeyNames[root], false);
  s.guide.open(path, std::ios::binary);
  if (!s.guide) {
    s.guide.clear();
    return false;
  }
  s.loaded = true;
  DescriptionLoadReport ignored;
  GuideReader reader(report ? *report : ignored);
  if (report) *report = DescriptionLoadReport{};
  std::string line;
  uint64_t offset = 0;
  char buffer[4096];
  while (s.guide.read(buffer, sizeof buffer).gcount() > 0 && offset < 0xFFFFFFFFu) {
    const size_t got = static_cast<size_t>(s.guide.gcount());
    for (size_t i = 0; i < got; ++i) {
      ++offset;
      if (buffer[i] != '\n') {
        // One byte past a CR is enough to tell a line too long; the rest is not kept.
        if (line.size() <= kGuideLineBytes + 1) line.push_back(buffer[i]);
        continue;
      }
      reader.line(line.data(), line.size(), static_cast<uint32_t>(offset));
      line.clear();
    }
  }
  if (!line.empty()) reader.line(line.data(), line.size(), static_cast<uint32_t>(offset));
  reader.finish();
  s.guide.clear();
  return true;
}

void releaseDescriptions() {
  Store& s = theStore();
  if (s.guide.is_open()) s.guide.close();
  s.guide.clear();
  s.nodes.clear();
  s.lastChild.clear();
  s.lastTop = kNoDescriptionNode;
  s.index.clear();
  s.names.clear();
  s.loaded = false;
}

bool descriptionsLoaded() { return theStore().loaded; }

int32_t descriptionNodeCount() { return static_cast<int32_t>(theStore().nodes.size()); }

const DescriptionNode& descriptionNode(uint16_t node) { return theStore().nodes[node]; }

const char* descriptionNodeName(uint16_t node) {
  return theStore().names.c_str() + theStore().nodes[node].name;
}

uint16_t findDescriptionChild(uint16_t parent, const char* name, bool isValue) {
  const Store& s = theStore();
  const auto found = s.index.find(indexKey(parent, name, isValue));
  return found == s.index.end() ? kNoDescriptionNode : found->second;
}

int64_t markDescribedItems(SnapshotStore& store) {
  clearViewFlags(store, VIEW_HAS_DESCRIPTION);
  const Store& s = theStore();
  if (!s.loaded || !holdsKeys(store)) return 0;
  int64_t marked = 0;
  // Pairs of a key node and a key its path takes.
  std::vector<std::pair<uint16_t, ItemIndex>> pending;
  for (uint16_t top = 0; top != kNoDescriptionNode; top = s.nodes[top].nextSibling) {
    forEachChildKey(store, kNoItem, [&](ItemIndex root) {
      if (nodeTakes(top, store_walk::keyNameOrEmpty(store, root))) pending.emplace_back(top, root);
    });
  }
  while (!pending.empty()) {
    const auto [node, key] = pending.back();
    pending.pop_back();
    if (s.nodes[node].descPos != 0 && !(keyFlags(store, key) & VIEW_HAS_DESCRIPTION)) {
      keyFlags(store, key) |= VIEW_HAS_DESCRIPTION;
      ++marked;
    }
    for (uint16_t child = s.nodes[node].firstChild; child != kNoDescriptionNode;
         child = s.nodes[child].nextSibling) {
      if (s.nodes[child].isValue) {
        if (s.nodes[child].descPos == 0) continue;
        store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord&) {
          if (cp932::compareNames(store_walk::valueNameOrEmpty(store, value),
                                  descriptionNodeName(child)) == 0 &&
              !(valueFlags(store, value) & VIEW_HAS_DESCRIPTION)) {
            valueFlags(store, value) |= VIEW_HAS_DESCRIPTION;
            ++marked;
          }
        });
        continue;
      }
      forEachChildKey(store, key, [&](ItemIndex sub) {
        if (nodeTakes(child, store_walk::keyNameOrEmpty(store, sub))) pending.emplace_back(child, sub);
      });
    }
  }
  return marked;
}

uint16_t findDescriptionNode(SnapshotStore& store, ItemIndex reference) {
  const Store& s = theStore();
  if (s.nodes.empty()) return kNoDescriptionNode;
  const bool isValue = (static_cast<uint32_t>(reference) & kValueItemBit) != 0;
  const ItemIndex value = isValue ? static_cast<ItemIndex>(reference & 0x7FFFFFFF) : kNoItem;
  if (isValue && !store_walk::isValue(store, value)) return kNoDescriptionNode;
  const ItemIndex key = isValue ? ownerKeyOfValue(store, value) : reference;
  if (!isKey(store, key)) return kNoDescriptionNode;
  // The key's names from the root down, grouping keys left out.
  std::vector<const char*> names;
  int64_t budget = store.counts.keyCount;
  for (ItemIndex at = key; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).parent) {
    if (!(keyRecord(store, at).summary & SUM_GROUPING_KEY) || keyRecord(store, at).parent < 0) {
      names.push_back(store_walk::keyNameOrEmpty(store, at));
    }
  }
  const char* wantedValue = isValue ? store_walk::valueNameOrEmpty(store, value) : nullptr;
  // Depth-first over every node path that takes the names, the first described one won.
  std::vector<uint16_t> order;
  for (uint16_t top = 0; top != kNoDescriptionNode; top = s.nodes[top].nextSibling) {
    order.insert(order.begin(), top);
  }
  while (!order.empty()) {
    const uint16_t node = order.back();
    order.pop_back();
    const size_t level = s.nodes[node].depth;
    if (s.nodes[node].isValue || level >= names.size() ||
        !nodeTakes(node, names[names.size() - 1 - level])) {
      continue;
    }
    if (level + 1 == names.size()) {
      if (!isValue) {
        if (s.nodes[node].descPos != 0) return node;
        continue;
      }
      for (uint16_t child = s.nodes[node].firstChild; child != kNoDescriptionNode;
           child = s.nodes[child].nextSibling) {
        if (s.nodes[child].isValue && s.nodes[child].descPos != 0 &&
            cp932::compareNames(descriptionNodeName(child), wantedValue) == 0) {
          return child;
        }
      }
      continue;
    }
    std::vector<uint16_t> children;
    for (uint16_t child = s.nodes[node].firstChild; child != kNoDescriptionNode;
         child = s.nodes[child].nextSibling) {
      children.push_back(child);
    }
    order.insert(order.end(), children.rbegin(), children.rend());
  }
  return kNoDescriptionNode;
}

std::string readDescriptionText(uint16_t node) {
  Store& s = theStore();
  std::string text;
  if (!s.loaded || node >= s.nodes.size() || s.nodes[node].descPos == 0) return text;
  s.guide.clear();
  if (!s.guide.seekg(s.nodes[node].descPos)) {
    s.guide.clear();
    return text;
  }
  std::string line;
  char c = 0;
  bool more = true;
  while (more && text.size() < kMaxDescriptionBytes) {
    line.clear();
    while ((more = static_cast<bool>(s.guide.get(c))) && c != '\n') {
      if (line.size() <= kGuideLineBytes + 1) line.push_back(c);
    }
    if (!line.empty() && line[0] == '#') continue;  // comments are passed over, as when loading
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The loader took an over-long line for the end of the description.
    if (line.empty() || !isIndent(line[0]) || line.size() > kGuideLineBytes ||
        line.find('\0') != std::string::npos) {
      break;
    }
    for (char& byte : line) {
      if (byte == '\t') byte = ' ';
    }
    text += line;
    text += "\r\n";
  }
  s.guide.clear();
  if (text.size() > kMaxDescriptionBytes) {
    size_t cut = 0;
    while (cut < text.size()) {
      const size_t width = cp932::isLeadByte(text[cut]) && cut + 1 < text.size() ? 2 : 1;
      if (cut + width > kMaxDescriptionBytes) break;
      cut += width;
    }
    text.resize(cut);
  }
  return text;
}
