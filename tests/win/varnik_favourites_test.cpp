// The favourites column in the real main window hosted in this process:
// Ctrl+click registers the current folder, Shift+click frees a button, a
// plain click jumps to the folder with its file type, and the buttons come
// back from the settings file. The column is as wide as its widest caption
// and never narrower than its heading.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/favourites_bar.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/win/image_pixels.h"
#include "tests/win/tree_fixture.h"

namespace zel {
namespace {

// True when the image list's picture leaves a mark on a white square.
bool PictureDrawn(HIMAGELIST list, int index) {
  const std::vector<std::uint32_t> px = test::DrawnPixels(list, index, 0x00FFFFFF);
  for (std::uint32_t p : px)
    if ((p & 0x00FFFFFF) != 0x00FFFFFF) return true;
  return false;
}

namespace fs = std::filesystem;
using namespace test;

void ClickButton(VarnikWindow& w, int index) {
  SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kCmdToolButtonFirst + index, BN_CLICKED),
               reinterpret_cast<LPARAM>(w.Toolbar1));
}

// A click with a key held down, the key pressed and released as a person
// does it, through the window's key preview.
void ClickButtonWith(VarnikWindow& w, UINT vk, int index) {
  PostKey(w.ListView1, vk, false);
  ASSERT_TRUE(Settle(w));
  ClickButton(w, index);
  PostKey(w.ListView1, vk, true);
  ASSERT_TRUE(Settle(w));
}

std::wstring ButtonText(const VarnikWindow& w, int index) {
  wchar_t buf[256] = L"";
  SendMessageW(w.Toolbar1, TB_GETBUTTONTEXTW, kCmdToolButtonFirst + index,
               reinterpret_cast<LPARAM>(buf));
  return buf;
}

