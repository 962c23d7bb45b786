// The placeholder's class: drawing, and the class name it keeps for a
// control's lifetime.

#include "package/kestrix/kestrix_placeholder.h"

#include "package/kestrix/kestrix_controls.h"
#include "platform/win32/display_scale.h"

namespace kestrix {
namespace {

void PaintPlaceholder(HWND window, HDC dc) {
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  HPEN pen = CreatePen(PS_DOT, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  const std::wstring* cls = reinterpret_cast<const std::wstring*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  wchar_t text[256] = L"";
  GetWindowTextW(window, text, 256);
  const std::wstring shown = (cls ? *cls : std::wstring()) + (text[0] ? L"\n" + std::wstring(text) : L"");
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0)));
  const UINT dpi = display_scale::WindowDpi(window);
  InflateRect(&r, -display_scale::Scale(3, dpi), -display_scale::Scale(2, dpi));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(dc, shown.c_str(), -1, &r, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK PlaceholderProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      PaintPlaceholder(window, BeginPaint(window, &paint));
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_NCDESTROY:
      delete reinterpret_cast<std::wstring*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterPlaceholderClass(HINSTANCE instance) {
  return RegisterOwnClass(instance, kPlaceholderClass, PlaceholderProcedure);
}

void NamePlaceholder(HWND placeholder, const std::wstring& cls) {
  delete reinterpret_cast<std::wstring*>(SetWindowLongPtrW(placeholder, GWLP_USERDATA,
                                                           reinterpret_cast<LONG_PTR>(new std::wstring(cls))));
  InvalidateRect(placeholder, nullptr, TRUE);
}

}  // namespace kestrix
