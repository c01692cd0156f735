// Building the main window: controls at their design positions, menus,
// image lists and fonts.
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/favourites_bar.h"
#include "app/folder_tree_pane.h"
#include "app/resource.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/text.h"
#include "platform/icon_pictures.h"
#include "platform/winops.h"

namespace zel {

namespace {

HWND MakeChild(HWND parent, DWORD ex, const wchar_t* cls, const wchar_t* text,
               DWORD style, int id, HINSTANCE inst, RECT at = {0, 0, 10, 10}) {
  return CreateWindowExW(ex, cls, text, WS_CHILD | WS_CLIPSIBLINGS | style, at.left, at.top,
                         at.right - at.left, at.bottom - at.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
}

}  // namespace

void VarnikWindow::CreateControls() {
  HINSTANCE inst = instance_;
  // Each control is made at its design place, which is kept so a change of
  // DPI can place it again: a control moved after it was made costs Wine a
  // round of its own (a drop-down box two, with its list).
  auto placed = [&](DWORD ex, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                    TwipRect r, HWND parent = nullptr) {
    HWND h = MakeChild(parent ? parent : hwnd_, ex, cls, text, style, id, inst,
                       {ToPx(r.l), ToPx(r.t), ToPx(r.l) + ToPx(r.w), ToPx(r.t) + ToPx(r.h)});
    design_places_.push_back({h, r});
    return h;
  };
  auto label = [&](const char* text, TwipRect r) {
    return placed(0, L"STATIC", WideUtf8(text).c_str(), WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE,
                  -1, r);
  };
  auto edit = [&](int id, TwipRect r, DWORD extra = 0) {
    return placed(WS_EX_CLIENTEDGE, L"EDIT", L"",
                  WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | extra, id, r);
  };

  // Top strip: three rows between two etched lines.
  Line2[0] = placed(0, L"STATIC", L"", WS_VISIBLE | SS_ETCHEDHORZ, -1, {0, 0, 12000, 30});
  label2 = label("外部変形フォルダ", {60, 90, 1500, 300});
  txt_gai = edit(kIdTxtGai, {1620, 90, 5400, 300}, ES_READONLY);
  chk_smenu = placed(0, L"BUTTON", WideUtf8("カレントフォルダの移動(C)").c_str(),
                     WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kIdChkSmenu,
                     {7140, 90, 3300, 300});

  LabelJww = label("JWWフォルダ", {60, 450, 1500, 300});
  Txt_jww = edit(kIdTxtJww, {1620, 450, 2700, 300});
  LabelEdit = label("エディター", {4440, 450, 900, 300});
  Text_edit = edit(kIdTextEdit, {5400, 450, 1620, 300});
  Label5 = label("Engine", {7140, 450, 700, 300});
  txtengin = edit(kIdTxtengin, {7860, 450, 1500, 300}, ES_READONLY);

  Combo1 = placed(0, WC_COMBOBOXW, L"",
                  WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kIdCombo1,
                  {60, 790, 3000, 2000});
  for (const char* entry : {"外変バッチファイル| *.bat", "環境設定 ファイル | *.jwf",
                            "レイヤ設定ファイル| *.jwl"})
    SendMessageW(Combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideUtf8(entry).c_str()));
  Command3 = placed(0, L"BUTTON", L"", WS_VISIBLE | WS_TABSTOP | BS_ICON, kIdCommand3,
                    {3120, 780, 420, 360});
  Com_jwwinjwf = placed(0, L"BUTTON", L"JW_WIN.JWF", WS_TABSTOP, kIdComJwwinjwf,
                        {3600, 780, 1500, 360});
  Command1 = placed(0, L"BUTTON", WideUtf8("キャンセル(ESC)").c_str(), WS_VISIBLE | WS_TABSTOP,
                    kIdCommand1, {5200, 780, 1900, 360});
  Line2[1] = placed(0, L"STATIC", L"", WS_VISIBLE | SS_ETCHEDHORZ, -1, {0, 1140, 12000, 30});

  // Left column: drives, the favourites column and the tree.
  drvList = placed(0, WC_COMBOBOXW, L"",
                   WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kIdDrvList,
                   {0, 1155, 2790, 3000});
  Label6 = placed(0, L"STATIC", L"", WS_VISIBLE | SS_CENTER | SS_NOTIFY, -1,
                  {0, 1470, 600, 450});
  // Raised buttons, not flat ones: a free button has neither picture nor
  // caption, and must still be seen as a button one can click.
  Toolbar1 = placed(0, TOOLBARCLASSNAMEW, L"",
                    WS_VISIBLE | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE | CCS_VERT |
                        CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                    kIdToolbar1, {0, 1920, 600, 20 * 400});
  TreeView1 = MakeChild(hwnd_, WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                        WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS |
                            TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                        kIdTreeView1, inst);

