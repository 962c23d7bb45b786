// The text and image preview windows.

#include "package/kestrix/kestrix_views.h"

#include "package/kestrix/kestrix_ids.h"

namespace kestrix {
namespace {

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

LRESULT CALLBACK TextViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      MoveWindow(GetDlgItem(window, IDC_KESTRIX_VIEW_TEXT), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void PaintImage(HWND window, const Image& image) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (image.icon) {
    DrawIconEx(dc, kImageMargin, kImageMargin, image.icon, image.width, image.height, 0, nullptr, DI_NORMAL);
  } else if (image.bitmap) {
    StretchDIBits(dc, kImageMargin, kImageMargin, image.width, image.height, 0, 0, image.width, image.height,
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
  HWND view = CreateWindowExW(0, L"" KESTRIX_TEXT_VIEW_CLASS, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, kViewWidth, kViewHeight, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!view) return nullptr;
  HWND edit = CreateWindowExW(0, L"EDIT", text.c_str(),
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                  ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                              0, 0, 0, 0, view, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_KESTRIX_VIEW_TEXT)),
                              GetModuleHandleW(nullptr), nullptr);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
  RECT client;
  GetClientRect(view, &client);
  MoveWindow(edit, 0, 0, client.right, client.bottom, FALSE);
  Replace(&g_textView, view);
  ShowWindow(view, SW_SHOWNORMAL);
  return view;
}

HWND OpenImageView(HWND owner, const std::wstring& title, const Image& image) {
  Image* kept = new Image(image);
  RECT frame = {0, 0, image.width + 2 * kImageMargin, image.height + 2 * kImageMargin};
  if (frame.right < kMinImageClient) frame.right = kMinImageClient;
  if (frame.bottom < kMinImageClient) frame.bottom = kMinImageClient;
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
