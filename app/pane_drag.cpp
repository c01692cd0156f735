#include "app/pane_drag.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace zel {

namespace {

constexpr UINT_PTR kSubclassId = 0x5A44;  // one subclass of ours per window
constexpr wchar_t kOutlineClass[] = L"ZelvantoDragOutline";

void RegisterOutlineClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_WINDOWTEXT);
  wc.lpszClassName = kOutlineClass;
  done = RegisterClassExW(&wc) != 0;
}

// The rectangle of a window in the client coordinates of its parent.
RECT RectInParent(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

PaneDrag::PaneDrag(Host host) : host_(std::move(host)) {
  SetWindowSubclass(host_.divider, &PaneDrag::DividerProc, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(host_.comment_area, &PaneDrag::AreaProc, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
}

PaneDrag::~PaneDrag() {
  if (IsWindow(host_.divider)) RemoveWindowSubclass(host_.divider, &PaneDrag::DividerProc, kSubclassId);
  if (IsWindow(host_.comment_area))
    RemoveWindowSubclass(host_.comment_area, &PaneDrag::AreaProc, kSubclassId);
  if (outline_ && IsWindow(outline_)) DestroyWindow(outline_);
}

LRESULT CALLBACK PaneDrag::DividerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR self) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(h, &PaneDrag::DividerProc, kSubclassId);
    return DefSubclassProc(h, msg, wp, lp);
  }
  return reinterpret_cast<PaneDrag*>(self)->OnDivider(h, msg, wp, lp);
}

LRESULT CALLBACK PaneDrag::AreaProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR self) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(h, &PaneDrag::AreaProc, kSubclassId);
    return DefSubclassProc(h, msg, wp, lp);
  }
  return reinterpret_cast<PaneDrag*>(self)->OnArea(h, msg, wp, lp);
}

// The divider: its left edge follows the pointer while the button is held.
LRESULT PaneDrag::OnDivider(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      divider_drag_ = true;
      SetCapture(h);
      return 0;
    case WM_MOUSEMOVE:
      if (divider_drag_) MoveDivider(GET_X_LPARAM(lp));
      return 0;
    case WM_LBUTTONUP:
      if (divider_drag_) {
        ReleaseDivider();
        if (GetCapture() == h) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Capture taken away (another window came forward): the drag ends
      // where the divider is, as a release there would.
      if (divider_drag_) ReleaseDivider();
      return 0;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

void PaneDrag::MoveDivider(int x) {
  if (x == 0) return;
  PanePlace p = host_.place();
  p.L += host_.to_twips(x);
  host_.arrange(p);
  // Shown at once, not when the pointer rests.
  RedrawWindow(host_.main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void PaneDrag::ReleaseDivider() {
  divider_drag_ = false;
  PanePlace p = host_.place();
  // The toolbar is one twip wider than its buttons.
  p.L = DividerAfterRelease(p.L, host_.button_width() + 1);
  host_.arrange(p);
}

// The comment area: taken by its strips (the comment box lies over the
// rest), shown as an outline while it moves, dropped where it is released.
LRESULT PaneDrag::OnArea(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == h && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN: {
      area_drag_ = true;
      grab_ = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      SetCapture(h);
      POINT at = grab_;
      ClientToScreen(h, &at);
      ShowOutline(at);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (area_drag_) {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(h, &at);
        ShowOutline(at);
      }
      return 0;
    case WM_LBUTTONUP:
      if (area_drag_) {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(h, &at);
        EndAreaDrag();
        DropArea(at);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (area_drag_) EndAreaDrag();  // taken away: no drop
      return 0;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

bool PaneDrag::Cancel() {
  if (!area_drag_) return false;
  EndAreaDrag();
  return true;
}

void PaneDrag::EndAreaDrag() {
  area_drag_ = false;
  if (outline_) ShowWindow(outline_, SW_HIDE);
  if (GetCapture() == host_.comment_area) ReleaseCapture();
}

// A frame of the comment area's size, its corner where the pointer holds it.
void PaneDrag::ShowOutline(POINT screen) {
  RECT area;
  GetWindowRect(host_.comment_area, &area);
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (!outline_) {
    RegisterOutlineClass();
    outline_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE |
                                   WS_EX_TRANSPARENT,
                               kOutlineClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!outline_) return;
  }
  RECT now;
  GetWindowRect(outline_, &now);
  if (now.right - now.left != w || now.bottom - now.top != h) {
    // Only the border shows: the window is cut to a frame two pixels wide.
    HRGN frame = CreateRectRgn(0, 0, w, h);
    HRGN inside = CreateRectRgn(2, 2, std::max(2, w - 2), std::max(2, h - 2));
    CombineRgn(frame, frame, inside, RGN_DIFF);
    DeleteObject(inside);
    SetWindowPos(outline_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowRgn(outline_, frame, TRUE);  // the window owns the region now
  }
  SetWindowPos(outline_, HWND_TOPMOST, screen.x - grab_.x, screen.y - grab_.y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void PaneDrag::DropArea(POINT screen) {
  struct Target {
    HWND h;
    DropTarget target;
  };
  // The comment box lies over the comment area, so it is looked at first.
  const Target targets[] = {{host_.comment_box, DropTarget::kCommentBox},
                            {host_.list, DropTarget::kList},
                            {host_.tree, DropTarget::kTree}};
  for (const Target& t : targets) {
    RECT r;
    if (!IsWindowVisible(t.h) || !GetWindowRect(t.h, &r) || !PtInRect(&r, screen)) continue;
    const RECT in_main = RectInParent(t.h);
    const PanePlace p =
        DropPane(host_.place(), DragSource::kCommentArea, t.target, host_.to_twips(in_main.left),
                 host_.to_twips(in_main.top), host_.to_twips(screen.x - r.left),
                 host_.to_twips(screen.y - r.top), host_.button_width());
    host_.arrange(p);
    return;
  }
  // Anywhere else the drop is ignored.
}

}  // namespace zel
