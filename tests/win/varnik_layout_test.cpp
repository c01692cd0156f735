// The panes of the real main window moved with real mouse messages, in
// windows too small for them, minimised, maximised and at other DPIs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/units.h"
#include "tests/win/varnik_fixture.h"

namespace zel {
namespace {

using namespace test;

// A control's rectangle in the client coordinates of the main window.
RECT RectIn(const VarnikWindow& w, HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Mouse(HWND h, UINT msg, int x, int y) {
  SendMessageW(h, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
               MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

// A point of the main window's client area in the client coordinates of h.
POINT From(const VarnikWindow& w, HWND h, POINT p) {
  MapWindowPoints(w.hwnd(), h, &p, 1);
  return p;
}

double ButtonWidthTwips(const VarnikWindow& w) {
  const DWORD size = static_cast<DWORD>(SendMessageW(w.Toolbar1, TB_GETBUTTONSIZE, 0, 0));
  return PixelsToTwips(LOWORD(size), w.dpi());
}

std::vector<RECT> PaneRects(const VarnikWindow& w) {
  std::vector<RECT> rects;
  for (HWND h : {w.Frame2, w.Frame3, w.TreeView1, w.ListView1, w.Text1, w.drvList})
    rects.push_back(RectIn(w, h));
  return rects;
}

void ExpectSameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].left, b[i].left) << "pane " << i;
    EXPECT_EQ(a[i].top, b[i].top) << "pane " << i;
    EXPECT_EQ(a[i].right, b[i].right) << "pane " << i;
    EXPECT_EQ(a[i].bottom, b[i].bottom) << "pane " << i;
  }
}

TEST_F(VarnikWindowTest, DividerFollowsThePointerSnapsNearTheToolbarAndIsSavedWhole) {
  WriteIni(Prepared());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const RECT d0 = RectIn(w, w.Frame2), list0 = RectIn(w, w.ListView1), tree0 = RectIn(w, w.TreeView1);

  // Held and moved: the divider's left edge goes to the pointer (63 pixels
  // into the divider, then 33), and the panes beside it follow at every
  // move.
  Mouse(w.Frame2, WM_LBUTTONDOWN, 3, 20);
  Mouse(w.Frame2, WM_MOUSEMOVE, 63, 20);
  EXPECT_NEAR(RectIn(w, w.Frame2).left, d0.left + 63, 1);
  EXPECT_NEAR(RectIn(w, w.ListView1).left, list0.left + 63, 1);
  EXPECT_NEAR(RectIn(w, w.TreeView1).right, tree0.right + 63, 1);
  Mouse(w.Frame2, WM_MOUSEMOVE, 33, 20);
  Mouse(w.Frame2, WM_LBUTTONUP, 33, 20);
  EXPECT_NEAR(RectIn(w, w.Frame2).left, d0.left + 96, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  const float moved = w.settings().Frame2left;
  EXPECT_EQ(moved, std::round(moved));
  EXPECT_NEAR(moved, 2790 + PixelsToTwips(96, w.dpi()), 15);

  // Released within 2000 twips of the toolbar: the left column collapses to
  // the toolbar's width + 2, the toolbar being one twip wider than its
  // buttons.
  const int toward_toolbar = RectIn(w, w.Frame2).left - TwipsToPixels(ButtonWidthTwips(w) + 1500, w.dpi());
  Mouse(w.Frame2, WM_LBUTTONDOWN, 3, 20);
  Mouse(w.Frame2, WM_MOUSEMOVE, 3 - toward_toolbar, 20);
  Mouse(w.Frame2, WM_LBUTTONUP, 3, 20);
  const double collapsed = std::nearbyint(ButtonWidthTwips(w) + 3);
  EXPECT_EQ(w.settings().Frame2left, collapsed);
  EXPECT_NEAR(RectIn(w, w.Frame2).left, TwipsToPixels(collapsed, w.dpi()), 1);
  EXPECT_LE(RectIn(w, w.TreeView1).right - RectIn(w, w.TreeView1).left, 1);
  w.Unload();
  const std::vector<std::string> lines = IniLines();
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[28], "Frame2left=" + FormatSingle(static_cast<float>(collapsed)));
}

TEST_F(VarnikWindowTest, CommentAreaIsDraggedAsAnOutlineAndDroppedOnTheTreeOrTheList) {
  Write(files, "run.bat", Batch("外変"));
  WriteIni(Prepared());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_FALSE(w.settings().TextPosL);
  RECT area0;
  GetWindowRect(w.Frame3, &area0);

  // Taken by its top strip: an outline of its size follows the pointer.
  Mouse(w.Frame3, WM_LBUTTONDOWN, 40, 1);
  const HWND outline = w.pane_drag()->outline();
  ASSERT_NE(outline, nullptr);
  EXPECT_TRUE(Visible(outline));
  const RECT tree = RectIn(w, w.TreeView1);
  const POINT on_tree{(tree.left + tree.right) / 2, tree.top + 60};
  const POINT at = From(w, w.Frame3, on_tree);
  Mouse(w.Frame3, WM_MOUSEMOVE, at.x, at.y);
  RECT o;
  GetWindowRect(outline, &o);
  POINT screen = on_tree;
  ClientToScreen(w.hwnd(), &screen);
  EXPECT_EQ(o.left, screen.x - 40);
  EXPECT_EQ(o.top, screen.y - 1);
  EXPECT_EQ(o.right - o.left, area0.right - area0.left);
  EXPECT_EQ(o.bottom - o.top, area0.bottom - area0.top);

  // Dropped on the tree: the left column, its top at the drop height.
  Mouse(w.Frame3, WM_LBUTTONUP, at.x, at.y);
  EXPECT_FALSE(Visible(outline));
  EXPECT_TRUE(w.settings().TextPosL);
  RECT area = RectIn(w, w.Frame3);
  EXPECT_NEAR(area.left, TwipsToPixels(ButtonWidthTwips(w), w.dpi()), 1);
  EXPECT_NEAR(area.top, on_tree.y, 1);
  EXPECT_NEAR(RectIn(w, w.TreeView1).bottom, area.top - TwipsToPixels(70, w.dpi()), 1);
  EXPECT_EQ(RectIn(w, w.Text1).left, area.left);
  EXPECT_NEAR(w.settings().Frame3Top, PixelsToTwips(on_tree.y, w.dpi()), 15);

  // Esc while it is dragged ends the drag and nothing moves; the window
  // is not closed by it.
  Mouse(w.Frame3, WM_LBUTTONDOWN, 40, 1);
  MSG esc{w.ListView1, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_TRUE(w.PreTranslate(esc));
  EXPECT_FALSE(Visible(outline));
  const RECT list = RectIn(w, w.ListView1);
  const POINT on_list{(list.left + list.right) / 2, list.top + 120};
  POINT l = From(w, w.Frame3, on_list);
  Mouse(w.Frame3, WM_LBUTTONUP, l.x, l.y);
  EXPECT_TRUE(w.alive());
  EXPECT_TRUE(w.settings().TextPosL);
  EXPECT_EQ(RectIn(w, w.Frame3).top, area.top);

  // Dropped on the list: back to the right column.
  Mouse(w.Frame3, WM_LBUTTONDOWN, 40, 1);
  l = From(w, w.Frame3, on_list);
  Mouse(w.Frame3, WM_MOUSEMOVE, l.x, l.y);
  Mouse(w.Frame3, WM_LBUTTONUP, l.x, l.y);
  EXPECT_FALSE(w.settings().TextPosL);
  area = RectIn(w, w.Frame3);
  EXPECT_EQ(area.left, RectIn(w, w.ListView1).left);
  EXPECT_NEAR(area.top, on_list.y, 1);
  w.Unload();
  const std::vector<std::string> lines = IniLines();
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[30], "TextPosL=False");
  float top = 0;
  ASSERT_TRUE(ParseSingle(lines[29].substr(10), top));
  EXPECT_EQ(top, std::round(top));
  EXPECT_NEAR(top, PixelsToTwips(on_list.y, w.dpi()), 15);
}

// Client size of the window in pixels.
SIZE ClientSize(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return {r.right, r.bottom};
}

void SetClientSize(HWND h, int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)), GetMenu(h) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE)));
  SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

