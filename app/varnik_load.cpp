// Loading, saving and closing the main window.
#include <windowsx.h>

#include <cmath>

#include "app/favourites_bar.h"
#include "app/list_prefetch.h"
#include "app/resource.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/arguments.h"
#include "core/linereader.h"
#include "core/placement.h"
#include "core/text.h"
#include "core/words.h"
#include "platform/files.h"
#include "platform/ui_service.h"
#include "platform/winops.h"
#include "tray/tray_window.h"

namespace zel {

namespace {

constexpr char kSettingsFile[] = "Varnik.ini";

// Column display positions: "1 2 3" style words to an order array.
bool ColumnOrderFromPositions(const Words& w, int order[3]) {
  int seen = 0;
  for (int column = 0; column < 3; ++column) {
    if (w[column].empty()) return false;
    char* end = nullptr;
    long pos = std::strtol(w[column].c_str(), &end, 10);
    if (*end != '\0' || pos < 1 || pos > 3 || (seen & (1 << pos))) return false;
    seen |= 1 << pos;
    order[pos - 1] = column;
  }
  return true;
}

}  // namespace

std::string VarnikWindow::CurrentFolder() const { return current_folder_; }

int VarnikWindow::FilterIndex() const {
  int i = static_cast<int>(SendMessageW(Combo1, CB_GETCURSEL, 0, 0));
  return i < 0 ? 0 : i;
}

void VarnikWindow::LoadSequence() {
  IsLoading = true;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  ListView_SetExtendedListViewStyleEx(
      ListView1, 0,
      ListView_GetExtendedListViewStyle(ListView1) | LVS_EX_FULLROWSELECT |
          LVS_EX_HEADERDRAGDROP | LVS_EX_ONECLICKACTIVATE | LVS_EX_SUBITEMIMAGES);

  program_folder_ = program_folder_override_.empty() ? ModuleFolder() : program_folder_override_;
  LoadSettings();

  RestoreListOrder();

  // A window saved far off the screen comes back at a safe place. The test
  // uses the saved twips where they were applied: pixels rounded back to
  // twips would turn -10 into -15.
  const int dpi = dpi_;
  const double top = settings_.Top, left = settings_.Left;
  if (top < -10 || left < -10)
    SetWindowPos(hwnd_, nullptr, TwipsToPixels(1000, dpi), TwipsToPixels(1000, dpi), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  KeepOnScreen();

  if (settings_.Frame2left <= 0 || settings_.Frame3Top <= 0) {
    settings_.Frame2left = 2790;
    settings_.Frame3Top = 3120;
  }
  frame2_left_ = settings_.Frame2left;
  frame3_top_ = settings_.Frame3Top;

  SetCtlTextU(Label6, "お気に入り\r\nフォルダ");
  // After the heading: the column is made at least as wide as it.
  favourites_->Load(settings_.Tools);

  if (!argument_folder_.empty()) settings_.gaihenfolder = argument_folder_;

  SetCtlText(Txt_jww, settings_.jwwfolder);  // also sets JwwDrive and the wrapper path
  OnJwwFolderChange();
  current_folder_ = settings_.gaihenfolder;
  SetCtlText(txt_gai, current_folder_);

  SelectFilter(jwf_argument_ ? 1 : 0);
  SelectDrive(LeftChars(current_folder_, 2));
  IsLoading = false;

  LoadTreeCache();
  SelectTreeNode(AsciiUpper(current_folder_));
  // Laid out while still hidden and before the rows and the hint come:
  // moving the controls then repaints nothing, and neither the list nor the
  // comment box has anything to lay out again at its new size.
  OnResize();
  SetCtlTextU(Text1,
              "お気に入りフォルダは、\r\n[登録:Ctrl+マウスLクリック]\r\n[解除:Shift+マウスLクリック]");
  RefreshFileList();
  list_prefetch_.reset();  // unused when the folder could not be listed
  ApplyColumnLayout();

  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  int show = SW_SHOWNORMAL;
  if (settings_.win == 1) show = SW_SHOWMINIMIZED;
  if (settings_.win == 2) show = SW_SHOWMAXIMIZED;
  // Once shown, only a window that came up at another size (a maximised
  // one) is laid out again.
  RECT hidden_client{};
  GetClientRect(hwnd_, &hidden_client);
  ShowWindow(hwnd_, show);
  RECT shown_client{};
  GetClientRect(hwnd_, &shown_client);
  if (shown_client.right != hidden_client.right || shown_client.bottom != hidden_client.bottom)
    OnResize();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  // The list has the keys once the window is active; showing it made it
  // active where the system lets a starting program come to the front, and
  // elsewhere the activation (a click, the window manager) focuses the list.
  // Focusing it here would force an activation of its own.
  if (GetActiveWindow() == hwnd_) SetFocus(ListView1);
  // The tray window shows nothing until the user acts, so it is loaded
  // right after the window shows, not before: the message comes before any
  // click or key of the user's.
  if (!PostMessageW(hwnd_, kLoadTrayMessage, 0, 0)) LoadTrayWindow();
}

// A folder argument (its second character is ":") becomes the current
// folder in short upper-case form; a second one wins. A folder in quotes
// (Windows quotes one whose path holds a blank) is one argument.
void VarnikWindow::ReadStartArguments() {
  Words words = SplitStartArguments(arguments_);
  argument_folder_.clear();
  for (int w = 0; w < 2; ++w) {
    if (CharCount(words[w]) >= 2 && MidChars(words[w], 1, 1) == ":") {
      if (auto s = ShortFolderPath(words[w])) argument_folder_ = AsciiUpper(*s);
    }
  }
  jwf_argument_ = EqualsNoCase(words[0], "/jwf") || EqualsNoCase(words[1], "/jwf");
}

// The folder and filter the load sequence will list, from the same settings
// file and arguments, so their files are read while the window is made.
// Should the load come to another folder or filter, it lists that itself.
void VarnikWindow::StartListPrefetch() {
  program_folder_ = program_folder_override_.empty() ? ModuleFolder() : program_folder_override_;
  ReadStartArguments();
  std::string folder = argument_folder_;
  if (folder.empty()) {
    Settings s = DefaultSettings(zel::CurrentFolder(), kToolButtonCount);
    std::string bytes;
    std::vector<std::string> lines;
    const bool opened = ReadWholeFile(program_folder_ + "\\" + kSettingsFile, bytes);
    if (opened) lines = SplitLines(bytes);
    ParseSettings(opened ? &lines : nullptr, s);
    ApplySettingsFallbacks(s, zel::CurrentFolder());
    folder = s.gaihenfolder;
  }
  list_prefetch_ = std::make_unique<ListPrefetch>(folder, jwf_argument_ ? 1 : 0);
}

void VarnikWindow::LoadTrayWindow() {
  if (frmtask_ || unloading_ || !hwnd_) return;
  auto tray = std::make_unique<TrayWindow>();
  tray->Create(instance_, program_folder_, TrayHostOfThisWindow());
  frmtask_ = std::move(tray);
}

namespace {

ScreenRect FromRect(const RECT& r) {
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

// A saved place no monitor shows, or a size the controls cannot use, would
// come back at every start (each close saves it again): such a window opens
// on the primary monitor, at the default size where its size was unusable.
void VarnikWindow::KeepOnScreen() {
  RECT r;
  if (!GetWindowRect(hwnd_, &r)) return;
  std::vector<ScreenRect> areas;
  for (const RECT& a : MonitorWorkAreas()) areas.push_back(FromRect(a));
  // Twips at the window's DPI: 7200 x 4320 shows the top strip and a few
  // rows, 13500 x 10200 is the size of a first start, and 1500 x 450 of a
  // window left on a screen lets the user take it by its title bar.
  const PlacementLimits limits{ToPx(7200), ToPx(4320), ToPx(13500), ToPx(10200), ToPx(1500),
                               ToPx(450)};
  const ScreenRect now = FromRect(r);
  const ScreenRect place = PlaceOnScreen(now, areas, FromRect(PrimaryWorkArea()), limits);
  if (place == now) return;
  SetWindowPos(hwnd_, nullptr, place.left, place.top, place.width, place.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The tray window shares the run guard, reads the Jw_cad folder box, and
// reaches the main window through it; the icon shows in the resident boot
// modes only (a changed mode takes effect at the next start).
TrayHost VarnikWindow::TrayHostOfThisWindow() {
  TrayHost host;
  host.show_icon = settings_.Bootmode >= 1 && settings_.Bootmode <= 3;
  host.icon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_APP));
  host.guard = &run_guard_;
  host.loading = [this] { return IsLoading; };
  host.jww_folder = [this] { return GetCtlText(Txt_jww); };
  host.show_main = [this] {
    if (!hwnd_) return;
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
  };
  host.end_program = [this] {
    if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  };
  return host;
}

void VarnikWindow::LoadSettings() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  const int dpi = dpi_;
  settings_ = DefaultSettings(zel::CurrentFolder(), kToolButtonCount);
  // Values the file does not give keep the window's own.
  settings_.Top = static_cast<float>(PixelsToTwips(r.top, dpi));
  settings_.Left = static_cast<float>(PixelsToTwips(r.left, dpi));
  settings_.Height = static_cast<float>(PixelsToTwips(r.bottom - r.top, dpi));
  settings_.Width = static_cast<float>(PixelsToTwips(r.right - r.left, dpi));

  std::string bytes;
  std::vector<std::string> lines;
  bool opened = ReadWholeFile(program_folder_ + "\\" + kSettingsFile, bytes);
  if (opened) lines = SplitLines(bytes);
  ParseSettings(opened ? &lines : nullptr, settings_);
  ApplySettingsFallbacks(settings_, zel::CurrentFolder());

  // The saved place is the window's normal place, kept also when it was
  // closed maximised or minimised: the window is still hidden and normal
  // here, and showing it maximised or minimised later keeps this place for
  // its restore.
  SetWindowPos(hwnd_, nullptr, TwipsToPixels(settings_.Left, dpi),
               TwipsToPixels(settings_.Top, dpi), TwipsToPixels(settings_.Width, dpi),
               TwipsToPixels(settings_.Height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyFonts();
  Button_SetCheck(chk_smenu, settings_.foldermove ? BST_CHECKED : BST_UNCHECKED);
  SetCtlText(Text_edit, settings_.editor);
}

void VarnikWindow::ApplyColumnLayout() {
  const Settings& s = settings_;
  if (s.ColumnHead1W != 0 && s.ColumnHead2W != 0 && s.ColumnHead3W != 0) {
    ListView_SetColumnWidth(ListView1, 0, ToPx(s.ColumnHead1W));
    ListView_SetColumnWidth(ListView1, 1, ToPx(s.ColumnHead2W));
    ListView_SetColumnWidth(ListView1, 2, ToPx(s.ColumnHead3W));
    int order[3];
    if (ColumnOrderFromPositions(SplitWords(s.ColumnPos), order))
      ListView_SetColumnOrderArray(ListView1, 3, order);
  } else {
    for (int i = 0; i < 3; ++i) ListView_SetColumnWidth(ListView1, i, ToPx(2000));
  }
}

void VarnikWindow::GatherLiveSettings() {
  Settings& s = settings_;
  s.editor = GetCtlText(Text_edit);
  s.jwwfolder = GetCtlText(Txt_jww);
  s.gaihenfolder = GetCtlText(txt_gai);
  s.foldermove = Button_GetCheck(chk_smenu) == BST_CHECKED ? 1 : 0;
  s.Tools = favourites_->buttons();
  s.win = IsIconic(hwnd_) ? 1 : IsZoomed(hwnd_) ? 2 : 0;
  // A minimised or maximised window is saved with its normal position, so
  // restoring it later finds the place the user chose.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (s.win != 0 && GetWindowPlacement(hwnd_, &wp)) r = wp.rcNormalPosition;
  const int dpi = dpi_;
  s.Top = static_cast<float>(PixelsToTwips(r.top, dpi));
  s.Left = static_cast<float>(PixelsToTwips(r.left, dpi));
  s.Height = static_cast<float>(PixelsToTwips(r.bottom - r.top, dpi));
  s.Width = static_cast<float>(PixelsToTwips(r.right - r.left, dpi));

  float* widths[3] = {&s.ColumnHead1W, &s.ColumnHead2W, &s.ColumnHead3W};
  for (int i = 0; i < 3; ++i)
    *widths[i] = static_cast<float>(std::round(ToTwips(ListView_GetColumnWidth(ListView1, i))));
  int order[3] = {0, 1, 2};
  ListView_GetColumnOrderArray(ListView1, 3, order);
  int position[3] = {1, 2, 3};
  for (int p = 0; p < 3; ++p)
    if (order[p] >= 0 && order[p] < 3) position[order[p]] = p + 1;
  std::string pos = std::to_string(position[0]) + " " + std::to_string(position[1]) + " " +
                    std::to_string(position[2]);
  pos.resize(10, ' ');
  s.ColumnPos = pos;

  std::string* captions[3] = {&s.Column1, &s.Column2, &s.Column3};
  for (int i = 0; i < 3; ++i) {
    wchar_t buf[256] = L"";
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = 255;
    if (SendMessageW(ListView1, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col)))
      *captions[i] = Narrow(buf);
  }
  s.ColumnSortkey = static_cast<std::int16_t>(list_sort_.key);
  s.ColumnSortOrder = list_sort_.order;
  // Frame2left and Frame3Top already hold the whole twips the last layout
  // stored.
}

void VarnikWindow::Savecfg() {
  if (!hwnd_) return;
  GatherLiveSettings();
  const std::string path = program_folder_ + "\\" + kSettingsFile;
  if (WriteFileAtomic(path, FormatSettings(settings_))) return;
  // The old file is still whole; say so once per close, not once per save.
  if (save_failure_reported_) return;
  save_failure_reported_ = true;
  ShowMessage(hwnd_,
              WideUtf8("設定を保存できませんでした。\r\n以前の設定ファイルはそのまま残っています。\r\n\r\n") +
                  Wide(path),
              L"Zelvanto", MB_OK | MB_ICONWARNING);
}

void VarnikWindow::CloseByBootMode() {
  SetCurrentFolder(program_folder_);
  save_failure_reported_ = false;
  Savecfg();
  // The boot mode decides both what closing does and what follows a run.
  ApplyAfterRunMode();
  save_failure_reported_ = false;
}

void VarnikWindow::Unload() {
  if (unloading_ || !hwnd_) return;
  unloading_ = true;
  // A search that still runs keeps what it found, as when it is stopped.
  StopSearch();
  SetCurrentFolder(program_folder_);
  Savecfg();
  frmtask_.reset();
  DestroyWindow(hwnd_);
}

void VarnikWindow::SelectFilter(int index) {
  SendMessageW(Combo1, CB_SETCURSEL, index, 0);
  OnFilterChange();  // setting the index by code runs the handler too
}

void VarnikWindow::OnFilterChange() {
  related_file_list_.clear();
  const int index = FilterIndex();
  static const char* kFolderLabels[3] = {"外部変形フォルダ", "環境設定フォルダ", "ＪＷＬフォルダ"};
  ShowWindow(Com_jwwinjwf, index == 1 ? SW_SHOW : SW_HIDE);
  SetCtlTextU(label2, kFolderLabels[index]);
  for (HWND h : {chk_smenu, txtengin, Label5}) ShowWindow(h, index == 0 ? SW_SHOW : SW_HIDE);
  // Until another filter is chosen the window shows the class's pictures,
  // which are the batch files' ones.
  if (index != 0 || window_icon_set_) ShowFilterIcons(index);
  SendMessageW(Command3, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(FilterIcon(index)));
  // While the window loads, the tree is loaded once the drive is known too.
  if (!IsLoading) {
    LoadTreeCache();
    RefreshFileList();
  }
}

void VarnikWindow::OnJwwFolderChange() {
  settings_.jwwfolder = GetCtlText(Txt_jww);
  jww_drive_ = LeftChars(settings_.jwwfolder, 2);
  wrapper_batch_path_ = settings_.jwwfolder + "\\_VNKtemp.bat";
}

}  // namespace zel
