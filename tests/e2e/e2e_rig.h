// A program folder with its own Varnik.exe, a Jw_cad folder holding the
// stand-in Jw_cad, and a folder of the user's files, all in one temporary
// folder that goes with the test.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "app/varnik_window.h"
#include "core/settings.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel::test {

struct VarnikRig {
  TempDir dir;
  std::filesystem::path prog = dir.path() / "prog";
  std::filesystem::path jww = dir.path() / "jww";
  std::filesystem::path files;

  // `files_name` is the user's folder name, in code page 932.
  explicit VarnikRig(const std::string& files_name = "files")
      : files(dir.path() / PathFromCp932(files_name)) {
    for (const auto& p : {prog, jww, files}) std::filesystem::create_directories(p);
    std::filesystem::copy_file(WinePath(ZEL_VARNIK_EXE), prog / "Varnik.exe");
    std::filesystem::copy_file(WinePath(ZEL_STANDIN_EXE), jww / "JW_WIN.exe");
  }

  std::wstring exe() const { return (prog / "Varnik.exe").wstring(); }
  std::filesystem::path ini() const { return prog / "Varnik.ini"; }
  void Write(const std::string& name, const std::string& bytes) const {
    WriteBytes(files / PathFromCp932(name), bytes);
  }

  // A settings file naming the rig's folders.
  void WriteSettings(bool move, int bootmode) const {
    Settings s = DefaultSettings(Narrow(files.wstring()), kToolButtonCount);
    s.jwwfolder = Narrow(jww.wstring());
    s.foldermove = move ? 1 : 0;
    s.Bootmode = static_cast<std::int16_t>(bootmode);
    WriteBytes(ini(), FormatSettings(s));
  }

  // The stand-in's log, and how often `what` occurs in it.
  std::string Log() const { return ReadBytes(jww / "standin.log"); }
  std::size_t Count(const std::string& what) const {
    const std::string log = Log();
    std::size_t n = 0;
    for (std::size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
  }

  Process StartStandin() const {
    Process p((jww / "JW_WIN.exe").wstring(), L"", jww.wstring());
    WaitForWindow(p.pid(), L"jw_win");
    return p;
  }
  // Starts Varnik and waits for its window (null in `main` if none came).
  Process StartVarnik(const std::wstring& args, HWND& main) const {
    Process p(exe(), args);
    main = WaitForWindow(p.pid(), L"Zelvanto");
    return p;
  }
};

}  // namespace zel::test
