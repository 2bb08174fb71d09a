// Registry access: the advapi32 ANSI functions the program uses, behind one
// interface. The Win32 side passes every call through; the in-memory registry of the
// tests (platform/memory) enumerates as Windows does (subkeys in case-insensitive
// order, values in creation order) and can inject failures.
//
// Results are Win32 error codes (0 = success). Names and data are cp932 bytes.
#pragma once

#include <cstdint>

namespace platform {

// An open key. The five predefined roots have their Win32 handle values.
using RegKey = uintptr_t;
constexpr RegKey kHkeyClassesRoot = 0x80000000u;
constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;
constexpr RegKey kHkeyUsers = 0x80000003u;
constexpr RegKey kHkeyCurrentConfig = 0x80000005u;

enum RegResult : long {
  kRegOk = 0,
  kRegFileNotFound = 2,
  kRegAccessDenied = 5,
  kRegInvalidHandle = 6,
  kRegKeyDeleted = 1018,  // the key was deleted while a handle to it was open
  kRegInsufficientBuffer = 122,
  kRegMoreData = 234,
  kRegNoMoreItems = 259,
  kRegNameNotInCodePage = 1113,  // ERROR_NO_UNICODE_TRANSLATION, from enumKey (below)
};

// Access rights passed to openKey / createKey (Win32 values).
constexpr uint32_t kRegRead = 0x20019;
constexpr uint32_t kRegAllAccess = 0xF003F;

struct RegKeyInfo {
  uint32_t subKeyCount;
  uint32_t maxSubKeyNameLength;  // characters, without the terminating NUL
  uint32_t valueCount;
  uint32_t maxValueNameLength;   // characters, without the terminating NUL
  uint32_t maxValueDataLength;   // bytes
  uint64_t lastWriteTime;        // FILETIME as 100 ns units since 1601
};

class RegistrySeam {
 public:
  virtual ~RegistrySeam() = default;
  virtual long openKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) = 0;
  virtual long queryInfoKey(RegKey key, RegKeyInfo* info) = 0;
  // `nameLength`: in, the buffer size in bytes; out, the name length without NUL.
  // kRegNameNotInCodePage when the name holds characters cp932 has no code for: the
  // buffer then holds the name with '?' in their place, a name that opens no key or
  // another one. (The ANSI function would give a best-fit name instead, é as e, ® as R,
  // ¥ as a backslash, which may open another key.)
  virtual long enumKey(RegKey key, uint32_t index, char* name, uint32_t* nameLength,
                       uint64_t* lastWriteTime) = 0;
  // `nameLength` as for enumKey; `dataLength`: in, the buffer size (data may be null to
  // ask only for the size); out, the data size. kRegMoreData when a buffer is too small.
  virtual long enumValue(RegKey key, uint32_t index, char* name, uint32_t* nameLength,
                         uint32_t* type, uint8_t* data, uint32_t* dataLength) = 0;
  virtual long queryValue(RegKey key, const char* name, uint32_t* type, uint8_t* data,
                          uint32_t* dataLength) = 0;
  virtual long createKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) = 0;
  virtual long setValue(RegKey key, const char* name, uint32_t type, const uint8_t* data,
                        uint32_t dataLength) = 0;
  virtual long deleteValue(RegKey key, const char* name) = 0;
  // Deletes a key that has no subkeys.
  virtual long deleteKey(RegKey parent, const char* subKey) = 0;
  virtual long closeKey(RegKey key) = 0;
};

// The seam in use; never null (the system registry on Windows).
RegistrySeam& registry();
// The platform's own seam, whatever is installed (platform/<system>/).
RegistrySeam& defaultRegistrySeam();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setRegistrySeam(RegistrySeam* seam);

}  // namespace platform
