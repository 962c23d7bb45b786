// Checking image resources before the system reads them.

#include "package/kestrix/kestrix_image.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

#include "package/res/res_reader.h"

namespace kestrix {
namespace {

constexpr LONG kMaxSide = 16384;
constexpr BYTE kPngSignature[] = {0x89, 'P', 'N', 'G'};

bool Refuse(std::wstring* reason, const wchar_t* why) {
  *reason = why;
  return false;
}

// Checks a device-independent bitmap (header, colour table, pixels) that
// holds `rows` rows of pixels and `maskRows` rows of a 1-bit mask after them.
bool CheckDib(const BYTE* data, size_t size, bool icon, Image* image, std::wstring* reason) {
  if (size < sizeof(BITMAPINFOHEADER)) return Refuse(reason, L"the image is shorter than its header");
  BITMAPINFOHEADER header;
  memcpy(&header, data, sizeof header);
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size)
    return Refuse(reason, L"the image header has an unknown size");
  const WORD bpp = header.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    return Refuse(reason, L"the image has an unknown number of bits per pixel");
  if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS)
    return Refuse(reason, L"compressed bitmaps are not drawn");
  const LONG width = header.biWidth;
  // Widened before negating: a top-down height of INT_MIN has no positive twin.
  const int64_t rows = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
  const int64_t shown = icon ? rows / 2 : rows;
  if (width <= 0 || shown <= 0 || width > kMaxSide || shown > kMaxSide)
    return Refuse(reason, L"the image has an impossible size");
  const LONG height = static_cast<LONG>(shown);
  size_t colours = header.biClrUsed ? header.biClrUsed : (bpp <= 8 ? 1u << bpp : 0);
  if (colours > 256) return Refuse(reason, L"the image's colour table is too large");
  if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) colours += 3;
  const size_t stride = (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
  const size_t maskStride = (static_cast<size_t>(width) + 31) / 32 * 4;
  const size_t need = header.biSize + colours * 4 + stride * height + (icon ? maskStride * height : 0);
  if (need > size) return Refuse(reason, L"the image's pixels run past its end");
  image->width = width;
  image->height = height;
  image->bits = data + header.biSize + colours * 4;
  wchar_t text[64];
  swprintf(text, 64, L"%ld x %ld, %u bits per pixel", static_cast<long>(width), static_cast<long>(height), bpp);
  image->description = text;
  return true;
}

bool IconFromBytes(const BYTE* data, DWORD size, bool cursor, Image* image, std::wstring* reason) {
  const size_t hotspot = cursor ? 4 : 0;
  if (!data || size < hotspot + sizeof kPngSignature) return Refuse(reason, L"the image is shorter than its header");
  const bool png = memcmp(data + hotspot, kPngSignature, sizeof kPngSignature) == 0;
  if (!png && !CheckDib(data + hotspot, size - hotspot, true, image, reason)) return false;
  image->cursor = cursor;
  image->icon = CreateIconFromResourceEx(const_cast<BYTE*>(data), size, !cursor, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
  if (!image->icon) return Refuse(reason, L"the system refused the image");
  if (png) {
    ICONINFO info = {};
    BITMAP bm = {};
    if (GetIconInfo(image->icon, &info)) {
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    image->width = bm.bmWidth;
    image->height = bm.bmHeight;
    image->description = L"PNG image";
  }
  return true;
}

}  // namespace

bool IsImageType(const Resource& r) {
  return r.IsType(RT_CURSOR) || r.IsType(RT_BITMAP) || r.IsType(RT_ICON) || r.IsType(RT_GROUP_CURSOR) ||
         r.IsType(RT_GROUP_ICON);
}

bool PrepareImage(const std::vector<Resource>& all, const Resource& r, Image* image, std::wstring* reason) {
  *image = Image();
  if (!r.data) return Refuse(reason, L"the image cannot be loaded");
  if (r.IsType(RT_BITMAP)) {
    if (!CheckDib(r.data, r.size, false, image, reason)) return false;
    image->bitmap = reinterpret_cast<const BITMAPINFO*>(r.data);
    return true;
  }
  if (r.IsType(RT_ICON) || r.IsType(RT_CURSOR)) return IconFromBytes(r.data, r.size, r.IsType(RT_CURSOR), image, reason);
  // A group: the first image it lists is shown.
  package::res::ImageGroup group;
  std::string error;
  package::res::ReadImageGroup(r.Bytes(), group, error, package::res::ReadMode::kLenient);
  if (group.images.empty()) return Refuse(reason, L"the group lists no images");
  const bool cursor = r.IsType(RT_GROUP_CURSOR);
  const Resource* member = Find(all, cursor ? RT_CURSOR : RT_ICON, ResId::Number(group.images.front().id));
  if (!member) return Refuse(reason, L"the group's first image is missing");
  return IconFromBytes(member->data, member->size, cursor, image, reason);
}

}  // namespace kestrix
