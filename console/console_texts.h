// The console program's own texts in its two languages: usage, the help of each
// command, and the messages of argument and file errors. Japanese texts are cp932
// like every text of the program; English is chosen when the system does not use
// the Japanese code page.
#pragma once

#include <string>

enum class ConsoleLanguage { kJapanese, kEnglish };

struct ConsoleTexts {
  const char* usage;            // kestrin --help
  const char* snapshotHelp;     // kestrin snapshot --help
  const char* compareHelp;
  const char* listHelp;
  const char* exportRegHelp;
  const char* unknownCommand;   // %s: the word given
  const char* unknownOption;    // %s: the option
  const char* missingArgument;  // %s: the option that needs a value
  const char* badEncoding;      // %s: the value given
  const char* wrongOperands;    // %s: the command
  const char* liveAndOther;     // compare: --live together with a second file
  const char* redoOrUndo;       // export-reg: neither or both of --redo / --undo
  const char* seeHelp;          // the line after an argument error
  const char* noRegistry;       // a live command where no registry exists
  const char* cannotOpen;       // %s: a snapshot file that cannot be opened
  const char* cannotWrite;      // %s: an output file that cannot be written
  const char* keyNotFound;      // %s: the KEY of list
  const char* tooLarge;         // a listing above the single-block limit
  const char* readingKey;       // %s: top-level key being read, %lld: keys so far
  const char* snapshotSaved;    // %lld keys, %lld values, %s file
  const char* changesFound;     // %lld: changes (compare, on stderr)
  const char* noChanges;
  const char* notExportable;    // the comment label of values kept as a digest only
  const char* notExportableLine;  // %s: "key : value" on stderr
  const char* regWritten;       // %lld key headers, %lld value lines, %s file
};

const ConsoleTexts& consoleTexts(ConsoleLanguage language);

// printf-style formatting of a console text into a string.
std::string formatText(const char* format, ...);
