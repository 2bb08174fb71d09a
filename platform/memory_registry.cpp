#include "platform/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "text/cp932.h"

namespace platform {

namespace {

constexpr RegKey kRootHandles[] = {kHkeyClassesRoot, kHkeyCurrentConfig, kHkeyCurrentUser,
                                   kHkeyLocalMachine, kHkeyUsers};
const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER",
                                  "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
constexpr int kRootTotal = 5;
// A plausible FILETIME (the year 2020) to start the clock from; each change adds 1 s.
constexpr uint64_t kClockStart = 132223104000000000ull;
constexpr uint64_t kClockStep = 10000000ull;

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = path.find('\\', start);
    const std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

// The key of the character at `text` in the enumeration order, and its length.
cp932::FoldedCharacter enumerationKey(const char* text) {
  cp932::FoldedCharacter c = cp932::foldedCharacter(text);
  if (c.length == 1) {
    // Single-byte letters sort as capitals, as the system sorts them.
    c.key = static_cast<uint16_t>(cp932::raiseAscii(static_cast<uint8_t>(*text)) << 8);
  }
  return c;
}

}  // namespace

int registryNameOrder(const std::string& a, const std::string& b) {
  const char* p = a.c_str();
  const char* q = b.c_str();
  for (;;) {
    if (*p == '\0' || *q == '\0') return (*p != '\0') - (*q != '\0');
    const cp932::FoldedCharacter x = enumerationKey(p);
    const cp932::FoldedCharacter y = enumerationKey(q);
    if (x.key != y.key) return x.key < y.key ? -1 : 1;
    p += x.length;
    q += y.length;
  }
}

struct MemoryRegistry::Node {
  struct Value {
    std::string name;
    uint32_t type;
    std::vector<uint8_t> data;
    long enumFault = 0;  // injected: its enumeration answers this
  };

  std::string name;
  Node* parent = nullptr;  // null for roots and deleted keys
  bool deleted = false;
  std::vector<std::shared_ptr<Node>> children;  // in registryNameOrder
  std::vector<Value> values;                    // in creation order
  std::unordered_map<std::string, size_t> valueIndex;  // folded name -> place in values
  bool valueIndexStale = false;
  uint64_t lastWrite = 0;
  // Injected failures.
  long openFault = 0;
  bool vanish = false;
  long queryFault = 0;
  long enumFault = 0;  // its entry in the parent's enumeration answers this
  bool understateData = false;
  uint32_t reportedMaxData = 0;

