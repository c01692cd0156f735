#include "app/favourites_bar.h"

#include <algorithm>

#include "platform/wstr.h"

namespace zel {

namespace {

// The toolbar's pictures 1 to 3 are the three file types.
constexpr int kPictures = 7;

// The width of the label's widest line, in pixels, with its own font.
int WidestLabelLine(HWND label) {
  const int n = GetWindowTextLengthW(label);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(label, text.data(), n + 1)));
  HDC dc = GetDC(label);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  int widest = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    SIZE size{};
    if (end > start &&
        GetTextExtentPoint32W(dc, text.c_str() + start, static_cast<int>(end - start), &size))
      widest = std::max(widest, static_cast<int>(size.cx));
    start = end + 2;
  }
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return widest;
}

}  // namespace

FavouritesBar::FavouritesBar(HWND toolbar, HWND label, HIMAGELIST pictures, UINT first_command)
    : toolbar_(toolbar), label_(label), pictures_(pictures), first_command_(first_command) {
  buttons_.resize(kButtons);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures_));
  // Captions sit beside the pictures, one line each.
  SendMessageW(toolbar_, TB_SETMAXTEXTROWS, 1, 0);
  const DWORD padding = static_cast<DWORD>(SendMessageW(toolbar_, TB_GETPADDING, 0, 0));
  pad_x_ = LOWORD(padding);
  pad_y_ = HIWORD(padding);
  // Before any settings are read the first four buttons invite a
  // registration.
  for (int i = 0; i < 4; ++i) tips_[static_cast<std::size_t>(i)] = WideUtf8("[CTRL+Lクリック]で登録");

  Show();
}

// The heading's tooltip is made when the pointer first comes over the
// heading, not at every start: a tooltip is a window of its own, which
// costs Wine some sixty rounds to its server to make.
void FavouritesBar::OnPointerOverLabel() {
  if (label_tip_) return;
  label_tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(label_),
                               nullptr, nullptr, nullptr);
  if (!label_tip_) return;
  static std::wstring tip = WideUtf8("[登録:Ctrl+マウスLクリック] [解除:Shift+マウスLクリック]");
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(label_);
  info.uId = reinterpret_cast<UINT_PTR>(label_);
  info.lpszText = tip.data();
  SendMessageW(label_tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

FavouritesBar::~FavouritesBar() {
  if (label_tip_ && IsWindow(label_tip_)) DestroyWindow(label_tip_);
}

void FavouritesBar::Load(const std::vector<ToolButtonSetting>& tools) {
  for (int i = 0; i < kButtons; ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    buttons_[k] = k < tools.size() ? tools[k] : ToolButtonSetting{};
    // A free button keeps the tooltip it has from the window's design.
    if (!buttons_[k].tooltip.empty() || !buttons_[k].key.empty())
      tips_[k] = Wide(buttons_[k].tooltip);
  }
  Show();
}

RegisterResult FavouritesBar::Register(int index, const std::string& folder, int filter_index,
                                       const std::string& caption) {
  const RegisterResult r =
      RegisterFavourite(buttons_, static_cast<std::size_t>(index), folder, filter_index, caption);
  if (r == RegisterResult::kRegistered) {
    tips_[static_cast<std::size_t>(index)] = Wide(buttons_[static_cast<std::size_t>(index)].tooltip);
    Show();
  }
  return r;
}

void FavouritesBar::Free(int index) {
  if (index < 0 || index >= kButtons) return;
  FreeFavourite(buttons_[static_cast<std::size_t>(index)]);
  tips_[static_cast<std::size_t>(index)].clear();
  Show();
}

std::optional<FavouriteTarget> FavouritesBar::Target(int index) const {
  if (index < 0 || index >= kButtons) return std::nullopt;
  return TargetOf(buttons_[static_cast<std::size_t>(index)]);
}

bool FavouritesBar::OnNotify(NMHDR* hdr, LRESULT& result) {
  if (hdr->hwndFrom == toolbar_ && hdr->code == NM_CUSTOMDRAW) {
    // Common controls 6 draw every toolbar flat: a free button, without
    // picture or caption, would not be seen at all. Each button gets the
    // raised frame of a button, sunken while it is pressed.
    auto* cd = reinterpret_cast<NMTBCUSTOMDRAW*>(hdr);
    result = CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) result = CDRF_NOTIFYITEMDRAW;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) result = CDRF_NOTIFYPOSTPAINT;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) {
      RECT r = cd->nmcd.rc;
      const bool down = (cd->nmcd.uItemState & CDIS_SELECTED) != 0;
      DrawEdge(cd->nmcd.hdc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    return true;
  }
  if (hdr->code != TTN_GETDISPINFOW) return false;
  const int index = static_cast<int>(hdr->idFrom) - static_cast<int>(first_command_);
  if (index < 0 || index >= kButtons) return false;
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
  info->lpszText = const_cast<wchar_t*>(tips_[static_cast<std::size_t>(index)].c_str());
  result = 0;
  return true;
}