TEST_F(VarnikWindowTest, SmallAndMinimisedWindowsKeepEveryPaneInsideAndTheLayoutComesBack) {
  WriteIni(Prepared());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const SIZE normal = ClientSize(w.hwnd());
  const std::vector<RECT> before = PaneRects(w);

  // Narrower than the toolbar and the list's 2000 twips, and shorter than
  // the top strip and the comment area: the list still ends at the right
  // edge and starts inside the window, and the saved positions stay.
  const int dpi = w.dpi();
  for (const SIZE small : {SIZE{TwipsToPixels(2500, dpi), TwipsToPixels(2400, dpi)},
                           SIZE{TwipsToPixels(1500, dpi), TwipsToPixels(1300, dpi)}}) {
    SetClientSize(w.hwnd(), small.cx, small.cy);
    const SIZE got = ClientSize(w.hwnd());
    SCOPED_TRACE(testing::Message() << got.cx << " x " << got.cy);
    const RECT list = RectIn(w, w.ListView1);
    EXPECT_GE(list.left, 0);
    EXPECT_LT(list.left, got.cx);
    EXPECT_NEAR(list.right, got.cx, 1);
    const RECT divider = RectIn(w, w.Frame2);
    EXPECT_GE(divider.left, 0);
    EXPECT_LE(divider.right, list.left + 1);
    EXPECT_EQ(w.settings().Frame2left, 2790.0f);
    EXPECT_EQ(w.settings().Frame3Top, 3120.0f);
  }
  SetClientSize(w.hwnd(), normal.cx, normal.cy);
  ExpectSameRects(PaneRects(w), before);

  // Minimised and restored: the same layout.
  ShowWindow(w.hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(w.hwnd()) != 0; }));
  ShowWindow(w.hwnd(), SW_RESTORE);
  ASSERT_TRUE(WaitFor([&] { return !IsIconic(w.hwnd()); }));
  ExpectSameRects(PaneRects(w), before);
  EXPECT_EQ(w.settings().Frame2left, 2790.0f);
  EXPECT_EQ(w.settings().Frame3Top, 3120.0f);
  w.Unload();
}

