// The options window frmOptions, "ｵﾌﾟｼｮﾝ": the after-run (boot) mode, the
// three display fonts, the forcing of an awk program, "Start /W" to
// Callwin, keeping JWC_TEMP.TXT, the history count, the S_comm_4 dot count
// and the lines added to a written-out environment file.
//
// The boot mode and the awk choice are taken over when they are clicked,
// the fonts are shown in the main window at once (and given back on
// Cancel), everything else is taken over on OK, which saves the settings.
// The dialog reaches the main window only through OptionsHost.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "core/settings.h"
#include "platform/handles.h"

namespace zel {

enum class PaneFont { kTree, kList, kComment };

struct OptionsHost {
  Settings* settings = nullptr;  // the main window's record
  int history_count = 0;         // N of the history
  // OK with a new count: saves it with the history. False when it could
  // not be saved (the user has been told, with the window given as owner).
  std::function<bool(int, HWND)> set_history_count;
  std::function<FontSetting(PaneFont)> font;                     // as shown now
  std::function<void(PaneFont, const FontSetting&)> set_font;    // shown at once
  std::function<void()> save;                                    // Savecfg
};

// Control identifiers, for tests that find the controls of the real window.
enum OptionsControlId : int {
  kIdOptTabStrip1 = 100,
  kIdOptOption1 = 110,  // + boot mode 0..3
  kIdOptFontLabel = 120,  // + 0 tree, 1 list, 2 comment
  kIdOptComand = 130,
  kIdOptCommand1,
  kIdOptCommand2,
  kIdOptCheck1 = 140,  // + 0 GAWK, 1 JGAWK
  kIdOptChkkeepjwctemp = 150,
  kIdOptChkCallwin,
  kIdOptText1,
  kIdOptVScroll1,
  kIdOptText2,
  kIdOptVScroll2,
  kIdOptText3,
  kIdOptCmdOK = IDOK,
  kIdOptCmdCancel = IDCANCEL,
};

class OptionsDialog {
 public:
  explicit OptionsDialog(OptionsHost host);
  ~OptionsDialog();
  OptionsDialog(const OptionsDialog&) = delete;
  OptionsDialog& operator=(const OptionsDialog&) = delete;

  // Modal: the owner is disabled until OK or Cancel (Esc cancels, Enter
  // confirms). True for OK.
  bool ShowModal(HINSTANCE instance, HWND owner);
  // Modeless, for tests that press its buttons with real messages; OK and
  // Cancel destroy it.
  HWND Create(HINSTANCE instance, HWND owner);

  HWND hwnd() const { return hwnd_; }
  bool confirmed() const { return confirmed_; }

  // Controls, named as in the window design.
  HWND TabStrip1 = nullptr;
  std::array<HWND, 3> FraTab{};
  HWND FRAME1 = nullptr, Frame2 = nullptr, Frame3 = nullptr, Frame4 = nullptr;
  std::array<HWND, 4> Option1{};  // index = boot mode
  HWND Label8 = nullptr;
  std::array<HWND, 3> FontLabel{};  // tree, list, comment
  HWND comand = nullptr, Command1 = nullptr, Command2 = nullptr;
  std::array<HWND, 2> Check1{};
  HWND Label6 = nullptr, Chkkeepjwctemp = nullptr, chkCallwin = nullptr, Label1 = nullptr;
  HWND Label5 = nullptr, Text1 = nullptr, VScroll1 = nullptr;
  HWND Label9 = nullptr, Text3 = nullptr, Label7 = nullptr, Text2 = nullptr, VScroll2 = nullptr;
  HWND cmdOK = nullptr, cmdCancel = nullptr;

 private:
  static INT_PTR CALLBACK DlgProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void Load();
  void ScanPathForAwk();
  void ShowTab(int index);
  void ShowFontLabel(PaneFont which, const FontSetting& f);
  void ChoosePaneFont(PaneFont which);
  void OnCheck1(int k);
  void OnOK();
  void OnCancel();
  void Close();
  // Says what a field takes, shows its tab and puts the caret in it.
  void Refuse(int tab, HWND field, const char* message_utf8);

  OptionsHost host_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool confirmed_ = false;
  int current_tab_ = 0;
  int dpi_ = 96;
  std::array<FontSetting, 3> fonts_at_open_;  // given back on Cancel
  std::string scomm49_shown_;
  int history_count_shown_ = 0;
  UniqueFont font_;
};

}  // namespace zel