int FavouritesBar::ButtonWidth() const {
  return LOWORD(static_cast<DWORD>(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0)));
}

void FavouritesBar::SetPictureLoader(std::function<bool(HIMAGELIST, int)> load) {
  load_picture_ = std::move(load);
  loaded_pictures_ = 0;
}

// A start shows mostly free buttons, or buttons of one or two file types:
// only the pictures they show are loaded, each once.
void FavouritesBar::LoadShownPictures() {
  if (!pictures_ || !load_picture_) return;
  for (const ToolButtonSetting& b : buttons_) {
    if (b.image <= 0 || b.image > kPictures) continue;
    const int picture = b.image - 1;
    if (loaded_pictures_ & (1u << picture)) continue;
    loaded_pictures_ |= 1u << picture;
    load_picture_(pictures_, picture);
  }
}

void FavouritesBar::SetPictures(HIMAGELIST pictures) {
  pictures_ = pictures;
  loaded_pictures_ = 0;
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures_));
  Show();
}

void FavouritesBar::FitHeight(int available) {
  if (available == fitted_for_ || available <= 0) return;
  fitted_for_ = available;
  ApplyHeight();
}

void FavouritesBar::ApplyHeight() {
  int want = natural_height_;
  if (fitted_for_ > 0 && natural_height_ * kButtons > fitted_for_) {
    // The least a button needs: its picture or a line of its caption,
    // whichever is taller, and a pixel above and below for the frame.
    int picture = 0, unused = 0;
    if (pictures_) ImageList_GetIconSize(pictures_, &unused, &picture);
    int line = 0;
    if (HDC dc = GetDC(toolbar_)) {
      HGDIOBJ old =
          SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(toolbar_, WM_GETFONT, 0, 0)));
      TEXTMETRICW tm{};
      if (GetTextMetricsW(dc, &tm)) line = tm.tmHeight;
      SelectObject(dc, old);
      ReleaseDC(toolbar_, dc);
    }
    want = std::min(natural_height_,
                    std::max(fitted_for_ / kButtons, std::max(picture, line) + 2));
  }
  const DWORD size = static_cast<DWORD>(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0));
  if (want > 0 && HIWORD(size) != want) {
    // The toolbar keeps a button at least as tall as its picture and
    // padding.
    int picture = 0, unused = 0;
    if (pictures_) ImageList_GetIconSize(pictures_, &unused, &picture);
    SendMessageW(toolbar_, TB_SETPADDING, 0,
                 MAKELPARAM(pad_x_, std::min(pad_y_, std::max(0, want - picture))));
    SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(LOWORD(size), want));
    InvalidateRect(toolbar_, nullptr, TRUE);
  }
}

// The buttons are made anew: the toolbar measures its one button width (the
// widest caption) only when buttons are added.
void FavouritesBar::Show() {
  SendMessageW(toolbar_, WM_SETREDRAW, FALSE, 0);
  // Measured with the usual padding; a short column takes some of it back.
  SendMessageW(toolbar_, TB_SETPADDING, 0, MAKELPARAM(pad_x_, pad_y_));
  while (SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0) > 0)
    SendMessageW(toolbar_, TB_DELETEBUTTON, 0, 0);
  // The column is at least as wide as its heading, so the heading can be
  // read and the free buttons are buttons one can see and click.
  const int minimum = WidestLabelLine(label_) + 10;
  SendMessageW(toolbar_, TB_SETBUTTONWIDTH, 0, MAKELPARAM(minimum, 0x7FFF));
  LoadShownPictures();
  std::array<TBBUTTON, kButtons> tb{};
  for (int i = 0; i < kButtons; ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    const ToolButtonSetting& b = buttons_[k];
    captions_[k] = b.caption.empty() ? L" " : Wide(b.caption);
    tb[k].iBitmap = b.image > 0 && b.image <= kPictures ? b.image - 1 : I_IMAGENONE;
    tb[k].idCommand = static_cast<int>(first_command_) + i;
    tb[k].fsState = TBSTATE_ENABLED | TBSTATE_WRAP;
    tb[k].fsStyle = BTNS_BUTTON;
    tb[k].iString = reinterpret_cast<INT_PTR>(captions_[k].c_str());
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, tb.size(), reinterpret_cast<LPARAM>(tb.data()));
  natural_height_ =
      HIWORD(static_cast<DWORD>(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0)));
  ApplyHeight();
  SendMessageW(toolbar_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(toolbar_, nullptr, TRUE);
}

}  // namespace zel
