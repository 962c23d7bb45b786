#pragma once
// Icons, cursors and bitmaps from the module, checked and made ready to draw.

#include <windows.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_resources.h"

namespace kestrix {

struct Image {
  HICON icon = nullptr;  // an icon or cursor (destroyed by the view)
  bool cursor = false;
  const BITMAPINFO* bitmap = nullptr;  // a bitmap drawn from the module's bytes
  const void* bits = nullptr;
  int width = 0;
  int height = 0;
  std::wstring description;  // "32 x 32, 4 bits per pixel"
};

// ICON, CURSOR, BITMAP, GROUP_ICON and GROUP_CURSOR resources (a group draws
// its first image); false with *reason when malformed or refused.
bool PrepareImage(const std::vector<Resource>& all, const Resource& resource, Image* image, std::wstring* reason);
bool IsImageType(const Resource& resource);

}  // namespace kestrix
