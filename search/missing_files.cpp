#include "search/missing_files.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/view_state.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "text/cp932.h"
#include "text/value_text.h"

namespace {

constexpr size_t kCopyBytes = 259;      // a plain string's working copy
constexpr size_t kExpandedBytes = 519;  // after environment expansion

// The working copy of one string, cut and trimmed pass by pass.
class PathCopy {
 public:
  explicit PathCopy(std::string text) : text_(std::move(text)) {}
  const char* c_str() const { return text_.c_str(); }
  size_t size() const { return text_.size(); }
  char operator[](size_t at) const { return text_[at]; }
  void cut(size_t at) {
    if (at < text_.size()) text_.resize(at);
  }
  void dropFront(size_t n) { text_.erase(0, n); }
  void trimBlanks() {
    while (!text_.empty() && text_.back() == ' ') text_.pop_back();
  }
  // Whether a character starts at each position (a trail byte may equal '^' or '\\').
  std::vector<bool> boundaries() const {
    std::vector<bool> at(text_.size(), false);
    for (size_t i = 0; i < text_.size();) {
      at[i] = true;
      i += cp932::isLeadByte(text_[i]) && i + 1 < text_.size() ? 2 : 1;
    }
    return at;
  }
  // First position at or after `from` holding one of `chars` on a boundary, or npos.
  size_t findFirst(const char* chars, size_t from = 0) const {
    const std::vector<bool> starts = boundaries();
    for (size_t i = from; i < text_.size(); ++i) {
      if (starts[i] && std::strchr(chars, text_[i]) != nullptr && text_[i] != '\0') return i;
    }
    return std::string::npos;
  }

 private:
  std::string text_;
};

// A rundll32 command becomes its DLL argument.
void takeRundllArgument(PathCopy& copy) {
  const int32_t offset = rundllArgumentOffset(copy.c_str());
  if (offset <= 0) return;
  copy.dropFront(static_cast<size_t>(offset));
  const bool quoted = copy.size() > 0 && copy[0] == '"';
  if (quoted) copy.dropFront(1);
  copy.cut(copy.findFirst(quoted ? "\"," : "\", "));
}

bool exists(const std::string& path) {
  platform::FileSystemSeam& fs = platform::fileSystem();
  const bool folderForm = !path.empty() && path.back() == '\\';
  if (!folderForm && fs.opens(path.c_str())) return true;
  return fs.findsAny((path + (folderForm ? "*" : "\\*")).c_str());
}

// Pass 0's shortening; false when the text holds nothing to cut at.
bool shortenArguments(PathCopy& copy) {
  const std::vector<bool> starts = copy.boundaries();
  size_t found = std::string::npos;
  for (size_t i = copy.size(); i-- > 1;) {
    if (starts[i] && std::strchr(";,^\"%", copy[i]) != nullptr) {
      found = i;
      break;
    }
  }
  if (found == std::string::npos) return false;
  const bool percent = copy[found] == '%';
  copy.cut(found);
  copy.trimBlanks();
  const std::vector<bool> left = copy.boundaries();
  if (percent) {
    // A command-line switch before the variable: cut at its blank.
    for (size_t i = copy.size(); i-- > 1;) {
      if (left[i] && copy[i] == ' ' && i + 1 < copy.size() && (copy[i + 1] == '-' || copy[i + 1] == '/')) {
        copy.cut(i);
        break;
      }
    }
  } else {
    for (size_t i = copy.size(); i-- > 1;) {
      if (left[i] && (copy[i] == ',' || copy[i] == '"')) copy.cut(i);
    }
    copy.trimBlanks();
  }
  return true;
}

// Pass 1's shortening: the last component cut at its first blank or comma.
bool shortenLastComponent(PathCopy& copy) {
  const std::vector<bool> starts = copy.boundaries();
  size_t component = 0;
  for (size_t i = 0; i < copy.size(); ++i) {
    if (starts[i] && (copy[i] == '\\' || copy[i] == ':')) component = i + 1;
  }
  const size_t cutAt = copy.findFirst(" ,", component);
  if (cutAt == std::string::npos) return false;
  copy.cut(cutAt);
  return true;
}

// Whether one string names a missing file.
bool namesMissingFile(const char* text, size_t length, uint32_t type) {
  if (length < 2) return false;
  std::string first(text, length);
  if (type == kRegExpandSz) {
    first = platform::expandEnvironment(first.c_str());
    if (first.size() > kExpandedBytes) first.resize(kExpandedBytes);
  } else if (first.size() > kCopyBytes) {
    first.resize(kCopyBytes);
  }
  PathCopy copy(first);
  for (int pass = 0; pass < 3; ++pass) {
    takeRundllArgument(copy);
    const int32_t pathLength = filePathLength(copy.c_str());
    if (pathLength <= 0 || copy[0] == '\\') return false;
    copy.cut(static_cast<size_t>(pathLength));
    if (copy.size() > 0 && copy[0] == '"') {
      copy.dropFront(1);
      copy.cut(copy.findFirst("\""));
    }
    if (copy.size() > 0 && exists(copy.c_str())) return false;
    if (pass == 0) {
      if (!shortenArguments(copy)) return true;
    } else if (pass == 1) {
      if (!shortenLastComponent(copy)) return true;
    }
  }
  return true;
}

}  // namespace

