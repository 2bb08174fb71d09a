// On Windows the language follows the system code page, the registry is always there,
// and the terminal takes the program's cp932 bytes as they are.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"

namespace platform {

bool systemUsesJapanese() { return GetACP() == 932; }

bool systemRegistryAvailable() { return true; }

bool terminalExpectsUtf8() { return false; }

void setBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace platform
