// Varnik.exe: the thin Windows entry point.
#include <windows.h>

#include "app/entry.h"
#include "platform/files.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A drive without its disk (a card reader, an empty DVD drive) answers an
  // open or a listing with a failure the program reports, not with the
  // system's box that waits for the user.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  return zel::RunVarnik(instance, zel::ProgramArguments(zel::ArgumentsOf(GetCommandLineW())));
}