int countMissingFileReferences(const char* text, size_t length, uint32_t type) {
  if (!text) return 0;
  if (type == kRegMultiSz) {
    if (length == 0) return 0;
    int count = 0;
    size_t at = 0;
    while (at < length) {
      const size_t n = strnlen(text + at, length - at);
      if (n == 0) break;
      count += namesMissingFile(text + at, n, type) ? 1 : 0;
      at += n + 1;
    }
    return count;
  }
  const size_t n = length == 0 ? std::strlen(text) : strnlen(text, length);
  return namesMissingFile(text, n, type) ? 1 : 0;
}

int countMissingFileReferences(SnapshotStore& store, const char* text, ItemIndex item,
                               size_t length, uint32_t type) {
  const int count = countMissingFileReferences(text, length, type);
  if (count != 0) markSearchHit(store, item);
  return count;
}

int64_t missingFileSearch(SnapshotStore& store, uint16_t viewState, SearchDisplay& display) {
  if (!holdsKeys(store)) return 0;
  SearchSettings& settings = searchSettings();
  clearViewFlags(store, VIEW_HIT | VIEW_HIT_BELOW | VIEW_HIT_IMAGE | VIEW_HIT_BELOW_IMAGE);
  settings.range = SearchRange{};
  settings.scope = SEARCH_SCOPE_TOP;

  SearchWalk walk;
  walk.store = &store;
  walk.flags = SEARCH_KEY_NAME | SEARCH_VALUE_NAME | SEARCH_VALUE_DATA | SEARCH_PARTIAL |
               SEARCH_FILE_NAME_ONLY | SEARCH_BATCH;
  walk.batch = true;
  walk.liveRead = viewShowsLiveReading(viewState);
  for (int i = 0; i < kSearchEntryTypes; ++i) {
    const bool stringType = i == SEARCH_TYPE_SZ || i == SEARCH_TYPE_MULTI_SZ || i == SEARCH_TYPE_EXPAND_SZ;
    walk.entryTypes[i] = stringType && settings.entryTypes[i];
  }
  walk.testName = [](const char* text, size_t length) {
    return countMissingFileReferences(text, length, kRegSz) != 0;
  };
  walk.testData = [](const uint8_t* data, size_t length, uint32_t type) {
    return countMissingFileReferences(reinterpret_cast<const char*>(data), length, type) != 0;
  };

  display.busy(true);
  int64_t hits;
  {
    platform::QuietFileErrors quiet;
    hits = walkForHits(walk, 0, true);
  }
  display.busy(false);
  if (hits == 0) {
    display.setStatus("エラーのあるファイル参照は見付かりませんでした。");
    searchResultState() = SEARCH_STATE_NONE;
    display.beep();
    display.setResultCopyEnabled(false);
    return 0;
  }
  char status[128];
  std::snprintf(status, sizeof status, "不在ファイル検出件数：%lld 件、%lld 行%s",
                static_cast<long long>(hits), static_cast<long long>(countMarkedLines(store)), "");
  display.setStatus(status);
  display.setResultCopyEnabled(true);
  searchResultState() = SEARCH_STATE_MISSING_FILES;
  display.revealSearchHits();
  return hits;
}
