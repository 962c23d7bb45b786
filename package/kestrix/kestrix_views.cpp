// The text and image preview windows.

#include "package/kestrix/kestrix_views.h"

#include "package/kestrix/kestrix_ids.h"
#include "platform/win32/display_scale.h"

namespace kestrix {
namespace {

// Sizes at 96 DPI, scaled to the owner's display.
constexpr int kViewWidth = 560;
constexpr int kViewHeight = 360;
constexpr int kImageMargin = 16;
constexpr int kMinImageClient = 160;

// One view of each kind at a time: a new preview replaces the last.
HWND g_textView = nullptr;
HWND g_imageView = nullptr;

void Replace(HWND* slot, HWND view) {
  if (*slot && IsWindow(*slot)) DestroyWindow(*slot);
  *slot = view;
}

// The text view's font is made for its display's scale and kept in its user slot.
void SetViewFont(HWND window, UINT dpi) {
  HFONT old = reinterpret_cast<HFONT>(GetWindowLongPtrW(window, GWLP_USERDATA));
  HFONT font = display_scale::CreateFixedFont(dpi);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));
  SendMessageW(GetDlgItem(window, IDC_KESTRIX_VIEW_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (old) DeleteObject(old);
}

// Takes the size the system suggests for a display of another scale.
void MoveToSuggested(HWND window, LPARAM lParam) {
  const RECT* r = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TextViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      MoveWindow(GetDlgItem(window, IDC_KESTRIX_VIEW_TEXT), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case display_scale::kScaleChangedMessage:
      SetViewFont(window, HIWORD(wParam));
      MoveToSuggested(window, lParam);
      return 0;
    case WM_NCDESTROY:
      if (HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(window, GWLP_USERDATA))) DeleteObject(font);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void PaintImage(HWND window, const Image& image) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const int margin = display_scale::Scale(kImageMargin, display_scale::WindowDpi(window));
  if (image.icon) {
    DrawIconEx(dc, margin, margin, image.icon, image.width, image.height, 0, nullptr, DI_NORMAL);
  } else if (image.bitmap) {
    StretchDIBits(dc, margin, margin, image.width, image.height, 0, 0, image.width, image.height,
                  image.bits, image.bitmap, DIB_RGB_COLORS, SRCCOPY);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK ImageViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Image* image = reinterpret_cast<Image*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_PAINT:
      if (image) {
        PaintImage(window, *image);
        return 0;
      }
      break;
    case display_scale::kScaleChangedMessage:
      MoveToSuggested(window, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_NCDESTROY:
      if (image) {
        if (image->icon) DestroyIcon(image->icon);
        delete image;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterViewClasses(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = TextViewProcedure;
  wc.lpszClassName = L"" KESTRIX_TEXT_VIEW_CLASS;
  if (!RegisterClassExW(&wc)) return false;
  wc.lpfnWndProc = ImageViewProcedure;
  wc.lpszClassName = L"" KESTRIX_IMAGE_VIEW_CLASS;
  return RegisterClassExW(&wc) != 0;
}

HWND OpenTextView(HWND owner, const std::wstring& title, const std::wstring& text) {
  const UINT dpi = display_scale::WindowDpi(owner);
  HWND view = CreateWindowExW(0, L"" KESTRIX_TEXT_VIEW_CLASS, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, display_scale::Scale(kViewWidth, dpi), display_scale::Scale(kViewHeight, dpi),
                              owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!view) return nullptr;
  HWND edit = CreateWindowExW(0, L"EDIT", text.c_str(),
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                  ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                              0, 0, 0, 0, view, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_KESTRIX_VIEW_TEXT)),
                              GetModuleHandleW(nullptr), nullptr);
  SetViewFont(view, display_scale::WindowDpi(view));
  RECT client;
  GetClientRect(view, &client);
  MoveWindow(edit, 0, 0, client.right, client.bottom, FALSE);
  Replace(&g_textView, view);
  ShowWindow(view, SW_SHOWNORMAL);
  return view;
}

HWND OpenImageView(HWND owner, const std::wstring& title, const Image& image) {
  Image* kept = new Image(image);
  // The image is shown at its own pixels, as it is stored; the frame around it follows the scale.
  const UINT dpi = display_scale::WindowDpi(owner);
  const int margin = display_scale::Scale(kImageMargin, dpi), least = display_scale::Scale(kMinImageClient, dpi);
  RECT frame = {0, 0, image.width + 2 * margin, image.height + 2 * margin};
  if (frame.right < least) frame.right = least;
  if (frame.bottom < least) frame.bottom = least;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRect(&frame, style, FALSE);
  HWND view = CreateWindowExW(0, L"" KESTRIX_IMAGE_VIEW_CLASS, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                              GetModuleHandleW(nullptr), kept);
  if (!view) {
    if (kept->icon) DestroyIcon(kept->icon);
    delete kept;
    return nullptr;
  }
  Replace(&g_imageView, view);
  ShowWindow(view, SW_SHOWNORMAL);
  return view;
}

}  // namespace kestrix
