#include "rules/file_association.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "text/cp932.h"

const char kRsvExtensionKey[] = ".rsv";
const char kRsvFileType[] = "rsvFile_Quillfen_Tarnwick";

namespace {

using platform::RegKey;
constexpr uint32_t kRegSzType = 1;
// Longest key name the registry allows, and its NUL.
constexpr uint32_t kKeyNameBytes = 256;

// The default value of `key` as text (trailing NULs removed); false when unreadable.
bool readDefaultText(RegKey key, std::string& text) {
  platform::RegistrySeam& reg = platform::registry();
  uint32_t type = 0;
  uint32_t size = 0;
  if (reg.queryValue(key, "", &type, nullptr, &size) != platform::kRegOk) return false;
  std::vector<uint8_t> data(size + 1u, 0);
  if (reg.queryValue(key, "", &type, data.data(), &size) != platform::kRegOk) return false;
  if (size > data.size()) return false;
  size_t length = size;
  while (length > 0 && data[length - 1] == 0) --length;
  text.assign(reinterpret_cast<const char*>(data.data()), length);
  return true;
}

// Whether `text` begins with `prefix`, comparing ASCII letters in either case (file
// names do) and double-byte characters exactly.
bool beginsWithPath(const std::string& text, const char* prefix) {
  const size_t length = std::strlen(prefix);
  if (length == 0 || text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    const char b = prefix[i];
    if (cp932::isLeadByte(b) && i + 1 < length) {
      if (text[i] != b || text[i + 1] != prefix[i + 1]) return false;
      ++i;
      continue;
    }
    if (cp932::foldAscii(text[i]) != cp932::foldAscii(b)) return false;
  }
  return true;
}

// Opens or creates `subKey` below `parent` and sets its default value to `text`.
// On success `*created` is the open key (the caller closes it).
bool createWithDefault(RegKey parent, const char* subKey, const std::string& text, RegKey* created) {
  platform::RegistrySeam& reg = platform::registry();
  RegKey key = 0;
  if (reg.createKey(parent, subKey, platform::kRegAllAccess, &key) != platform::kRegOk) return false;
  const long result = reg.setValue(key, "", kRegSzType, reinterpret_cast<const uint8_t*>(text.c_str()),
                                   static_cast<uint32_t>(text.size() + 1));
  if (result != platform::kRegOk) {
    reg.closeKey(key);
    return false;
  }
  *created = key;
  return true;
}

bool createKeyOnly(RegKey parent, const char* subKey, RegKey* created) {
  return platform::registry().createKey(parent, subKey, platform::kRegAllAccess, created) ==
         platform::kRegOk;
}

// Deletes `subKey` below `parent` with everything below it: its subkeys from the
// last to the first, then its values from the last to the first, then the key.
void deleteTree(RegKey parent, const char* subKey) {
  platform::RegistrySeam& reg = platform::registry();
  RegKey key = 0;
  if (reg.openKey(parent, subKey, platform::kRegAllAccess, &key) == platform::kRegOk) {
    platform::RegKeyInfo info{};
    if (reg.queryInfoKey(key, &info) == platform::kRegOk) {
      for (uint32_t i = info.subKeyCount; i-- > 0;) {
        char name[kKeyNameBytes];
        uint32_t nameLength = sizeof name;
        uint64_t written = 0;
        if (reg.enumKey(key, i, name, &nameLength, &written) == platform::kRegOk) deleteTree(key, name);
      }
      std::vector<char> valueName(info.maxValueNameLength + 2u, '\0');
      for (uint32_t i = info.valueCount; i-- > 0;) {
        uint32_t nameLength = static_cast<uint32_t>(valueName.size());
        uint32_t type = 0;
        uint32_t dataLength = 0;
        if (reg.enumValue(key, i, valueName.data(), &nameLength, &type, nullptr, &dataLength) ==
            platform::kRegOk) {
          reg.deleteValue(key, valueName.data());
        }
      }
    }
    reg.closeKey(key);
  }
  reg.deleteKey(parent, subKey);
}

}  // namespace

RsvAssociation rsvAssociationState(const char* programPath) {
  platform::RegistrySeam& reg = platform::registry();
  RegKey extension = 0;
  if (reg.openKey(platform::kHkeyClassesRoot, kRsvExtensionKey, platform::kRegRead, &extension) !=
      platform::kRegOk) {
    return RSV_NOT_ASSOCIATED;
  }
  std::string fileType;
  const bool typeRead = readDefaultText(extension, fileType);
  reg.closeKey(extension);
  if (!typeRead || fileType != kRsvFileType) return RSV_OTHER_PROGRAM;

  RegKey typeKey = 0;
  if (reg.openKey(platform::kHkeyClassesRoot, kRsvFileType, platform::kRegRead, &typeKey) !=
      platform::kRegOk) {
    return RSV_NOT_ASSOCIATED;
  }
  RegKey iconKey = 0;
  const bool iconOpened =
      reg.openKey(typeKey, "DefaultIcon", platform::kRegRead, &iconKey) == platform::kRegOk;
  reg.closeKey(typeKey);
  if (!iconOpened) return RSV_NOT_ASSOCIATED;
  std::string icon;
  const bool iconRead = readDefaultText(iconKey, icon);
  reg.closeKey(iconKey);
  if (!iconRead) return RSV_OTHER_COPY;
  return beginsWithPath(icon, programPath ? programPath : "") ? RSV_THIS_PROGRAM : RSV_OTHER_COPY;
}

bool setRsvAssociation(const char* programPath) {
  platform::RegistrySeam& reg = platform::registry();
  const std::string path = programPath ? programPath : "";
  RegKey key = 0;
  if (!createWithDefault(platform::kHkeyClassesRoot, kRsvExtensionKey, kRsvFileType, &key)) return false;
  reg.closeKey(key);

  RegKey typeKey = 0;
  if (!createWithDefault(platform::kHkeyClassesRoot, kRsvFileType, kRsvFileType, &typeKey)) return false;
  bool done = false;
  RegKey iconKey = 0;
  if (createWithDefault(typeKey, "DefaultIcon", path + ",1", &iconKey)) {
    reg.closeKey(iconKey);
    RegKey shellKey = 0;
    if (createKeyOnly(typeKey, "shell", &shellKey)) {
      RegKey openKey = 0;
      if (createKeyOnly(shellKey, "open", &openKey)) {
        // The program's path is quoted: unquoted, a path with spaces would let the
        // system try "C:\Program.exe" and the like first.
        RegKey commandKey = 0;
        if (createWithDefault(openKey, "command", "\"" + path + "\" %1", &commandKey)) {
          reg.closeKey(commandKey);
          done = true;
        }
        reg.closeKey(openKey);
      }
      reg.closeKey(shellKey);
    }
  }
  reg.closeKey(typeKey);
  return done;
}

void removeRsvAssociation() {
  deleteTree(platform::kHkeyClassesRoot, kRsvExtensionKey);
  deleteTree(platform::kHkeyClassesRoot, kRsvFileType);
}