  // The divider and the comment area.
  Frame2 = MakeChild(hwnd_, 0, L"ZelvantoDivider", L"", WS_VISIBLE, -1, inst);
  Frame3 = MakeChild(hwnd_, 0, L"ZelvantoFrame", L"", WS_VISIBLE | WS_CLIPCHILDREN, -1, inst);
  // Inside the comment area: the strip it is taken by, and the status bar.
  // Their widths follow the layout.
  Shape1 = placed(0, L"STATIC", L"", WS_VISIBLE | SS_ETCHEDFRAME, -1, {0, 0, 6000, 45}, Frame3);
  SBar1 = placed(0, STATUSCLASSNAMEW, L"",
                 WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, kIdSBar1,
                 {0, 45, 6000, 300}, Frame3);
  SetStatusParts();
  // Raised: comments only; the panel turns inset for "every line".
  SendMessageW(SBar1, SB_SETTEXTW, SBT_POPOUT, reinterpret_cast<LPARAM>(WideUtf8("コメント").c_str()));

  Text1 = MakeChild(hwnd_, WS_EX_CLIENTEDGE, L"EDIT", L"",
                    WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                        ES_AUTOVSCROLL,
                    kIdText1, inst);
  SetWindowPos(Text1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  // Right column: the file list.
  ListView1 = MakeChild(hwnd_, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                        WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                            LVS_SINGLESEL,
                        kIdListView1, inst);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  for (int i = 0; i < 3; ++i) {
    col.cx = ToPx(2000);
    col.iSubItem = i;
    col.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(ListView1, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }

  ApplyUiFont();
  CreateImageLists();
  tree_pane_ = std::make_unique<FolderTreePane>(TreeView1);
  favourites_ = std::make_unique<FavouritesBar>(Toolbar1, Label6, ImageList3, kCmdToolButtonFirst);
  favourites_->SetPictureLoader([this](HIMAGELIST pictures, int picture) {
    int size = 0, unused = 0;
    return ImageList_GetIconSize(pictures, &size, &unused) &&
           PutIconPicture(pictures, picture, instance_, IDI_TOOL_FIRST + picture, size);
  });
}

void VarnikWindow::PlaceDesignControls() {
  for (const auto& [h, r] : design_places_)
    MoveWindow(h, ToPx(r.l), ToPx(r.t), ToPx(r.w), ToPx(r.h), FALSE);
  SetStatusParts();
}

// Two panels: "Coment" (the display mode of the comment pane) and "info".
void VarnikWindow::SetStatusParts() {
  int parts[2] = {ToPx(1200), -1};
  SendMessageW(SBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

// One font for the fixed controls, the system's message font at the
// window's DPI; the three panes get the user's fonts afterwards.
void VarnikWindow::ApplyUiFont() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, dpi_))
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  UniqueFont font(CreateFontIndirectW(&ncm.lfMessageFont));
  if (!font) return;
  // Not to the three panes, which get the user's fonts (a list view lays
  // out its header and rows at each font it is given), nor to the lines and
  // frames that show no text: a font set costs Wine a measuring of its own.
  struct Target {
    HFONT font;
    std::vector<HWND> skip;
  } target{font.get(), {TreeView1, ListView1, Text1, Line2[0], Line2[1], Shape1, Frame2, Frame3}};
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM lp) -> BOOL {
        const auto* t = reinterpret_cast<const Target*>(lp);
        if (std::find(t->skip.begin(), t->skip.end(), child) == t->skip.end())
          SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(t->font), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&target));
  ui_font_ = std::move(font);  // the old one is no longer selected anywhere
}

// Made anew at the window's DPI; the lists they replace are destroyed
// once nothing shows them.
void VarnikWindow::CreateImageLists() {
  HIMAGELIST old_lists[2] = {ImageList1, ImageList3};
  const int small = GetSystemMetricsForDpi(SM_CXSMICON, dpi_);
  ImageList1 = ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, 3, 0);
  for (int id : {IDI_TREE_DRIVE, IDI_TREE_FOLDER, IDI_TREE_OPEN})
    PutIconPicture(ImageList1, -1, instance_, id, small);
  TreeView_SetImageList(TreeView1, ImageList1, TVSIL_NORMAL);

  // Seven empty places for the pictures of icons 121 to 127, in that order;
  // the favourites bar fills a place when a button first shows its picture
  // (loading an icon costs Wine a few milliseconds, at every start).
  ImageList3 = ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, 7, 0);
  {
    const std::vector<std::uint32_t> clear(static_cast<std::size_t>(small) * small * 7, 0);
    // A mask of ones: every pixel of an empty place lets the button show.
    const std::size_t mask_row = ((static_cast<std::size_t>(small) * 7 + 15) / 16) * 2;
    const std::vector<std::uint8_t> see_through(mask_row * small, 0xFF);
    HBITMAP places = CreateBitmap(small * 7, small, 1, 32, clear.data());
    HBITMAP mask = CreateBitmap(small * 7, small, 1, 1, see_through.data());
    if (places && mask) ImageList_Add(ImageList3, places, mask);
    if (places) DeleteObject(places);
    if (mask) DeleteObject(mask);
  }
  SendMessageW(Toolbar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList3));

  // The window icons of the filters are made again at the new size when
  // first shown.
  for (UniqueIcon& icon : icons_) icon.reset();
  for (UniqueIcon& icon : small_icons_) icon.reset();
  for (HIMAGELIST l : old_lists)
    if (l) ImageList_Destroy(l);
}

