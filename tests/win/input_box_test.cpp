// The real input box, shown in this process and driven as a person would:
// read what it shows, type, press a button or a key.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/ui_service.h"
#include "platform/wstr.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

using namespace test;

// The input box of this thread: a "#32770" dialog with the field.
HWND FindInputBox() {
  struct S {
    HWND found;
  } s{nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) -> BOOL {
        wchar_t cls[16] = L"";
        GetClassNameW(h, cls, 16);
        if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(h) ||
            !GetDlgItem(h, kInputBoxFieldId))
          return TRUE;
        reinterpret_cast<S*>(lp)->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// What the box showed when the driver found it.
struct Seen {
  std::wstring caption, prompt, field;
  int height = 0;
  bool field_has_focus = false;
  DWORD selection = 0;  // EM_GETSEL: start in the low word, end in the high
};

// Runs `act` on the input box once it is shown, from a timer of this
// thread, so the box's own modal loop dispatches it. Gives up (closing the
// box) after 20 s so a broken box cannot hang the test program.
class BoxDriver {
 public:
  explicit BoxDriver(std::function<void(HWND)> act) : act_(std::move(act)) {
    current_ = this;
    started_ = GetTickCount64();
    timer_ = SetTimer(nullptr, 0, 30, &BoxDriver::Tick);
  }
  ~BoxDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  const Seen& seen() const { return seen_; }
  bool acted() const { return acted_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    BoxDriver* d = current_;
    if (!d || d->acted_) return;
    HWND box = FindInputBox();
    if (!box) {
      if (GetTickCount64() - d->started_ > 20000) d->acted_ = true;
      return;
    }
    d->acted_ = true;
    HWND field = GetDlgItem(box, kInputBoxFieldId);
    d->seen_.caption = WindowText(box);
    d->seen_.prompt = MessageBoxText(box);
    d->seen_.field = WindowText(field);
    RECT r{};
    GetWindowRect(box, &r);
    d->seen_.height = r.bottom - r.top;
    d->seen_.field_has_focus = GetFocus() == field;
    d->seen_.selection = static_cast<DWORD>(SendMessageW(field, EM_GETSEL, 0, 0));
    d->act_(box);
  }

  static inline BoxDriver* current_ = nullptr;
  std::function<void(HWND)> act_;
  UINT_PTR timer_ = 0;
  ULONGLONG started_ = 0;
  bool acted_ = false;
  Seen seen_;
};

void Type(HWND box, const std::wstring& text) {
  SendMessageW(GetDlgItem(box, kInputBoxFieldId), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
}

void Press(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

TEST(InputBox, ShowsPromptAndDefaultAndGivesBackWhatWasTyped) {
  const std::wstring prompt = WideUtf8("C:\\JWW\\表示.jwf　にコメントを挿入します。\r\n"
                                       "環境設定ファイルのタイトルを入力してください。");
  BoxDriver driver([](HWND box) {
    Type(box, WideUtf8("新しい題 ソ表"));
    Press(box, IDOK);
  });
  const std::optional<std::wstring> answer =
      ShowInputBox(nullptr, prompt, WideUtf8("題の入力"), WideUtf8("古い題"));
  ASSERT_TRUE(driver.acted());
  EXPECT_EQ(driver.seen().caption, WideUtf8("題の入力"));
  EXPECT_EQ(driver.seen().prompt, prompt);
  EXPECT_EQ(driver.seen().field, WideUtf8("古い題"));
  // The default is selected in the focused field, so typing replaces it.
  EXPECT_TRUE(driver.seen().field_has_focus);
  EXPECT_EQ(LOWORD(driver.seen().selection), 0);
  EXPECT_EQ(HIWORD(driver.seen().selection), 3);
  ASSERT_TRUE(answer);
  EXPECT_EQ(*answer, WideUtf8("新しい題 ソ表"));
  EXPECT_EQ(FindInputBox(), nullptr);
}

TEST(InputBox, CancelCloseAndEmptyOk) {
  {
    BoxDriver driver([](HWND box) {
      Type(box, L"typed");
      Press(box, IDCANCEL);
    });
    EXPECT_FALSE(ShowInputBox(nullptr, L"p", L"t", L"d"));
    EXPECT_TRUE(driver.acted());
  }
  {
    BoxDriver driver([](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); });
    EXPECT_FALSE(ShowInputBox(nullptr, L"p", L"t"));
    EXPECT_TRUE(driver.acted());
  }
  {
    // OK on an empty field is an answer: the empty text, not a cancel.
    BoxDriver driver([](HWND box) {
      EXPECT_EQ(WindowText(GetDlgItem(box, kInputBoxFieldId)), L"");
      Press(box, IDOK);
    });
    const std::optional<std::wstring> answer = ShowInputBox(nullptr, L"p", L"t");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, L"");
  }
  {
    // Enter in the field is OK, Esc is Cancel.
    BoxDriver driver([](HWND box) {
      HWND field = GetDlgItem(box, kInputBoxFieldId);
      PostMessageW(field, WM_KEYDOWN, VK_RETURN, 1);
      PostMessageW(field, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    });
    const std::optional<std::wstring> answer = ShowInputBox(nullptr, L"p", L"t", L"keep");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, L"keep");
  }
  {
    BoxDriver driver([](HWND box) {
      HWND field = GetDlgItem(box, kInputBoxFieldId);
      PostMessageW(field, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageW(field, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
    });
    EXPECT_FALSE(ShowInputBox(nullptr, L"p", L"t", L"keep"));
  }
}

TEST(InputBox, ALongPromptMakesTheBoxTaller) {
  int short_height = 0, long_height = 0;
  {
    BoxDriver driver([](HWND box) { Press(box, IDCANCEL); });
    ShowInputBox(nullptr, L"one line", L"t");
    short_height = driver.seen().height;
  }
  std::wstring many;
  for (int i = 0; i < 12; ++i) many += WideUtf8("行") + std::to_wstring(i) + L"\r\n";
  {
    BoxDriver driver([](HWND box) { Press(box, IDCANCEL); });
    ShowInputBox(nullptr, many, L"t");
    long_height = driver.seen().height;
    EXPECT_EQ(driver.seen().prompt, many);
  }
  EXPECT_GT(short_height, 0);
  EXPECT_GT(long_height, short_height);
}

TEST(InputBox, TestsCanAnswerWithoutTheBox) {
  std::vector<InputRequest> asked;
  SetInputAnswerer([&](const InputRequest& r) -> std::optional<std::wstring> {
    asked.push_back(r);
    return L"answer";
  });
  const std::optional<std::wstring> answer = ShowInputBox(nullptr, L"p", L"t", L"d");
  SetInputAnswerer(nullptr);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].prompt, L"p");
  EXPECT_EQ(asked[0].title, L"t");
  EXPECT_EQ(asked[0].default_text, L"d");
  EXPECT_EQ(answer, std::optional<std::wstring>(L"answer"));
}

}  // namespace
}  // namespace zel
