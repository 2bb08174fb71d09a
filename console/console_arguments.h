// The console program's command line: a command word, its files and its options,
// checked before anything is read. Options may stand anywhere after the command,
// as "--option VALUE" or "--option=VALUE"; "--" ends the options.
#pragma once

#include <string>
#include <vector>

#include "console/console_texts.h"

enum class ConsoleCommand { kNone, kSnapshot, kCompare, kList, kExportReg };

struct ConsoleRequest {
  ConsoleCommand command = ConsoleCommand::kNone;
  bool help = false;               // --help: the usage, or the command's help
  std::vector<std::string> files;  // the operands in order
  bool live = false;               // compare --live
  std::string outputPath;          // --output FILE (compare, list)
  bool utf8 = false;               // --encoding utf8 (compare, list)
  bool values = false;             // list --values
  bool redo = false;               // export-reg --redo
  bool undo = false;               // export-reg --undo
  bool unicode = false;            // export-reg --unicode
  // Not empty: the arguments are refused with this message (cp932, line end included).
  std::string error;
};

ConsoleRequest parseConsoleArguments(const std::vector<std::string>& arguments,
                                     const ConsoleTexts& texts);