// The window's icon for a filter, big or small: the batch and environment
// pictures, and the program's own icon for layer files. Each is loaded when
// its filter is first shown (an icon costs Wine milliseconds at every
// start).
HICON VarnikWindow::FilterIcon(int index, bool small) {
  if (index < 0 || index > 2) index = 0;
  UniqueIcon& icon = (small ? small_icons_ : icons_)[index];
  if (!icon) {
    static const int kIds[3] = {IDI_LIST2_BAT, IDI_LIST2_JWF, IDI_APP};
    const int size = GetSystemMetricsForDpi(small ? SM_CXSMICON : SM_CXICON, dpi_);
    icon.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIds[index]),
                                             IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  }
  return icon.get();
}

// The window's icons for a filter: the caption shows the picture drawn
// for its small size, the task bar and Alt+Tab the big one.
void VarnikWindow::ShowFilterIcons(int index) {
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FilterIcon(index)));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FilterIcon(index, true)));
  window_icon_set_ = true;
}

void VarnikWindow::CreateMenus() {
  auto item = [](HMENU m, UINT id, const char* text) {
    AppendMenuW(m, MF_STRING, id, WideUtf8(text).c_str());
  };
  // The list's context menu; its entries change with the filter and the
  // selected batch, so it is rebuilt before it opens.
  for (int i = 0; i < 14; ++i) {
    kanren_captions_[i] = i < 9 ? std::string("file") + std::to_string(i + 1) : std::string();
    kanren_visible_[i] = true;
  }
  context = CreatePopupMenu();
  SetupContextMenu();

  // The tree's context menu.
  tree = CreatePopupMenu();
  item(tree, kCmdFoldaopen, "フォルダを開く");
  AppendMenuW(tree, MF_SEPARATOR, 0, nullptr);
  item(tree, kCmdChildfoldaseek, "下位フォルダ追加検索");
  item(tree, kCmdFoldel, "フォルダ非表示");

}

// The menu bar, made before the window so the window is made with it: a bar
// set afterwards lays the whole window out once more. The two context menus
// live outside it: they are hidden from the bar and only ever opened by
// right clicks.
void VarnikWindow::CreateMenuBar() {
  auto item = [](HMENU m, UINT id, const char* text) {
    AppendMenuW(m, MF_STRING, id, WideUtf8(text).c_str());
  };
  menu_bar = CreateMenu();
  item(menu_bar, kCmdEndd, "終了(&X)");
  HMENU samples = CreatePopupMenu();
  item(samples, kCmdJwwSmpl, "Jww_smpl.bat(&B)");
  item(samples, kCmdSJwf, "Sample.jwf(&F)");
  item(samples, kCmdSJwl, "Sample.jwL(&L)");
  item(samples, kCmdKJwm, "Keisan.jwm(&M)");
  item(samples, kCmdMnuOpt4, "JW_OPT4.DAT(&O)");
  AppendMenuW(samples, MF_SEPARATOR, 0, nullptr);
  item(samples, kCmdJwwinTxt, "Jw_win.txt(&J)");
  AppendMenuW(samples, MF_SEPARATOR, 0, nullptr);
  item(samples, kCmdJwctemp, "JWC_TEMP.TXT(&P)");
  item(samples, kCmdVnkTempBat, "_VNKtemp.bat(&T)");
  AppendMenuW(menu_bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(samples), L"Samples(&S)");
  HMENU moption = CreatePopupMenu();
  item(moption, kCmdFolderseek, "ツリー初期化・フォルダ検索");
  item(moption, kCmdJwfOut, "JW_WIN.JWFの書出し");
  item(moption, kCmdMnuOption, "オプション...");
  AppendMenuW(menu_bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(moption),
              WideUtf8("設定(&O)").c_str());
  item(menu_bar, kCmdVer, "Ver 3.73");
}

void VarnikWindow::ApplyFonts() {
  auto make = [this](const FontSetting& f) {
    LOGFONTW lf{};
    lf.lfHeight = FontHeightForPoints(f.size, dpi_);
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = f.italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::wstring face = Wide(f.name);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
  };
  tree_font_.reset(make(settings_.Treefont));
  list_font_.reset(make(settings_.ListFont));
  come_font_.reset(make(settings_.ComeFont));
  SendMessageW(TreeView1, WM_SETFONT, reinterpret_cast<WPARAM>(tree_font_.get()), TRUE);
  SendMessageW(ListView1, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_.get()), TRUE);
  SendMessageW(Text1, WM_SETFONT, reinterpret_cast<WPARAM>(come_font_.get()), TRUE);
}

}  // namespace zel
