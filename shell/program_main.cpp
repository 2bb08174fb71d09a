// The entry function: everything else lies in the shell library.
#include <windows.h>

#include "shell/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  return runProgram(instance, commandLine, showCommand);
}
