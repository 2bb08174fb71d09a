// kestrin: the console front end. Everything but the choice of language, terminal
// encoding and streams is in console_run, which the tests drive directly.
#include <iostream>
#include <string>
#include <vector>

#include "console/console_run.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  platform::setBinaryStandardStreams();
  ConsoleEnvironment environment;
  environment.out = &std::cout;
  environment.err = &std::cerr;
  environment.language =
      platform::systemUsesJapanese() ? ConsoleLanguage::kJapanese : ConsoleLanguage::kEnglish;
  environment.terminalUtf8 = platform::terminalExpectsUtf8();
  environment.registryAvailable = platform::systemRegistryAvailable();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return runConsole(arguments, environment);
}
