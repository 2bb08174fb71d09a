// A registry held in memory: the native build's registry (an empty one, so the core
// runs without Windows) and the tests' registry, which they fill and damage at will.
//
// It behaves like the system registry where the program can tell: subkeys are
// enumerated in case-insensitive order (ASCII letters compared in upper case, as
// Windows sorts them, so "_x" comes after "Zebra"), values in creation order (a value
// set again keeps its place), look-ups take two names for one as the registry does
// (cp932::compareNames: a double-byte character is one unit, folded by the system's
// case pairs and cp932's second encodings), every change stamps a last-write time,
// a key can be deleted only when it has no subkeys, and a handle to a deleted key
// answers ERROR_KEY_DELETED. Enumeration answers ERROR_MORE_DATA for a name or data
// buffer that is too small, like the ANSI functions do.
//
// Failures can be injected for the keys of given paths ("HKEY_CURRENT_USER\\Software\\X",
// case-insensitive); they hold until clearFaults().
//
// Single-threaded, like the program. Handles stay valid until closed or the registry
// is destroyed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform {

class MemoryRegistry : public RegistrySeam {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  // The seam.
  long openKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) override;
  long queryInfoKey(RegKey key, RegKeyInfo* info) override;
  long enumKey(RegKey key, uint32_t index, char* name, uint32_t* nameLength,
               uint64_t* lastWriteTime) override;
  long enumValue(RegKey key, uint32_t index, char* name, uint32_t* nameLength, uint32_t* type,
                 uint8_t* data, uint32_t* dataLength) override;
  long queryValue(RegKey key, const char* name, uint32_t* type, uint8_t* data,
                  uint32_t* dataLength) override;
  long createKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) override;
  long setValue(RegKey key, const char* name, uint32_t type, const uint8_t* data,
                uint32_t dataLength) override;
  long deleteValue(RegKey key, const char* name) override;
  long deleteKey(RegKey parent, const char* subKey) override;
  long closeKey(RegKey key) override;

  // Building and changing by path; the first component names a root
  // ("HKEY_LOCAL_MACHINE"). False when the path does not name what is needed.
  bool addKeyPath(const std::string& path);  // creates the missing keys on the way
  bool putValue(const std::string& keyPath, const std::string& name, uint32_t type,
                const std::string& data);
  bool removeValue(const std::string& keyPath, const std::string& name);
  bool removeKeyTree(const std::string& path);  // the key with everything below it
  // Gives a key another name (only the case, or a new one): it moves to its new place
  // in the enumeration order. False when the new name is taken by another key.
  bool renameKey(const std::string& path, const std::string& newName);
  bool renameValue(const std::string& keyPath, const std::string& name, const std::string& newName);
  bool setLastWriteTime(const std::string& path, uint64_t fileTime);

  // Failure injection.
  // Every open of the key answers `code` (ERROR_ACCESS_DENIED, ERROR_INSUFFICIENT_BUFFER
  // or any other error).
  void failOpen(const std::string& path, long code);
  // The key disappears (with its subtree) when it is next opened, as if deleted
  // between enumeration and opening; that open answers ERROR_FILE_NOT_FOUND.
  void vanishOnOpen(const std::string& path);
  // RegQueryInfoKeyA on the key answers `code`.
  void failQueryInfo(const std::string& path, long code);
  // The parent's enumeration of the key (enumKey at its index), or of the value
  // (enumValue), answers `code` and gives no name: a name that cannot be read
  // (kRegNameNotInCodePage gives the key's name, as the system does). Names longer
  // than the caller's buffer answer ERROR_MORE_DATA without any injection.
  void failEnumKey(const std::string& path, long code);
  void failEnumValue(const std::string& keyPath, const std::string& name, long code);
  // RegQueryInfoKeyA reports `bytes` as the key's largest value data, as when a value
  // grows between the query and the enumeration.
  void understateMaxDataLength(const std::string& path, uint32_t bytes);
  void clearFaults();

  // Observation.
  int openHandleCount() const { return static_cast<int>(handles_.size()); }
  // Paths of every key opened successfully, in order (their names as stored).
  const std::vector<std::string>& openedPaths() const { return openedPaths_; }
  void clearOpenedPaths() { openedPaths_.clear(); }
  bool keyExists(const std::string& path) const;

  struct Node;

 private:
  Node* nodeOfHandle(RegKey key, long* error) const;
  Node* nodeOfPath(const std::string& path) const;
  void touch(Node* node);
  // The child `name` of `node`, made (and both touched) when it does not exist.
  Node* childOrNew(Node* node, const std::string& name);
  void detach(Node* node);
  std::string pathOf(const Node* node) const;

  std::vector<std::shared_ptr<Node>> roots_;
  std::map<RegKey, std::shared_ptr<Node>> handles_;
  RegKey nextHandle_ = 0x1000;
  uint64_t clock_;
  std::vector<std::string> openedPaths_;
};

// Name order of the registry's enumeration: characters compared as cp932::compareNames
// compares them, except that single-byte letters sort as capitals. 0 exactly when
// compareNames gives 0.
int registryNameOrder(const std::string& a, const std::string& b);

}  // namespace platform