int FontHeightOf(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf.lfHeight;
}

TEST_F(VarnikWindowTest, MovedToAMonitorOfAnotherDpiTheWindowKeepsItsLayoutInTwips) {
  Settings s = Prepared();
  // Small enough to fit the screen at twice the DPI.
  s.Width = 9000;
  s.Height = 6600;
  s.Treefont = {"Tahoma", 11.25, false, false};
  s.ListFont = {"Tahoma", 9, true, false};
  WriteIni(s);
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  for (int dpi : {120, 144, 192, 96}) {
    SCOPED_TRACE(dpi);
    RECT r;
    GetWindowRect(w.hwnd(), &r);
    const int old = w.dpi();
    RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, old),
                   r.top + MulDiv(r.bottom - r.top, dpi, old)};
    SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(w.dpi(), dpi);
    GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, suggested.right - suggested.left);
    // The top strip at its design places, the panes where the settings put
    // them, the columns as wide as before.
    EXPECT_NEAR(RectIn(w, w.txt_gai).left, TwipsToPixels(1620, dpi), 1);
    EXPECT_NEAR(RectIn(w, w.txt_gai).top, TwipsToPixels(90, dpi), 1);
    EXPECT_NEAR(RectIn(w, w.Command1).left, TwipsToPixels(5200, dpi), 1);
    EXPECT_NEAR(RectIn(w, w.Frame2).left, TwipsToPixels(2790, dpi), 1);
    EXPECT_NEAR(RectIn(w, w.ListView1).top, TwipsToPixels(1155, dpi), 1);
    EXPECT_NEAR(RectIn(w, w.TreeView1).top, TwipsToPixels(1470, dpi), 1);
    EXPECT_NEAR(ListView_GetColumnWidth(w.ListView1, 0), TwipsToPixels(2600, dpi), 2);
    // Fonts in points and pictures at the new DPI.
    EXPECT_EQ(FontHeightOf(w.TreeView1), FontHeightForPoints(11.25, dpi));
    EXPECT_EQ(FontHeightOf(w.ListView1), FontHeightForPoints(9, dpi));
    HIMAGELIST pictures =
        reinterpret_cast<HIMAGELIST>(SendMessageW(w.Toolbar1, TB_GETIMAGELIST, 0, 0));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(pictures, &cx, &cy));
    EXPECT_EQ(cx, GetSystemMetricsForDpi(SM_CXSMICON, dpi));
    EXPECT_EQ(w.settings().Frame2left, 2790.0f);
    EXPECT_EQ(w.settings().Frame3Top, 3120.0f);
  }
  w.Unload();
  const std::vector<std::string> lines = IniLines();
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[28], "Frame2left=2790");
  // The width as it came back to the pixels of 96 dots per inch.
  EXPECT_EQ(lines[24], "ColumnHead1W=" + FormatSingle(static_cast<float>(
                                             std::round(PixelsToTwips(TwipsToPixels(2600, 96), 96)))));
}

TEST_F(VarnikWindowTest, AWindowClosedMaximisedOrMinimisedRestoresToItsSavedPlace) {
  for (std::int16_t state : {2, 1}) {
    SCOPED_TRACE(state);
    Settings s = Prepared();
    s.win = state;
    WriteIni(s);
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_TRUE(WaitFor([&] { return (state == 2 ? IsZoomed(w.hwnd()) : IsIconic(w.hwnd())) != 0; }));
    ShowWindow(w.hwnd(), SW_RESTORE);
    ASSERT_TRUE(WaitFor([&] { return !IsZoomed(w.hwnd()) && !IsIconic(w.hwnd()); }));
    const int dpi = w.dpi();
    RECT r;
    GetWindowRect(w.hwnd(), &r);
    EXPECT_NEAR(r.left, TwipsToPixels(1500, dpi), 1);
    EXPECT_NEAR(r.top, TwipsToPixels(1200, dpi), 1);
    EXPECT_NEAR(r.right - r.left, TwipsToPixels(12000, dpi), 1);
    EXPECT_NEAR(r.bottom - r.top, TwipsToPixels(9000, dpi), 1);
    w.Unload();
  }
}

}  // namespace
}  // namespace zel
