// The font chooser over the real font dialog of the platform, which a timer
// answers from inside its own message loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "core/text.h"
#include "core/units.h"
#include "options/common_dlg.h"
#include "platform/handles.h"
#include "platform/wstr.h"
#include "tests/win/font_dialog_driver.h"
#include "tests/win/modal_driver.h"

namespace zel {
namespace {

using test::NextDialog;
using test::SomeFace;

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

class FontChooserTest : public ::testing::Test {
 protected:
  HWND owner = nullptr;
  std::wstring face = SomeFace();
  void SetUp() override {
    ASSERT_FALSE(face.empty()) << "no TrueType font installed";
    owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                            200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
  }
  void TearDown() override { DestroyWindow(owner); }
};

TEST_F(FontChooserTest, TheOwnersFontPresetsAndTheChoiceComesBackInPoints) {
  // The owner's own font is taken when it is set as the dialog's owner.
  LOGFONTW lf{};
  lf.lfHeight = -PointsToLogHeight(12, ScreenDpi());
  lf.lfWeight = FW_BOLD;
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  UniqueFont font(CreateFontIndirectW(&lf));
  SendMessageW(owner, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  cCommonDlg dlg;
  dlg.SetForm(owner);
  EXPECT_EQ(dlg.FontName(), Narrow(face));
  EXPECT_EQ(dlg.FontSize(), 12);
  EXPECT_TRUE(dlg.FontBold());
  EXPECT_FALSE(dlg.FontItalic());

  // Preset, confirmed unchanged: the same font comes back.
  dlg.SetFontSize(9);
  dlg.SetFontBold(false);
  dlg.SetFontItalic(true);
  dlg.SetFlags(CF_SCREENFONTS | CF_LIMITSIZE);
  dlg.SetMin(8);
  dlg.SetMax(24);
  {
    NextDialog ok([](HWND d) { PostMessageW(d, WM_COMMAND, IDOK, 0); });
    dlg.ShowFont();
    EXPECT_TRUE(ok.acted());
  }
  EXPECT_FALSE(dlg.CancelButton());
  EXPECT_EQ(dlg.ErrNumber(), 0);
  EXPECT_EQ(dlg.FontName(), Narrow(face));
  EXPECT_EQ(dlg.FontSize(), 9);
  EXPECT_FALSE(dlg.FontBold());
  EXPECT_TRUE(dlg.FontItalic());
}

TEST_F(FontChooserTest, CancelAndFailureClearTheFontAndSayWhy) {
  cCommonDlg dlg;
  dlg.SetForm(owner);
  dlg.SetFontName(Narrow(face));
  dlg.SetFontSize(10);
  dlg.SetFontBold(true);
  dlg.SetFontUnderline(true);
  dlg.SetFlags(CF_SCREENFONTS);
  {
    // Shown through the action that shows it.
    NextDialog cancel([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    dlg.SetAction(cCommonDlg::kActionShowFont);
    EXPECT_TRUE(cancel.acted());
  }
  EXPECT_EQ(dlg.Action(), 4);
  EXPECT_TRUE(dlg.CancelButton());
  EXPECT_EQ(dlg.ErrNumber(), 0);
  EXPECT_EQ(dlg.FontName(), "");
  EXPECT_EQ(dlg.FontSize(), 0);
  EXPECT_FALSE(dlg.FontBold());
  EXPECT_FALSE(dlg.FontUnderline());

  // A dialog that cannot open (a template asked for and none given):
  // reported through CancelButton and the error number, never raised.
  dlg.SetFontName(Narrow(face));
  dlg.SetFontSize(10);
  dlg.SetCancelError(true);
  dlg.SetFlags(CF_SCREENFONTS | CF_ENABLETEMPLATE);
  dlg.ShowFont();
  EXPECT_TRUE(dlg.CancelButton());
  EXPECT_NE(dlg.ErrNumber(), 0);
  EXPECT_EQ(dlg.FontName(), "");
  EXPECT_EQ(dlg.FontSize(), 0);
  EXPECT_EQ(dlg.ErrDescription(), J("未知のｴﾗｰです。")) << dlg.ErrNumber();
}

TEST(CommonDlgProperties, FilterAndDefaults) {
  using namespace std::string_literals;
  cCommonDlg dlg;
  EXPECT_EQ(dlg.Filter(), "All Files (*.*)\0*.*\0"s);
  EXPECT_EQ(dlg.FilterForDialog(), "All Files (*.*)\0*.*\0"s);
  dlg.SetFilter(J("バッチ|*.bat"));
  EXPECT_EQ(dlg.Filter(), J("バッチ|*.bat"));
  EXPECT_EQ(dlg.FilterForDialog(), J("バッチ") + "\0*.bat\0"s);
  EXPECT_EQ(dlg.FontSize(), 0);
  EXPECT_FALSE(dlg.CancelButton());
  EXPECT_EQ(dlg.Min(), 0);
  EXPECT_EQ(dlg.Max(), 0);
  dlg.SetAction(2);  // only kept
  EXPECT_EQ(dlg.Action(), 2);
}

}  // namespace
}  // namespace zel