// The tooltip the window gives the button, as the toolbar asks for it.
std::wstring Tip(const VarnikWindow& w, int index) {
  NMTTDISPINFOW info{};
  info.hdr.hwndFrom = w.Toolbar1;
  info.hdr.idFrom = kCmdToolButtonFirst + index;
  info.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(w.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  return info.lpszText ? info.lpszText : L"";
}

RECT RectOf(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// The width of the text in the control's font, in pixels.
int TextWidth(HWND h, const std::wstring& text) {
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return size.cx;
}

// The height of a line in the control's font, in pixels.
int TextHeight(HWND h) {
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return tm.tmHeight;
}

TEST_F(TreeFixture, CtrlRegistersShiftFreesAndAClickJumpsToTheFolderAndType) {
  MakeQualifying(files / "a", "a.bat");
  WriteBytes(files / "a" / "a.jwf", J("環境Ａ\r\n"));
  const fs::path wide = files / "a folder with a rather long name";
  MakeQualifying(wide, "w.bat");
  WriteCache({CacheLine(files / "a"), CacheLine(wide)});
  WriteCache({CacheLine(files / "a")}, "jwf");
  WriteIni(TreeSettings());
  const std::string key_a = Narrow(KeyOf(files / "a"));

  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  // Free buttons before anything is registered: the column is at least as
  // wide as the heading's lines, and the tree starts to its right.
  const int heading = std::max(TextWidth(w.Label6, WideUtf8("お気に入り")),
                               TextWidth(w.Label6, WideUtf8("フォルダ")));
  EXPECT_GE(w.favourites().ButtonWidth(), heading);
  EXPECT_GE(RectOf(w.Label6).right - RectOf(w.Label6).left, heading);
  EXPECT_LE(RectOf(w.Toolbar1).right, RectOf(w.TreeView1).left);
  EXPECT_EQ(SendMessageW(w.Toolbar1, TB_BUTTONCOUNT, 0, 0), kToolButtonCount);
  // The heading shows both its lines, and the 20 buttons, free ones
  // included, stand in one column inside the window, each tall enough for
  // a caption.
  EXPECT_EQ(Text(w.Label6), WideUtf8("お気に入り\r\nフォルダ"));
  const int line = TextHeight(w.Label6);
  EXPECT_GE(RectOf(w.Label6).bottom - RectOf(w.Label6).top, 2 * line);
  EXPECT_LE(RectOf(w.Label6).bottom, RectOf(w.Toolbar1).top + 1);
  RECT client{};
  GetClientRect(w.hwnd(), &client);
  MapWindowPoints(w.hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  RECT previous{};
  for (int i = 0; i < kToolButtonCount; ++i) {
    SCOPED_TRACE(i);
    RECT r{};
    ASSERT_TRUE(SendMessageW(w.Toolbar1, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)));
    MapWindowPoints(w.Toolbar1, nullptr, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_GE(r.bottom - r.top, TextHeight(w.Toolbar1));
    EXPECT_LE(r.bottom, RectOf(w.Toolbar1).bottom);
    EXPECT_LE(r.bottom, client.bottom);
    if (i > 0) {
      EXPECT_EQ(r.left, previous.left);
      EXPECT_GE(r.top, previous.bottom);
    }
    previous = r;
  }
  EXPECT_TRUE(SaveWindowPng(w.hwnd(), WinePath(ZEL_SHOT_DIR "/favourites_free.png")));
  EXPECT_EQ(Tip(w, 0), WideUtf8("[CTRL+Lクリック]で登録"));

  ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, CacheLine(files / "a"))));
  ASSERT_NO_FATAL_FAILURE(ClickButtonWith(w, VK_CONTROL, 0));
  const ToolButtonSetting& b0 = w.favourites().buttons()[0];
  EXPECT_EQ(b0.key, key_a + ",0");
  EXPECT_EQ(b0.tag, "0");
  EXPECT_EQ(b0.caption, "a");
  EXPECT_EQ(b0.tooltip, key_a);
  EXPECT_EQ(b0.image, 1);
  // The button shows picture 1 (the batch icon); the layer files' picture
  // is not needed yet.
  TBBUTTON button0{};
  ASSERT_TRUE(SendMessageW(w.Toolbar1, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&button0)));
  EXPECT_EQ(button0.iBitmap, 0);
  HIMAGELIST pictures =
      reinterpret_cast<HIMAGELIST>(SendMessageW(w.Toolbar1, TB_GETIMAGELIST, 0, 0));
  ASSERT_NE(pictures, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(pictures), 7);
  EXPECT_TRUE(PictureDrawn(pictures, 0));
  EXPECT_FALSE(PictureDrawn(pictures, 2));
  EXPECT_EQ(ButtonText(w, 0), L"a");
  EXPECT_EQ(Tip(w, 0), Wide(key_a));

  // The same folder and type once more: refused, the button stays free.
  ASSERT_NO_FATAL_FAILURE(ClickButtonWith(w, VK_CONTROL, 1));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("すでに登録されてます。"));
  EXPECT_EQ(Icon(told[0]), static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_TRUE(w.favourites().buttons()[1].key.empty());

  // A long caption widens the column, and the tree moves over for it.
  const int narrow = w.favourites().ButtonWidth();
  ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, CacheLine(wide))));
  ASSERT_NO_FATAL_FAILURE(ClickButtonWith(w, VK_CONTROL, 2));
  EXPECT_EQ(w.favourites().buttons()[2].caption, "a folder with a rather long name");
  EXPECT_GT(w.favourites().ButtonWidth(), narrow);
  EXPECT_LE(RectOf(w.Toolbar1).right, RectOf(w.TreeView1).left);
  EXPECT_TRUE(SaveWindowPng(w.hwnd(), WinePath(ZEL_SHOT_DIR "/favourites_column.png")));

  // Another type of the same folder is another favourite. The tree is the
  // environment files' tree now.
  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 1);
  ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, CacheLine(files / "a"))));
  ASSERT_NO_FATAL_FAILURE(ClickButtonWith(w, VK_CONTROL, 1));
  EXPECT_EQ(w.favourites().buttons()[1].key, key_a + ",1");
  EXPECT_EQ(w.favourites().buttons()[1].image, 2);

  // Shift on a free button leaves it free; a plain click on a free button
  // changes nothing but the comment box.
  ASSERT_NO_FATAL_FAILURE(ClickButtonWith(w, VK_SHIFT, 5));
  EXPECT_TRUE(w.favourites().buttons()[5].key.empty());
  SetText(w.Text1, L"old text");
  const std::string before = w.CurrentFolder();
  ClickButton(w, 6);
  EXPECT_EQ(Text(w.Text1), L"");
  EXPECT_EQ(w.CurrentFolder(), before);

  // Jumps: from the drive node with the environment filter to the batch
  // folder a, then to a's environment files.
  ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, DriveOf(files))));
  ClickButton(w, 0);
  EXPECT_EQ(w.FilterIndex(), 0);
  // Exactly the node's key, as after a click on the node.
  EXPECT_EQ(w.CurrentFolder(), key_a);
  EXPECT_EQ(Narrow(Text(w.txt_gai)), key_a);
  EXPECT_EQ(ItemText(w.TreeView1, TreeView_GetSelection(w.TreeView1)), L"a");
  EXPECT_EQ(Rows(w.ListView1), (RowSet{{L" q", L"a.bat"}}));
  ClickButton(w, 1);
  EXPECT_EQ(w.FilterIndex(), 1);
  EXPECT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8("環境Ａ"), L"a.jwf"}}));

  // Shift frees a registered button.
  ASSERT_NO_FATAL_FAILURE(ClickButtonWith(w, VK_SHIFT, 1));
  EXPECT_TRUE(w.favourites().buttons()[1].key.empty());
  EXPECT_EQ(w.favourites().buttons()[1].image, 0);
  EXPECT_EQ(ButtonText(w, 1), L" ");

  // A folder hidden from the tree: the button is freed after telling so,
  // and the window goes on showing the folder it lists.
  ClickButton(w, 0);  // back to a, in the batch files' tree
  ASSERT_EQ(w.FilterIndex(), 0);
  Command(w, kCmdFoldel);
  ASSERT_EQ(ItemAt(w.TreeView1, CacheLine(files / "a")), nullptr);
  const std::string shown = w.CurrentFolder();
  ClickButton(w, 0);
  told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("登録されているフォルダがありません。\r\n登録を削除します。"));
  EXPECT_TRUE(w.favourites().buttons()[0].key.empty());
  EXPECT_EQ(w.CurrentFolder(), shown);
  EXPECT_EQ(Narrow(Text(w.txt_gai)), shown);
  w.Unload();

  // The buttons are saved with the settings and come back.
  const std::vector<std::string> ini = IniLines();
  ASSERT_EQ(ini.size(), 162u);
  EXPECT_EQ(ini[36], "Tools=20");
  EXPECT_EQ(ini[37 + 2 * 6], "TOOLBUTTON----------3");
  EXPECT_EQ(ini[38 + 2 * 6], Narrow(KeyOf(wide)) + ",0");
  EXPECT_EQ(ini[39 + 2 * 6], " 0 ");
  EXPECT_EQ(ini[40 + 2 * 6], "a folder with a rather long name");
  EXPECT_EQ(ini[41 + 2 * 6], Narrow(KeyOf(wide)));
  EXPECT_EQ(ini[42 + 2 * 6], " 1 ");
  VarnikWindow again("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(again));
  EXPECT_EQ(ButtonText(again, 2), L"a folder with a rather long name");
  EXPECT_EQ(Tip(again, 2), KeyOf(wide));
  ClickButton(again, 2);
  EXPECT_EQ(again.FilterIndex(), 0);
  EXPECT_EQ(Rows(again.ListView1), (RowSet{{L" q", L"w.bat"}}));
  EXPECT_EQ(again.CurrentFolder(), Narrow(KeyOf(wide)));
  again.Unload();
}

}  // namespace
}  // namespace zel
