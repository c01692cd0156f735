// A program that does nothing but save, over and over, the files Zelvanto
// keeps: "Varnik.ini", "Taskmnu.ini" with its history batches (through the
// tray window's run record, as a run from the list does), a tree cache, and
// "JW_WIN.JWF" written out with the lines the options add. Each round
// saves version A or version B of all of them, in turns, so whatever moment
// the program is ended at, every file must hold A or B whole.
//   save_worker <program folder> <jw_cad folder> <rounds, 0 = until ended>
//               <first version, 0 = A> <ready event name>
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/envwrite.h"
#include "core/foldertree.h"
#include "core/settings.h"
#include "platform/files.h"
#include "platform/wstr.h"
#include "tray/tray_window.h"

namespace {

using namespace zel;

// The two versions of everything, of different lengths, so a file cut
// short or made of both can never pass for either.
struct Version {
  Settings settings;
  std::string title, batch, wrapper, tree, environment;
};

Version Make(int v, const std::string& prog, const std::string& jww) {
  Version out;
  const std::string tag = v == 0 ? "A" : "BB";
  out.settings = DefaultSettings(prog + "\\gaihen" + tag, 20);
  out.settings.jwwfolder = jww;
  out.settings.editor = "notepad" + tag + ".exe";
  out.title = "run " + tag;
  out.batch = prog + "\\gaihen\\" + tag + ".bat";
  out.wrapper = "@REM wrapper " + tag + "\r\n";
  for (int i = 0; i < 200 * (v + 1); ++i)
    out.wrapper += "REM line " + std::to_string(i) + " of " + tag + "\r\n";
  // The tree's cache text as the tree pane saves it.
  FolderTree tree;
  tree.Reset("c:");
  const FolderKeyFunction key_of = [](const std::string& parent, const std::string& name) {
    return std::optional<std::string>(parent + "\\" + name);
  };
  for (int i = 0; i < 300 + 50 * v; ++i)
    tree.AddFolderPath("c:\\JWW\\GAIHEN" + tag + "\\SUB" + std::to_string(i), key_of);
  out.tree = tree.CacheText();
  std::string env;
  for (int i = 0; i < 4000 + 500 * v; ++i)
    env += "GCOM_" + std::to_string(i) + " = 0 0 0 0 0 " + tag + "\r\n";
  out.environment = PrepareWrittenEnvironment(env, "12", "REM " + tag + " vbCrlf REM end");
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6) return 2;
  const std::string prog = Narrow(argv[1]), jww = Narrow(argv[2]);
  const long rounds = std::wcstol(argv[3], nullptr, 10);
  int v = std::wcstol(argv[4], nullptr, 10) != 0 ? 1 : 0;
  const Version versions[2] = {Make(0, prog, jww), Make(1, prog, jww)};

  TrayWindow tray;
  if (!tray.Create(GetModuleHandleW(nullptr), prog)) return 3;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[5]);
  if (ready) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  for (long r = 0; rounds == 0 || r < rounds; ++r, v = 1 - v) {
    const Version& x = versions[v];
    if (!WriteFileAtomic(prog + "\\Varnik.ini", FormatSettings(x.settings))) return 4;
    if (!tray.RecordRun(x.title, x.batch, x.wrapper)) return 5;
    if (!WriteFileAtomic(prog + "\\tree_cbat.dat", x.tree)) return 6;
    if (!WriteFileAtomic(jww + "\\JW_WIN.JWF", x.environment)) return 7;
  }
  return 0;
}
