// The program's settings: the options array of 40 signed 32-bit entries with fixed
// meanings, the main window's placement and the data folder, kept between runs in
// options.dat in the program folder.
//
// options.dat is a fixed 444-byte little-endian record carrying the version word
// 0x1201. It is read once at start-up and written at shutdown when `optionsDirty` is
// set. A file that is missing, short, of another version or otherwise not usable
// leaves every setting as it was, without a message. The file is replaced in one
// step (a temporary file renamed over it), so a crash or a full disk during the write
// leaves the previous options.dat intact.
//
// Program-wide singleton `programOptions`, owned here; the shell keeps the placement
// current, the options sheet and the view commands change the entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kOptionCount = 40;
constexpr int kDataFolderBytes = 260;  // up to 259 bytes of text and the NUL
constexpr size_t kOptionsFileBytes = 444;
constexpr uint16_t kOptionsFileVersion = 0x1201;
extern const char kOptionsFileName[];  // "options.dat"

// Entries of the options array; entries not named stay 0 and have no meaning.
enum OptionEntry : int {
  OPT_CHANGED_ONLY = 0,        // temporary filter while a command runs; never kept
  OPT_NO_CLASS_INFO = 2,       // class information is not read
  OPT_NO_VALUE_DATA = 3,       // value data are not kept whole
  OPT_KEYS_ONLY = 4,           // compare key structure only
  OPT_UNCHECKED_ONLY = 5,      // temporary filter; never kept
  OPT_SHOW_SIZES = 6,          // size information in the tree
  OPT_SKIP_DUPLICATES = 7,     // enables the [NoReadSame] rules
  OPT_SKIP_VOLATILE = 8,       // enables the [NoCheck] rules
  OPT_SHOW_VALUES = 9,         // value items in the tree and the key structure list
  OPT_DISCARD_REFUSED = 10,    // keys whose opening is refused are dropped
  openWarnRows = 11,           // rows above which opening many items asks first
  openLevelRows = 12,          // row limit when opening everything inside an item
  OPT_AUTOCHECK_MINUTES = 13,  // auto-check interval
  OPT_ALLOW_REGEDIT = 14,      // the jump to the registry editor is allowed
  OPT_SHOW_DESCRIPTIONS = 15,  // item descriptions are loaded and marked
  OPT_SKIP_HARDWARE = 16,      // enables the [NoCheckHard] rules
  OPT_GROUP_CLASS_INFO = 17,   // class-info grouping of extensions and types
  OPT_SHOW_MODIFIED = 18,      // last-write times in the tree
  OPT_KEEP_DELETED_CONTENTS = 19,
  OPT_APPLY_USER_CONTROL = 20,  // userCtrl.dat is applied with the rules
  OPT_AUTO_SAVE_DIALOG = 21,    // the save dialog follows each manual read
};

struct ProgramOptions {
  int32_t entries[kOptionCount];
  int16_t windowMaximized;
  int32_t windowX;  // outer window rectangle, screen pixels
  int32_t windowY;
  int32_t windowWidth;
  int32_t windowHeight;
  // Folder of snapshot files and of the auto-check log, with its trailing backslash
  // as the user typed it; NUL-terminated.
  char dataFolder[kDataFolderBytes];
};

extern ProgramOptions programOptions;
// The options file must be written at shutdown.
extern bool optionsDirty;

// Sets the 40 entries to their start-up defaults (the placement and the data folder
// are the shell's to set before the file is read).
void setOptionDefaults(ProgramOptions& options);

// Takes the settings from an options.dat image. Unless `size` is at least 444 bytes,
// the version word is 0x1201 and the word at offset 2 is 1, returns false and leaves
// `options` unchanged. Otherwise every setting comes from the image, then: entries 0
// and 5 are cleared; when entry 11 is 0 (a file from before entries 11-13 existed)
// entries 11, 12 and 13 become 1000, 200 and 10; when entry 2 is set, entry 17 is
// cleared (no grouping without class information); the data folder is cut to 259
// bytes.
bool decodeOptionsFile(const uint8_t* bytes, size_t size, ProgramOptions& options);
// The 444-byte image of `options` (entries 0 and 5 written as 0; the bytes after the
// data folder's NUL as zeros).
void encodeOptionsFile(const ProgramOptions& options, uint8_t (&image)[kOptionsFileBytes]);

// Reads `path` into `options` as decodeOptionsFile does.
bool loadOptionsFile(const std::string& path, ProgramOptions& options);
// Writes `options` to `path` through `path` + ".tmp" and replaceFile. False when
// anything failed; `path` is then unchanged and no temporary file is left.
bool saveOptionsFile(const std::string& path, const ProgramOptions& options);

// options.dat in the program folder into `programOptions`; clears `optionsDirty`
// when the file was taken.
bool loadOptions();
// `programOptions` to options.dat in the program folder; clears `optionsDirty` when
// written. The shutdown calls it only while `optionsDirty` is set.
bool saveOptions();
