// A bare walk of the whole system registry with the advapi32 functions: the calls a
// full read makes, in the same order (query each key, enumerate and open its subkeys
// depth-first, enumerate its values with their data, close it), and nothing stored.
// The live-registry test takes its key and value totals as the reference; the reader
// timing compares against its time.
//
// Keys are counted when they open, or when opening fails other than by having gone;
// those and the keys that open but cannot be queried are the ones the reader keeps as
// refused. A value enumeration that fails ends that key's values, as in the reader.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct BareWalkTotals {
  int64_t keys = 0;
  int64_t values = 0;
  int64_t refused = 0;
};

inline BareWalkTotals bareRegistryWalk() {
  static const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_CONFIG, HKEY_CURRENT_USER,
                                HKEY_LOCAL_MACHINE, HKEY_USERS};
  struct Frame {
    HKEY key;
    bool owned;
    DWORD subKeys;
    DWORD values;
    DWORD next;
  };
  BareWalkTotals totals;
  std::vector<BYTE> data(0x10000);
  std::wstring wideName(32768, L'\0');
  char name[1024];
  auto begin = [&](std::vector<Frame>& frames, HKEY key, bool owned) {
    DWORD subKeys = 0, maxSubKeyName = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyName, nullptr, &values,
                         &maxValueName, &maxData, nullptr, &written) != ERROR_SUCCESS) {
      totals.refused += 1;  // the reader keeps a key it cannot query as refused
      if (owned) RegCloseKey(key);
      return;
    }
    if (maxData > data.size()) data.resize((maxData + 1023) / 1024 * 1024);
    frames.push_back(Frame{key, owned, subKeys, values, 0});
  };
  for (HKEY root : kRoots) {
    std::vector<Frame> frames;
    totals.keys += 1;
    begin(frames, root, false);
    while (!frames.empty()) {
      Frame& frame = frames.back();
      if (frame.next < frame.subKeys) {
        const DWORD index = frame.next++;
        DWORD wideLength = static_cast<DWORD>(wideName.size());
        FILETIME written;
        if (RegEnumKeyExW(frame.key, index, &wideName[0], &wideLength, nullptr, nullptr, nullptr,
                          &written) != ERROR_SUCCESS) {
          frame.next = frame.subKeys;
          continue;
        }
        // Converted as the reader's registry does: a name cp932 cannot hold is kept as
        // refused without being opened.
        BOOL lossy = FALSE;
        const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wideName.data(),
                                              static_cast<int>(wideLength), name, sizeof name - 1,
                                              nullptr, &lossy);
        name[bytes > 0 ? bytes : 0] = '\0';
        if (lossy) {
          totals.keys += 1;
          totals.refused += 1;
          continue;
        }
        HKEY child = nullptr;
        const LONG rc = RegOpenKeyExA(frame.key, name, 0, KEY_READ, &child);
        if (rc == ERROR_SUCCESS) {
          totals.keys += 1;
          begin(frames, child, true);
        } else if (rc != ERROR_FILE_NOT_FOUND && rc != ERROR_INSUFFICIENT_BUFFER) {
          totals.keys += 1;
          totals.refused += 1;
        }
        continue;
      }
      for (DWORD i = 0; i < frame.values; ++i) {
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        if (RegEnumValueA(frame.key, i, name, &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS) {
          break;
        }
        totals.values += 1;
      }
      if (frame.owned) RegCloseKey(frame.key);
      frames.pop_back();
    }
  }
  return totals;
}
