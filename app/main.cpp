// Varnik.exe: the thin Windows entry point.
#include <windows.h>

#include "app/entry.h"
#include "platform/wstr.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return zel::RunVarnik(instance, zel::Narrow(zel::ArgumentsOf(GetCommandLineW())));
}
