#include "platform/icon_pictures.h"

#include <cstdint>
#include <cstring>

#include "platform/handles.h"

namespace zel {

namespace {

// The entries of a RT_GROUP_ICON resource, as the resource compiler lays
// them out (packed; the last field names the RT_ICON resource).
#pragma pack(push, 2)
struct GroupIconHeader {
  WORD reserved, type, count;
};
struct GroupIconEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

struct ObjectTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
using UniqueObject = UniqueHandle<HGDIOBJ, ObjectTraits>;

// The bytes of a resource; empty when the module has none of that name.
const BYTE* ResourceBytes(HINSTANCE instance, const wchar_t* name, const wchar_t* type,
                          DWORD& size) {
  HRSRC found = FindResourceW(instance, name, type);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(instance, found);
  size = SizeofResource(instance, found);
  return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

// The RT_ICON image of the group `id` that is 32-bit and exactly `size`
// pixels square, as its BITMAPINFOHEADER with the colour and mask bits
// after it; null when the group has none.
const BITMAPINFOHEADER* ExactImage(HINSTANCE instance, int id, int size, DWORD& bytes) {
  DWORD group_size = 0;
  const BYTE* group =
      ResourceBytes(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */,
                    group_size);
  if (!group || group_size < sizeof(GroupIconHeader)) return nullptr;
  GroupIconHeader header;
  std::memcpy(&header, group, sizeof header);
  for (WORD i = 0; i < header.count; ++i) {
    const std::size_t at = sizeof header + i * sizeof(GroupIconEntry);
    if (at + sizeof(GroupIconEntry) > group_size) break;
    GroupIconEntry entry;
    std::memcpy(&entry, group + at, sizeof entry);
    const int w = entry.width ? entry.width : 256, h = entry.height ? entry.height : 256;
    if (w != size || h != size || entry.bit_count != 32) continue;
    const BYTE* image =
        ResourceBytes(instance, MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3) /* RT_ICON */,
                      bytes);
    if (!image || bytes < sizeof(BITMAPINFOHEADER)) return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(image);
    // A PNG image, another depth or a compressed one goes the long way.
    const std::size_t colour = static_cast<std::size_t>(size) * size * 4;
    const std::size_t mask = static_cast<std::size_t>((size + 31) / 32) * 4 * size;
    if (info->biSize < sizeof(BITMAPINFOHEADER) || info->biWidth != size ||
        info->biHeight != 2 * size || info->biBitCount != 32 || info->biCompression != BI_RGB ||
        info->biClrUsed != 0 || bytes < info->biSize + colour + mask)
      return nullptr;
    return info;
  }
  return nullptr;
}

// A bottom-up DIB section of `size` x `size` pixels at `depth` bits,
// filled with `bits` (rows as an icon keeps them: bottom-up, each padded
// to four bytes).
HBITMAP MakeDib(int size, WORD depth, const BYTE* bits, std::size_t count) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = size;
  info.header.biHeight = size;
  info.header.biPlanes = 1;
  info.header.biBitCount = depth;
  info.header.biCompression = BI_RGB;
  info.colours[1] = {255, 255, 255, 0};
  void* pixels = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                 &pixels, nullptr, 0);
  if (dib && pixels) std::memcpy(pixels, bits, count);
  return dib;
}

bool PutPicture(HIMAGELIST list, int index, HBITMAP colour, HBITMAP mask) {
  if (index < 0) return ImageList_Add(list, colour, mask) >= 0;
  return ImageList_Replace(list, index, colour, mask) != FALSE;
}

}  // namespace

bool PutIconPicture(HIMAGELIST list, int index, HINSTANCE instance, int id, int size) {
  if (!list || size <= 0) return false;
  DWORD bytes = 0;
  if (const BITMAPINFOHEADER* image = ExactImage(instance, id, size, bytes)) {
    const BYTE* colour_bits = reinterpret_cast<const BYTE*>(image) + image->biSize;
    const std::size_t colour_count = static_cast<std::size_t>(size) * size * 4;
    const std::size_t mask_count = static_cast<std::size_t>((size + 31) / 32) * 4 * size;
    UniqueObject colour(MakeDib(size, 32, colour_bits, colour_count));
    UniqueObject mask(MakeDib(size, 1, colour_bits + colour_count, mask_count));
    if (colour && mask &&
        PutPicture(list, index, static_cast<HBITMAP>(colour.get()), static_cast<HBITMAP>(mask.get())))
      return true;
  }
  UniqueIcon icon(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (!icon) return false;
  return ImageList_ReplaceIcon(list, index, icon.get()) >= 0;
}

}  // namespace zel
