// An image list's picture as the screen would show it: drawn over a
// square of one colour, pixel by pixel.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

namespace zel::test {

// Empty when the list has no pictures or nothing could be drawn.
inline std::vector<std::uint32_t> DrawnPixels(HIMAGELIST list, int index,
                                              std::uint32_t background) {
  int cx = 0, cy = 0;
  if (!ImageList_GetIconSize(list, &cx, &cy)) return {};
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = cx;
  bi.bmiHeader.biHeight = -cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) {
    DeleteDC(dc);
    return {};
  }
  HGDIOBJ old = SelectObject(dc, dib);
  auto* px = static_cast<std::uint32_t*>(bits);
  for (int i = 0; i < cx * cy; ++i) px[i] = background;
  ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT);
  GdiFlush();
  std::vector<std::uint32_t> out(px, px + cx * cy);
  SelectObject(dc, old);
  DeleteObject(dib);
  DeleteDC(dc);
  return out;
}

}  // namespace zel::test
