#pragma once
// The preview windows a resource row opens: a read-only text view and an
// image view, each a top-level window owned by the main window; a new view
// replaces the last one of its kind.

#include <windows.h>

#include <string>

#include "package/kestrix/kestrix_image.h"

namespace kestrix {

bool RegisterViewClasses(HINSTANCE instance);
HWND OpenTextView(HWND owner, const std::wstring& title, const std::wstring& text);
// Takes over image.icon.
HWND OpenImageView(HWND owner, const std::wstring& title, const Image& image);

}  // namespace kestrix
