// Fuzz target: reading kestrinMarkList.txt.
//
// The input is the file's contents. Whatever it holds, the list read must keep the
// table's bounds, hold only marks that can be written (a heading without quote or
// line break, a path that fits), write to a file that reads back as the same list,
// and stay sound through a rename, a deletion and additions up to a full table.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "navigation/mark_list.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

std::string written(const MarkList& list) {
  std::ostringstream out;
  writeMarkList(list, out);
  return out.str();
}

void requireSound(const MarkList& list) {
  require(list.count >= 0 && list.count <= kMaxMarks);
  require(list.noUpdate == 0 || list.noUpdate == 1);
  for (int i = 0; i < list.count; ++i) {
    require(markHeadingAcceptable(list.marks[i].heading));
    require(markPathAcceptable(list.marks[i].path));
  }
  MarkList again;
  std::istringstream in(written(list));
  readMarkList(again, in);
  require(written(again) == written(list));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MarkList list;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  readMarkList(list, in);
  requireSound(list);
  setMarkNoUpdate(list, false);
  if (list.count > 0) {
    require(renameMark(list, list.count - 1, "renamed"));
    require(deleteMark(list, 0));
  }
  while (list.count < kMaxMarks) require(addMark(list, "h", "HKEY_USERS\\\\\\v") >= 0);
  require(addMark(list, "h", "HKEY_USERS") == -1);
  requireSound(list);
  return 0;
}