  Node* child(const std::string& childName) const {
    auto at = std::lower_bound(children.begin(), children.end(), childName,
                               [](const std::shared_ptr<Node>& c, const std::string& wanted) {
                                 return registryNameOrder(c->name, wanted) < 0;
                               });
    if (at != children.end() && registryNameOrder((*at)->name, childName) == 0) return at->get();
    return nullptr;
  }
  // The value named `valueName`, through an index of folded names, so that filling a
  // key with n values costs n look-ups, not n*n/2 comparisons. Removals and renames
  // shift or change entries: they mark the index stale and the next look-up rebuilds it.
  Value* value(const std::string& valueName) {
    if (valueIndexStale) {
      valueIndex.clear();
      for (size_t i = 0; i < values.size(); ++i) valueIndex.emplace(foldedName(values[i].name), i);
      valueIndexStale = false;
    }
    const auto at = valueIndex.find(foldedName(valueName));
    return at == valueIndex.end() ? nullptr : &values[at->second];
  }
  void appendValue(Value v) {
    if (!valueIndexStale) valueIndex.emplace(foldedName(v.name), values.size());
    values.push_back(std::move(v));
  }
  // One spelling for all names the registry takes for one (cp932::compareNames).
  static std::string foldedName(const std::string& name) {
    std::string folded;
    for (const char* p = name.c_str(); *p != '\0';) {
      const cp932::FoldedCharacter c = cp932::foldedCharacter(p);
      folded.push_back(static_cast<char>(c.key >> 8));
      folded.push_back(static_cast<char>(c.key & 0xFF));
      p += c.length;
    }
    return folded;
  }
  void placeChild(std::shared_ptr<Node> node) {
    auto at = std::upper_bound(children.begin(), children.end(), node,
                               [](const std::shared_ptr<Node>& a, const std::shared_ptr<Node>& b) {
                                 return registryNameOrder(a->name, b->name) < 0;
                               });
    children.insert(at, std::move(node));
  }
};

MemoryRegistry::MemoryRegistry() : clock_(kClockStart) {
  for (int i = 0; i < kRootTotal; ++i) {
    auto root = std::make_shared<Node>();
    root->name = kRootNames[i];
    root->lastWrite = clock_;
    roots_.push_back(root);
  }
}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Node* MemoryRegistry::nodeOfHandle(RegKey key, long* error) const {
  for (int i = 0; i < kRootTotal; ++i) {
    if (key == kRootHandles[i]) return roots_[static_cast<size_t>(i)].get();
  }
  auto found = handles_.find(key);
  if (found == handles_.end()) {
    *error = kRegInvalidHandle;
    return nullptr;
  }
  if (found->second->deleted) {
    *error = kRegKeyDeleted;
    return nullptr;
  }
  return found->second.get();
}

MemoryRegistry::Node* MemoryRegistry::nodeOfPath(const std::string& path) const {
  const std::vector<std::string> parts = splitPath(path);
  if (parts.empty()) return nullptr;
  Node* node = nullptr;
  for (int i = 0; i < kRootTotal; ++i) {
    if (registryNameOrder(parts[0], kRootNames[i]) == 0) node = roots_[static_cast<size_t>(i)].get();
  }
  for (size_t i = 1; node != nullptr && i < parts.size(); ++i) node = node->child(parts[i]);
  return node;
}

std::string MemoryRegistry::pathOf(const Node* node) const {
  std::string path = node->name;
  for (const Node* at = node->parent; at != nullptr; at = at->parent) path = at->name + "\\" + path;
  return path;
}

MemoryRegistry::Node* MemoryRegistry::childOrNew(Node* node, const std::string& name) {
  if (Node* existing = node->child(name)) return existing;
  auto made = std::make_shared<Node>();
  made->name = name;
  made->parent = node;
  Node* next = made.get();
  node->placeChild(std::move(made));
  touch(node);
  touch(next);
  return next;
}

void MemoryRegistry::touch(Node* node) {
  clock_ += kClockStep;
  node->lastWrite = clock_;
}

// Takes a key out of the tree; it and its subtree become deleted keys that open
// handles still point at.
void MemoryRegistry::detach(Node* node) {
  Node* parent = node->parent;
  if (parent == nullptr) return;
  std::vector<Node*> pending{node};
  while (!pending.empty()) {
    Node* at = pending.back();
    pending.pop_back();
    at->deleted = true;
    for (const auto& c : at->children) pending.push_back(c.get());
  }
  auto& siblings = parent->children;
  for (auto it = siblings.begin(); it != siblings.end(); ++it) {
    if (it->get() == node) {
      const std::shared_ptr<Node> keep = *it;  // open handles may still hold it
      siblings.erase(it);
      keep->parent = nullptr;
      break;
    }
  }
  touch(parent);
}

long MemoryRegistry::openKey(RegKey parent, const char* subKey, uint32_t, RegKey* result) {
  long error = kRegOk;
  Node* node = nodeOfHandle(parent, &error);
  if (node == nullptr) return error;
  for (const std::string& part : splitPath(subKey ? subKey : "")) {
    node = node->child(part);
    if (node == nullptr) return kRegFileNotFound;
  }
  if (node->vanish) {
    node->vanish = false;
    detach(node);
    return kRegFileNotFound;
  }
  if (node->openFault != kRegOk) return node->openFault;
  std::shared_ptr<Node> owner;
  if (node->parent == nullptr) {
    for (const auto& root : roots_) {
      if (root.get() == node) owner = root;
    }
  } else {
    for (const auto& c : node->parent->children) {
      if (c.get() == node) owner = c;
    }
  }
  const RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = owner;
  *result = handle;
  openedPaths_.push_back(pathOf(node));
  return kRegOk;
}

long MemoryRegistry::queryInfoKey(RegKey key, RegKeyInfo* info) {
  long error = kRegOk;
  Node* node = nodeOfHandle(key, &error);
  if (node == nullptr) return error;
  if (node->queryFault != kRegOk) return node->queryFault;
  RegKeyInfo out{};
  out.subKeyCount = static_cast<uint32_t>(node->children.size());
  out.valueCount = static_cast<uint32_t>(node->values.size());
  for (const auto& c : node->children) {
    out.maxSubKeyNameLength = std::max(out.maxSubKeyNameLength, static_cast<uint32_t>(c->name.size()));
  }
  for (const auto& v : node->values) {
    out.maxValueNameLength = std::max(out.maxValueNameLength, static_cast<uint32_t>(v.name.size()));
    out.maxValueDataLength = std::max(out.maxValueDataLength, static_cast<uint32_t>(v.data.size()));
  }
  if (node->understateData) out.maxValueDataLength = node->reportedMaxData;
  out.lastWriteTime = node->lastWrite;
  *info = out;
  return kRegOk;
}

long MemoryRegistry::enumKey(RegKey key, uint32_t index, char* name, uint32_t* nameLength,
                             uint64_t* lastWriteTime) {
  long error = kRegOk;
  Node* node = nodeOfHandle(key, &error);
  if (node == nullptr) return error;
  if (index >= node->children.size()) return kRegNoMoreItems;
  const Node& c = *node->children[index];
  if (c.enumFault != kRegOk && c.enumFault != kRegNameNotInCodePage) return c.enumFault;
  // Room for the name and its NUL, else ERROR_MORE_DATA with the length untouched.
  if (c.name.size() >= *nameLength) return kRegMoreData;
  std::memcpy(name, c.name.c_str(), c.name.size() + 1);
  *nameLength = static_cast<uint32_t>(c.name.size());
  if (lastWriteTime) *lastWriteTime = c.lastWrite;
  return c.enumFault;
}

long MemoryRegistry::enumValue(RegKey key, uint32_t index, char* name, uint32_t* nameLength,
                               uint32_t* type, uint8_t* data, uint32_t* dataLength) {
  long error = kRegOk;
  Node* node = nodeOfHandle(key, &error);
  if (node == nullptr) return error;
  if (index >= node->values.size()) return kRegNoMoreItems;
  const Node::Value& v = node->values[index];
  if (v.enumFault != kRegOk) return v.enumFault;
  long rc = kRegOk;
  if (v.name.size() >= *nameLength) {
    // As the ANSI function does: the name cut to the buffer, its length reported as
    // the buffer size less the NUL.
    if (*nameLength > 0) {
      std::memcpy(name, v.name.data(), *nameLength - 1);
      name[*nameLength - 1] = '\0';
      *nameLength -= 1;
    }
    rc = kRegMoreData;
  } else {
    std::memcpy(name, v.name.c_str(), v.name.size() + 1);
    *nameLength = static_cast<uint32_t>(v.name.size());
  }
  if (type) *type = v.type;
  if (dataLength) {
    const uint32_t size = static_cast<uint32_t>(v.data.size());
    if (data != nullptr) {
      if (size > *dataLength) {
        rc = kRegMoreData;
      } else if (size > 0) {
        std::memcpy(data, v.data.data(), size);
      }
    }
    *dataLength = size;
  }
  return rc;
}

long MemoryRegistry::queryValue(RegKey key, const char* name, uint32_t* type, uint8_t* data,
                                uint32_t* dataLength) {
  long error = kRegOk;
  Node* node = nodeOfHandle(key, &error);
  if (node == nullptr) return error;
  Node::Value* v = node->value(name ? name : "");
  if (v == nullptr) return kRegFileNotFound;
  if (type) *type = v->type;
  long rc = kRegOk;
  if (dataLength) {
    const uint32_t size = static_cast<uint32_t>(v->data.size());
    if (data != nullptr) {
      if (size > *dataLength) {
        rc = kRegMoreData;
      } else if (size > 0) {
        std::memcpy(data, v->data.data(), size);
      }
    }
    *dataLength = size;
  }
  return rc;
}

long MemoryRegistry::createKey(RegKey parent, const char* subKey, uint32_t, RegKey* result) {
  long error = kRegOk;
  Node* node = nodeOfHandle(parent, &error);
  if (node == nullptr) return error;
  for (const std::string& part : splitPath(subKey ? subKey : "")) {
    node = childOrNew(node, part);
  }
  const std::string path = pathOf(node);
  // Opening what was just made or found; an injected open failure applies.
  const size_t opened = openedPaths_.size();
  const long rc = openKey(parent, subKey, kRegAllAccess, result);
  openedPaths_.resize(opened);
  return rc;
}

long MemoryRegistry::setValue(RegKey key, const char* name, uint32_t type, const uint8_t* data,
                              uint32_t dataLength) {
  long error = kRegOk;
  Node* node = nodeOfHandle(key, &error);
  if (node == nullptr) return error;
  std::vector<uint8_t> bytes;
  if (data != nullptr && dataLength > 0) bytes.assign(data, data + dataLength);
  Node::Value* v = node->value(name ? name : "");
  if (v != nullptr) {
    v->type = type;
    v->data = std::move(bytes);
  } else {
    node->appendValue(Node::Value{name ? name : "", type, std::move(bytes)});
  }
  touch(node);
  return kRegOk;
}

long MemoryRegistry::deleteValue(RegKey key, const char* name) {
  long error = kRegOk;
  Node* node = nodeOfHandle(key, &error);
  if (node == nullptr) return error;
  const std::string wanted = name ? name : "";
  for (auto it = node->values.begin(); it != node->values.end(); ++it) {
    if (registryNameOrder(it->name, wanted) == 0) {
      node->values.erase(it);
      node->valueIndexStale = true;
      touch(node);
      return kRegOk;
    }
  }
  return kRegFileNotFound;
}

long MemoryRegistry::deleteKey(RegKey parent, const char* subKey) {
  long error = kRegOk;
  Node* node = nodeOfHandle(parent, &error);
  if (node == nullptr) return error;
  const std::vector<std::string> parts = splitPath(subKey ? subKey : "");
  for (const std::string& part : parts) {
    node = node->child(part);
    if (node == nullptr) return kRegFileNotFound;
  }
  if (parts.empty() || node->parent == nullptr) return kRegAccessDenied;
  if (!node->children.empty()) return kRegAccessDenied;
  detach(node);
  return kRegOk;
}

long MemoryRegistry::closeKey(RegKey key) {
  for (RegKey root : kRootHandles) {
    if (key == root) return kRegOk;
  }
  return handles_.erase(key) == 1 ? kRegOk : kRegInvalidHandle;
}

bool MemoryRegistry::addKeyPath(const std::string& path) {
  const std::vector<std::string> parts = splitPath(path);
  Node* node = parts.empty() ? nullptr : nodeOfPath(parts[0]);
  if (node == nullptr) return false;
  for (size_t i = 1; i < parts.size(); ++i) node = childOrNew(node, parts[i]);
  return true;
}

bool MemoryRegistry::putValue(const std::string& keyPath, const std::string& name, uint32_t type,
                              const std::string& data) {
  if (!addKeyPath(keyPath)) return false;
  Node* node = nodeOfPath(keyPath);
  std::vector<uint8_t> bytes(data.begin(), data.end());
  Node::Value* v = node->value(name);
  if (v != nullptr) {
    v->type = type;
    v->data = std::move(bytes);
  } else {
    node->appendValue(Node::Value{name, type, std::move(bytes)});
  }
  touch(node);
  return true;
}

bool MemoryRegistry::removeValue(const std::string& keyPath, const std::string& name) {
  Node* node = nodeOfPath(keyPath);
  if (node == nullptr) return false;
  const size_t before = node->values.size();
  node->values.erase(std::remove_if(node->values.begin(), node->values.end(),
                                    [&](const Node::Value& v) {
                                      return registryNameOrder(v.name, name) == 0;
                                    }),
                     node->values.end());
  if (node->values.size() == before) return false;
  node->valueIndexStale = true;
  touch(node);
  return true;
}

bool MemoryRegistry::removeKeyTree(const std::string& path) {
  Node* node = nodeOfPath(path);
  if (node == nullptr || node->parent == nullptr) return false;
  detach(node);
  return true;
}

bool MemoryRegistry::renameKey(const std::string& path, const std::string& newName) {
  Node* node = nodeOfPath(path);
  if (node == nullptr || node->parent == nullptr || newName.empty()) return false;
  Node* parent = node->parent;
  Node* taken = parent->child(newName);
  if (taken != nullptr && taken != node) return false;
  std::shared_ptr<Node> owner;
  auto& siblings = parent->children;
  for (auto it = siblings.begin(); it != siblings.end(); ++it) {
    if (it->get() == node) {
      owner = *it;
      siblings.erase(it);
      break;
    }
  }
  owner->name = newName;
  parent->placeChild(std::move(owner));
  touch(parent);
  return true;
}

bool MemoryRegistry::renameValue(const std::string& keyPath, const std::string& name,
                                 const std::string& newName) {
  Node* node = nodeOfPath(keyPath);
  if (node == nullptr) return false;
  Node::Value* v = node->value(name);
  Node::Value* taken = node->value(newName);
  if (v == nullptr || (taken != nullptr && taken != v)) return false;
  v->name = newName;
  node->valueIndexStale = true;
  touch(node);
  return true;
}

bool MemoryRegistry::setLastWriteTime(const std::string& path, uint64_t fileTime) {
  Node* node = nodeOfPath(path);
  if (node == nullptr) return false;
  node->lastWrite = fileTime;
  return true;
}

bool MemoryRegistry::keyExists(const std::string& path) const { return nodeOfPath(path) != nullptr; }

void MemoryRegistry::failOpen(const std::string& path, long code) {
  if (Node* node = nodeOfPath(path)) node->openFault = code;
}

void MemoryRegistry::vanishOnOpen(const std::string& path) {
  if (Node* node = nodeOfPath(path)) node->vanish = true;
}

void MemoryRegistry::failQueryInfo(const std::string& path, long code) {
  if (Node* node = nodeOfPath(path)) node->queryFault = code;
}

void MemoryRegistry::failEnumKey(const std::string& path, long code) {
  if (Node* node = nodeOfPath(path)) node->enumFault = code;
}

void MemoryRegistry::failEnumValue(const std::string& keyPath, const std::string& name, long code) {
  Node* node = nodeOfPath(keyPath);
  if (node == nullptr) return;
  if (Node::Value* v = node->value(name)) v->enumFault = code;
}

void MemoryRegistry::understateMaxDataLength(const std::string& path, uint32_t bytes) {
  if (Node* node = nodeOfPath(path)) {
    node->understateData = true;
    node->reportedMaxData = bytes;
  }
}

void MemoryRegistry::clearFaults() {
  std::vector<Node*> pending;
  for (const auto& root : roots_) pending.push_back(root.get());
  while (!pending.empty()) {
    Node* node = pending.back();
    pending.pop_back();
    node->openFault = kRegOk;
    node->vanish = false;
    node->queryFault = kRegOk;
    node->enumFault = kRegOk;
    for (Node::Value& v : node->values) v.enumFault = kRegOk;
    node->understateData = false;
    for (const auto& c : node->children) pending.push_back(c.get());
  }
}

}  // namespace platform
