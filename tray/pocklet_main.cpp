// Pocklet.exe: the thin Windows entry point.
#include <windows.h>

#include "platform/files.h"
#include "tray/pocklet.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return zel::RunPocklet(instance, zel::ModuleFolder());
}
