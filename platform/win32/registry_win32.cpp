// The system registry: every call passes straight to the advapi32 ANSI function, but
// for the enumeration of subkeys (enumKey, below).
#include <windows.h>

#include <string>

#include "platform/registry.h"

namespace platform {

namespace {

// The predefined roots are sign-extended handle values on 64-bit Windows; the seam
// carries their 32-bit values, so they are mapped back to the system's own constants.
HKEY toHkey(RegKey key) {
  switch (key) {
    case kHkeyClassesRoot:
      return HKEY_CLASSES_ROOT;
    case kHkeyCurrentUser:
      return HKEY_CURRENT_USER;
    case kHkeyLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case kHkeyUsers:
      return HKEY_USERS;
    case kHkeyCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    default:
      return reinterpret_cast<HKEY>(key);
  }
}

RegKey fromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

uint64_t fromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class SystemRegistry : public RegistrySeam {
 public:
  long openKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) override {
    HKEY opened = nullptr;
    LONG rc = RegOpenKeyExA(toHkey(parent), subKey, 0, access, &opened);
    if (rc == ERROR_MORE_DATA && subKey != nullptr) {
      // Wine converts an ANSI name into a buffer of 260 characters and refuses longer
      // ones (a key name may be 255 double-byte characters, 510 bytes): the UTF-16 form.
      const int length = MultiByteToWideChar(CP_ACP, 0, subKey, -1, nullptr, 0);
      std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
      if (MultiByteToWideChar(CP_ACP, 0, subKey, -1, &wide[0], length) > 0) {
        rc = RegOpenKeyExW(toHkey(parent), wide.c_str(), 0, access, &opened);
      }
    }
    if (rc == ERROR_SUCCESS) *result = fromHkey(opened);
    return rc;
  }

  long queryInfoKey(RegKey key, RegKeyInfo* info) override {
    DWORD subKeys = 0, maxSubKeyName = 0, values = 0, maxValueName = 0, maxValueData = 0;
    FILETIME written{};
    const LONG rc = RegQueryInfoKeyA(toHkey(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyName,
                                     nullptr, &values, &maxValueName, &maxValueData, nullptr,
                                     &written);
    if (rc == ERROR_SUCCESS) {
      info->subKeyCount = subKeys;
      info->maxSubKeyNameLength = maxSubKeyName;
      info->valueCount = values;
      info->maxValueNameLength = maxValueName;
      info->maxValueDataLength = maxValueData;
      info->lastWriteTime = fromFileTime(written);
    }
    return rc;
  }

  // Enumerated in UTF-16 and converted here without best-fit characters, so that a
  // name cp932 cannot hold is told apart (see registry.h).
  long enumKey(RegKey key, uint32_t index, char* name, uint32_t* nameLength,
               uint64_t* lastWriteTime) override {
    DWORD wideLength = static_cast<DWORD>(wideName_.size());
    FILETIME written{};
    const LONG rc = RegEnumKeyExW(toHkey(key), index, &wideName_[0], &wideLength, nullptr,
                                  nullptr, nullptr, &written);
    if (rc != ERROR_SUCCESS) return rc;
    if (*nameLength == 0) return ERROR_MORE_DATA;
    BOOL lossy = FALSE;
    int bytes = 0;
    if (wideLength > 0) {
      const int room = static_cast<int>(*nameLength - 1);
      bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wideName_.data(),
                                  static_cast<int>(wideLength), name, room, nullptr, &lossy);
      if (bytes == 0 && GetLastError() == ERROR_INVALID_PARAMETER) {
        // A code page that takes neither (UTF-8 as the system code page): plain.
        lossy = FALSE;
        bytes = WideCharToMultiByte(CP_ACP, 0, wideName_.data(), static_cast<int>(wideLength),
                                    name, room, nullptr, nullptr);
      }
      if (bytes == 0) return ERROR_MORE_DATA;
    }
    name[bytes] = '\0';
    *nameLength = static_cast<uint32_t>(bytes);
    if (lastWriteTime) *lastWriteTime = fromFileTime(written);
    return lossy ? kRegNameNotInCodePage : ERROR_SUCCESS;
  }

  long enumValue(RegKey key, uint32_t index, char* name, uint32_t* nameLength, uint32_t* type,
                 uint8_t* data, uint32_t* dataLength) override {
    DWORD length = *nameLength;
    DWORD valueType = 0;
    DWORD size = dataLength ? *dataLength : 0;
    const LONG rc = RegEnumValueA(toHkey(key), index, name, &length, nullptr, &valueType, data,
                                  dataLength ? &size : nullptr);
    *nameLength = length;
    if (type) *type = valueType;
    if (dataLength) *dataLength = size;
    return rc;
  }

  long queryValue(RegKey key, const char* name, uint32_t* type, uint8_t* data,
                  uint32_t* dataLength) override {
    DWORD valueType = 0;
    DWORD size = dataLength ? *dataLength : 0;
    const LONG rc =
        RegQueryValueExA(toHkey(key), name, nullptr, &valueType, data, dataLength ? &size : nullptr);
    if (type) *type = valueType;
    if (dataLength) *dataLength = size;
    return rc;
  }

  long createKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) override {
    HKEY created = nullptr;
    const LONG rc = RegCreateKeyExA(toHkey(parent), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access, nullptr, &created, nullptr);
    if (rc == ERROR_SUCCESS) *result = fromHkey(created);
    return rc;
  }

  long setValue(RegKey key, const char* name, uint32_t type, const uint8_t* data,
                uint32_t dataLength) override {
    return RegSetValueExA(toHkey(key), name, 0, type, data, dataLength);
  }

  long deleteValue(RegKey key, const char* name) override {
    return RegDeleteValueA(toHkey(key), name);
  }

  long deleteKey(RegKey parent, const char* subKey) override {
    return RegDeleteKeyA(toHkey(parent), subKey);
  }

  long closeKey(RegKey key) override { return RegCloseKey(toHkey(key)); }

 private:
  // enumKey's UTF-16 name: the longest a key name can be. The program reads the
  // registry from one thread.
  std::wstring wideName_ = std::wstring(32768, L'\0');
};

}  // namespace

RegistrySeam& defaultRegistrySeam() {
  static SystemRegistry seam;
  return seam;
}

}  // namespace platform
