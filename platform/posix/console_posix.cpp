// Outside Windows the language and the terminal's encoding come from the locale
// (LC_ALL, then LC_MESSAGES, then LANG), and there is no registry to read.
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/console.h"

namespace platform {

namespace {
const char* localeName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "";
}
}  // namespace

bool systemUsesJapanese() { return std::strncmp(localeName(), "ja", 2) == 0; }

bool systemRegistryAvailable() { return false; }

bool terminalExpectsUtf8() {
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  const bool utf8 = codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 ||
                                           std::strcmp(codeset, "utf8") == 0);
  std::setlocale(LC_CTYPE, "C");
  return utf8;
}

void setBinaryStandardStreams() {}

}  // namespace platform
