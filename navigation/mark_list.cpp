#include "navigation/mark_list.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/files.h"
#include "text/cp932.h"

namespace {

// "更新抑制:" in cp932, spelt as bytes so that every build (the fuzz build keeps its
// literals in UTF-8) reads and writes the same file.
const char kNoUpdatePrefix[] = "\x8d\x58\x90\x56\x97\x7d\x90\xa7:";
constexpr size_t kNoUpdatePrefixLength = sizeof kNoUpdatePrefix - 1;

// Longest line looked at; the rest of a longer line is passed over (it cannot be a
// mark: a heading and a path take at most 771 bytes).
constexpr size_t kLineBytes = 1024;

MarkList programMarks;
std::string programMarkFile;

bool hasLineBreakOrNul(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\r' || text[i] == '\n' || text[i] == '\0') return true;
  }
  return false;
}

bool editable(const MarkList& list, int index) {
  return list.noUpdate == 0 && index >= 0 && index < list.count;
}

// One line without its "\n" and a "\r" before it, at most kLineBytes bytes kept.
// False at the end of the input.
bool readLine(std::streambuf& in, std::string& line) {
  line.clear();
  int c = in.sbumpc();
  if (c == std::char_traits<char>::eof()) return false;
  for (; c != std::char_traits<char>::eof() && c != '\n'; c = in.sbumpc()) {
    if (line.size() <= kLineBytes) line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// The flag of line 1: blanks, then a decimal number; any number but 0 turns the
// mode on, anything else leaves it off.
int parseNoUpdateFlag(const std::string& line) {
  size_t at = kNoUpdatePrefixLength;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at < line.size() && (line[at] == '+' || line[at] == '-')) ++at;
  bool nonZero = false;
  bool digits = false;
  for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
    digits = true;
    nonZero = nonZero || line[at] != '0';
  }
  return digits && nonZero ? 1 : 0;
}

// A line `"heading"<blanks>path`; false (nothing stored) for any other line.
bool takeMarkLine(MarkList& list, const std::string& line) {
  if (line.size() < 2 || line[0] != '"') return false;
  const size_t close = line.find('"', 1);
  if (close == std::string::npos || close == 1) return false;
  size_t at = close + 1;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  const std::string path = line.substr(at);
  const char* heading = line.data() + 1;
  if (hasLineBreakOrNul(heading, close - 1) || !markPathAcceptable(path)) return false;
  Mark& mark = list.marks[list.count++];
  const size_t length = markHeadingLength(heading, close - 1);
  std::memcpy(mark.heading, heading, length);
  mark.heading[length] = '\0';
  std::memcpy(mark.path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

MarkList& markList() { return programMarks; }

void clearMarkList(MarkList& list) {
  list.count = 0;
  list.noUpdate = 0;
  list.changes = 0;
}

size_t markHeadingLength(const char* text, size_t length) {
  size_t kept = 0;
  while (kept < length) {
    // A lead byte at the very end counts as a character of its own.
    const bool pair = cp932::isLeadByte(text[kept]) && kept + 1 < length;
    const size_t next = kept + (pair ? 2 : 1);
    if (next > kMarkHeadingBytes - 1) break;
    kept = next;
  }
  return kept;
}

bool markHeadingAcceptable(const char* heading) {
  if (!heading) return false;
  const size_t length = std::strlen(heading);
  return length > 0 && length < kMarkHeadingBytes && !std::strchr(heading, '"') &&
         !hasLineBreakOrNul(heading, length);
}

bool markPathAcceptable(const std::string& path) {
  // Blanks before the path are read as the gap after the heading.
  return !path.empty() && path.size() < kMarkPathBytes && path[0] != ' ' && path[0] != '\t' &&
         !hasLineBreakOrNul(path.data(), path.size());
}

int addMark(MarkList& list, const char* heading, const std::string& path) {
  if (list.noUpdate != 0 || list.count >= kMaxMarks || !markHeadingAcceptable(heading) ||
      !markPathAcceptable(path)) {
    return -1;
  }
  Mark& mark = list.marks[list.count];
  std::strcpy(mark.heading, heading);
  std::memcpy(mark.path, path.c_str(), path.size() + 1);
  ++list.changes;
  return list.count++;
}

bool renameMark(MarkList& list, int index, const char* heading) {
  if (!editable(list, index) || !markHeadingAcceptable(heading)) return false;
  std::strcpy(list.marks[index].heading, heading);
  ++list.changes;
  return true;
}

bool deleteMark(MarkList& list, int index) {
  if (!editable(list, index)) return false;
  for (int i = index + 1; i < list.count; ++i) list.marks[i - 1] = list.marks[i];
  --list.count;
  ++list.changes;
  return true;
}

void setMarkNoUpdate(MarkList& list, bool on) { list.noUpdate = on ? 1 : 0; }

int findMarkByPath(const MarkList& list, const std::string& path) {
  for (int i = 0; i < list.count; ++i) {
    if (cp932::compareNames(list.marks[i].path, path.c_str()) == 0) return i;
  }
  return -1;
}

void readMarkList(MarkList& list, std::istream& in) {
  clearMarkList(list);
  std::streambuf* buffer = in.rdbuf();
  if (!buffer) return;
  std::string line;
  if (!readLine(*buffer, line)) return;
  if (line.compare(0, kNoUpdatePrefixLength, kNoUpdatePrefix) == 0) {
    list.noUpdate = parseNoUpdateFlag(line);
  }
  // Lines that are not marks (blank lines, notes written by hand) are passed over
  // without counting, so no mark after them is lost when the list is written back.
  while (list.count < kMaxMarks && readLine(*buffer, line)) takeMarkLine(list, line);
}

void writeMarkList(const MarkList& list, std::ostream& out) {
  out << kNoUpdatePrefix << list.noUpdate << "\r\n";
  for (int i = 0; i < list.count; ++i) {
    out << '"' << list.marks[i].heading << "\"\t" << list.marks[i].path << "\r\n";
  }
}

bool loadMarkListFile(MarkList& list, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    clearMarkList(list);
    return false;
  }
  readMarkList(list, in);
  return true;
}

bool saveMarkListFile(MarkList& list, const std::string& path) {
  const std::string temporary = path + ".tmp";
  bool written;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    writeMarkList(list, out);
    out.close();
    written = !out.fail();
  }
  if (written && platform::replaceFile(temporary.c_str(), path.c_str())) {
    list.changes = 0;
    return true;
  }
  std::remove(temporary.c_str());
  return false;
}

void loadMarkList(const std::string& dataFolder) {
  // The folder may be given without its separator; a cp932 trail byte 0x5C is no
  // separator, so the folder is read character by character.
  bool separator = dataFolder.empty();
  for (size_t at = 0; at < dataFolder.size();) {
    const bool pair = cp932::isLeadByte(dataFolder[at]) && at + 1 < dataFolder.size();
    separator = !pair && (dataFolder[at] == '\\' || dataFolder[at] == '/');
    at += pair ? 2 : 1;
  }
  programMarkFile = dataFolder + (separator ? "" : "\\") + kMarkListFileName;
  loadMarkListFile(programMarks, programMarkFile);
}

void saveMarkList() {
  // Write errors at exit are not reported: the old file stays as it was.
  if (programMarks.changes == 0 || programMarkFile.empty()) return;
  saveMarkListFile(programMarks, programMarkFile);
}
