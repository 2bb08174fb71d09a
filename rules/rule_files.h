// The two rule files in the program folder.
//
// keyCtrl.txt: the rules shipped with the program, cp932 text. Lines starting with '#'
// are comments; a line equal to a section name switches the code that the following
// lines get, by the options: [NoReadClass] 1 while class information is not read,
// [NoReadSame] 1 while duplicated branches are skipped, [NoCheck] 3 while constantly
// changing system keys are not checked, [NoCheckHard] 3 while hardware keys are not
// checked; [Check] and [AutoCheck] 0. Lines are ignored while the code is 0 (also
// before the first section). Any other line is a key path, components split by
// splitRulePath, each component but the last made a path node and the last given the
// section's code. Lines are cut at CR LF / LF; trailing spaces and tabs do not count.
//
// A rule line is refused as a whole (counted as malformed, no rule made) when it is
// longer than 259 bytes, holds a NUL byte, or has a component that is empty or longer
// than 255 bytes: a cut or empty component would put the rule on another path than
// the one written. A line that the full store cannot take is dropped; the rules
// stored before it stay intact.
//
// userCtrl.dat: the user's rules, written by saveUserControl, little-endian:
//   0  u32 format word 0x00011201 (not checked when read)
//   4  u32 node count N
//   8  u32 name block count B
//   12 u32 name block size, 65536
//   16 N records of 20 bytes, every node in index order (ControlRuleNode, `name` the
//      name's offset in the name area)
//   then the name area: blocks 0 to B-2 whole, then the used part of block B-1.
// Reading it adds back only the user's rules (RULE_USER with a code) and the paths to
// them; rules that came from keyCtrl.txt are not duplicated. A file that is short or
// damaged in any way (links outside the records or forming anything but one tree
// from record 0, names outside the name area, unterminated or longer than 255 bytes,
// depths not following the tree, unknown codes, a block size other than 65536) is
// ignored as a whole: the store is not touched. Writing goes through a temporary file
// renamed over the old one, so a failed write leaves the previous file intact.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/options.h"

extern const char kKeyControlFileName[];   // "keyCtrl.txt"
extern const char kUserControlFileName[];  // "userCtrl.dat"
constexpr size_t kKeyControlLineBytes = 259;
constexpr uint32_t kUserControlFormat = 0x00011201;
constexpr size_t kUserControlHeaderBytes = 16;
constexpr size_t kUserControlRecordBytes = 20;

// The options that switch the rule files.
struct RuleFileSwitches {
  bool noClassInfo;       // [NoReadClass] lines get code 1
  bool skipDuplicates;    // [NoReadSame] lines get code 1
  bool skipVolatile;      // [NoCheck] lines get code 3
  bool skipHardware;      // [NoCheckHard] lines get code 3
  bool applyUserControl;  // userCtrl.dat is read after keyCtrl.txt
};
RuleFileSwitches ruleFileSwitches(const ProgramOptions& options);

// What reading keyCtrl.txt found, line by line.
struct KeyControlReport {
  int32_t lines;
  int32_t commentLines;
  int32_t sectionLines;
  int32_t blankLines;
  int32_t switchedOffLines;  // before the first section or in a section with code 0
  int32_t ruleLines;         // lines that set a rule
  int32_t repeatedLines;     // rule lines whose rule was already there with that code
  int32_t malformedLines;    // refused (see above)
  int32_t droppedLines;      // the store was full
  int32_t firstProblemLine;  // 1-based: the first repeated, malformed or dropped line
};

// Adds the rules of a keyCtrl.txt image to the store. `report` may be null.
void parseKeyControlText(const char* text, size_t size, const RuleFileSwitches& switches,
                         KeyControlReport* report);
// The same from a file; false (and no rules) when the file cannot be opened.
bool loadKeyControlFile(const std::string& path, const RuleFileSwitches& switches,
                        KeyControlReport* report);

// The userCtrl.dat image of the whole store.
void encodeUserControl(std::vector<uint8_t>& image);
// Adds the user's rules of a userCtrl.dat image; false, with the store untouched,
// when the image is short or damaged.
bool decodeUserControl(const uint8_t* bytes, size_t size);
bool loadUserControlFile(const std::string& path);
// Writes the store to `path` + ".tmp" and renames it over `path`. False when anything
// failed; `path` is then unchanged and no temporary file is left.
bool saveUserControlFile(const std::string& path);

// keyCtrl.txt of `folder` (a path ending in its separator), then userCtrl.dat when
// switched on. Missing or damaged files give no rules and no message. The caller
// resets the store first.
void loadRuleFiles(const RuleFileSwitches& switches, const std::string& folder);
// The same with the program's options and folder.
void loadRuleFiles();
// userCtrl.dat in the program folder.
bool saveUserControl();
bool loadUserControl();
// Deletes userCtrl.dat of the program folder and rebuilds the store from the rule
// files ("erase the user control information", after the user said yes).
void eraseUserControl();
