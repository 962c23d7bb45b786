#pragma once
// The display's scale, for the windows of the package's programs that are laid
// out in pixels rather than dialog units: the DPI a window is shown at, pixel
// sizes designed at 96 DPI scaled to it, and the fonts of such windows at that DPI.
//
// GetDpiForWindow is looked up at run time, so the programs still start on
// systems older than per-monitor scale; there the screen's DPI serves.

#include <windows.h>

namespace display_scale {

constexpr UINT kDesignDpi = 96;

// WM_DPICHANGED: the window moved to a display of another scale, or the
// display's scale changed while it ran. The headers give it only to newer targets.
constexpr UINT kScaleChangedMessage = 0x02E0;

// The DPI the screen is drawn at for this process (the system's scale).
inline UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

// The DPI of the display a window is on; the system's for no window.
inline UINT WindowDpi(HWND window) {
  using Query = UINT(WINAPI*)(HWND);
  static const Query query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (query != nullptr && window != nullptr) {
    const UINT dpi = query(window);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

// A size designed at 96 DPI, at dpi.
inline int Scale(int pixelsAt96, UINT dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), kDesignDpi); }

// The system's font for controls (DEFAULT_GUI_FONT) at dpi; the caller deletes it.
inline HFONT CreateGuiFont(UINT dpi) {
  LOGFONTW font = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  // The stock font is made for the system's scale; a window on another display gets its own.
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return CreateFontIndirectW(&font);
}

// A monospaced font of about 10 points at dpi, for text shown as it is laid out.
inline HFONT CreateFixedFont(UINT dpi) {
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(10, static_cast<int>(dpi), 72);
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynW(font.lfFaceName, L"Courier New", LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

// The height of a line of text in font, and the width of text in it.
inline int TextHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return metrics.tmHeight;
}

inline int TextWidth(HWND window, HFONT font, const wchar_t* text) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size.cx;
}

}  // namespace display_scale
