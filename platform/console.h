// What the console program asks of the system around it: the language of its texts,
// whether a live registry exists, the encoding the terminal expects, and standard
// streams that pass bytes unchanged.
//
// The Win32 side answers from the system code page and the console; the POSIX side
// from the locale (there is no registry there: the live commands refuse to run).
#pragma once

namespace platform {

// True when the program should speak Japanese: the system code page is 932 on
// Windows (GetACP), a "ja" locale elsewhere.
bool systemUsesJapanese();

// True when a system registry can be read (Windows, and Wine).
bool systemRegistryAvailable();

// True when text for the terminal must be UTF-8 rather than the program's cp932
// (a UTF-8 locale outside Windows).
bool terminalExpectsUtf8();

// Standard output and standard error pass every byte unchanged: no CR is added
// before LF (the listings already end their lines in CR LF).
void setBinaryStandardStreams();

}  // namespace platform
