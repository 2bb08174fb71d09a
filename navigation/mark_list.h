// The mark list: the user's bookmarked keys and values, each under a heading of the
// user's choosing, kept across runs in "kestrinMarkList.txt" in the data folder.
//
// The file is cp932 text with CR LF line ends: line 1 "更新抑制:<flag>" (the no-update
// mode), then one line `"<heading>"<tab><mark path>` per mark. Reading never fails: a
// missing or damaged file gives the marks that can be told apart, lines that are not
// marks are skipped, and the table keeps at most kMaxMarks. Writing goes through
// "<path>.tmp" and a replace, so the old file stays whole when a write fails.
//
// The table holds each text in place (fixed arrays), so headings are always shorter
// than kMarkHeadingBytes and mark paths than kMarkPathBytes, and renaming never uses up
// space. The program-wide list is owned here; the mark dialogs change it only through
// the editing functions below, which count every change in `changes`.
#pragma once

#include <istream>
#include <ostream>
#include <string>

constexpr int kMaxMarks = 100;
constexpr size_t kMarkHeadingBytes = 256;  // 255 bytes and the NUL
constexpr size_t kMarkPathBytes = 513;     // 512 bytes and the NUL
constexpr char kMarkListFileName[] = "kestrinMarkList.txt";

struct Mark {
  char heading[kMarkHeadingBytes];
  char path[kMarkPathBytes];
};

struct MarkList {
  int count;
  Mark marks[kMaxMarks];
  int noUpdate;  // 0 or 1: additions, renames and deletions are refused
  int changes;   // raised by every change of the marks; the file is written only when not 0
};

// The program-wide list.
MarkList& markList();

void clearMarkList(MarkList& list);

// How much of a heading of `length` bytes is kept: at most 255 bytes, ending on a
// character boundary.
size_t markHeadingLength(const char* text, size_t length);
// Whether `heading` can be stored and read back as it is: not empty, at most 255
// bytes, and without the double quote that ends a heading in the file or a line break.
bool markHeadingAcceptable(const char* heading);
// Whether `path` fits a mark: not empty, at most 512 bytes, not beginning with a blank,
// without NUL or line break.
bool markPathAcceptable(const std::string& path);

// Editing; each refuses (answering -1 or false, changing nothing) in no-update mode,
// for an unacceptable heading or path, an index out of range or a full table.
// addMark returns the new mark's index (the end of the table).
int addMark(MarkList& list, const char* heading, const std::string& path);
bool renameMark(MarkList& list, int index, const char* heading);
// Later marks move down one place.
bool deleteMark(MarkList& list, int index);
// The no-update flag; not a change of the marks (it is written with the next one).
void setMarkNoUpdate(MarkList& list, bool on);
// The first mark whose path names the same item as `path` (names compared as the
// registry compares them); -1 when none.
int findMarkByPath(const MarkList& list, const std::string& path);

// The file's text. readMarkList replaces the list's marks and flag and clears `changes`.
void readMarkList(MarkList& list, std::istream& in);
void writeMarkList(const MarkList& list, std::ostream& out);

// Reading and writing a file. A file that cannot be opened gives the empty list (false).
// saving clears `changes` when it succeeded.
bool loadMarkListFile(MarkList& list, const std::string& path);
bool saveMarkListFile(MarkList& list, const std::string& path);

// Start-up and exit: kestrinMarkList.txt in `dataFolder`.
// The list is written back to the file it was read from, and only when it changed.
void loadMarkList(const std::string& dataFolder);
void saveMarkList();
