// Kestrix, the template application: WinMain, its one window and the
// listing of its own resources.
//
// Every program the utility builds is a copy of this one with a script's
// resources bound in, so the window shows what a build put there: the
// command-line parameters it was started with, and each resource of its own
// module with type, name, language and size. kestrix_ids.h names the
// controls and the line format.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "package/kestrix/kestrix_ids.h"

namespace {

constexpr int kMargin = 8;
constexpr int kLabelWidth = 90;
constexpr int kRowHeight = 22;

struct KestrixWindow {
  HWND window = nullptr;
  HWND parametersLabel = nullptr;
  HWND parameters = nullptr;
  HWND program = nullptr;
  HWND summary = nullptr;
  HWND resources = nullptr;
};

KestrixWindow g_kestrix;

// What follows the program name on the command line, blanks trimmed in front.
std::wstring Parameters() {
  const wchar_t* p = GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

std::wstring DescribeId(const wchar_t* id, bool isType) {
  static const wchar_t* const kTypeNames[] = {
      nullptr,        L"CURSOR",     L"BITMAP",    L"ICON",         L"MENU",      L"DIALOG",
      L"STRING",      L"FONTDIR",    L"FONT",      L"ACCELERATOR",  L"RCDATA",    L"MESSAGETABLE",
      L"GROUP_CURSOR", nullptr,      L"GROUP_ICON", nullptr,        L"VERSION",   L"DLGINCLUDE",
      nullptr,        L"PLUGPLAY",   L"VXD",       L"ANICURSOR",    L"ANIICON",   L"HTML",
      L"MANIFEST"};
  if (!IS_INTRESOURCE(id)) return id;
  const unsigned n = static_cast<unsigned>(reinterpret_cast<uintptr_t>(id));
  wchar_t text[48];
  const wchar_t* name = isType && n < sizeof kTypeNames / sizeof kTypeNames[0] ? kTypeNames[n] : nullptr;
  if (name)
    swprintf(text, sizeof text / sizeof text[0], L"#%u %ls", n, name);
  else
    swprintf(text, sizeof text / sizeof text[0], L"#%u", n);
  return text;
}

struct Listing {
  HMODULE module;
  std::vector<std::wstring> lines;
  const wchar_t* type = nullptr;
  const wchar_t* name = nullptr;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
  Listing& listing = *reinterpret_cast<Listing*>(param);
  HRSRC found = FindResourceExW(module, type, name, language);
  const DWORD size = found ? SizeofResource(module, found) : 0;
  wchar_t tail[64];
  swprintf(tail, sizeof tail / sizeof tail[0], L", language %04X, %lu bytes", language,
           static_cast<unsigned long>(size));
  listing.lines.push_back(L"type " + DescribeId(type, true) + L", name " + DescribeId(name, false) + tail);
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, OnLanguage, param);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  EnumResourceNamesW(module, type, OnName, param);
  return TRUE;
}

std::vector<std::wstring> ListOwnResources() {
  Listing listing{GetModuleHandleW(nullptr), {}};
  EnumResourceTypesW(listing.module, OnType, reinterpret_cast<LONG_PTR>(&listing));
  return listing.lines;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
  HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return child;
}

void Create(HWND window) {
  KestrixWindow& k = g_kestrix;
  k.window = window;
  k.parametersLabel = Child(window, L"STATIC", L"Parameters:", SS_LEFT, -1);
  k.parameters = Child(window, L"EDIT", Parameters().c_str(), WS_BORDER | ES_AUTOHSCROLL | ES_READONLY,
                       IDC_KESTRIX_PARAMETERS);

  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  k.program = Child(window, L"STATIC", path, SS_LEFT | SS_PATHELLIPSIS, IDC_KESTRIX_PROGRAM);

  const std::vector<std::wstring> lines = ListOwnResources();
  wchar_t count[48];
  swprintf(count, sizeof count / sizeof count[0], L"%u resource(s) bound", static_cast<unsigned>(lines.size()));
  k.summary = Child(window, L"STATIC", count, SS_LEFT, IDC_KESTRIX_SUMMARY);
  k.resources = Child(window, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT,
                      IDC_KESTRIX_RESOURCES);
  for (const std::wstring& line : lines) SendMessageW(k.resources, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageW(k.resources, LB_SETHORIZONTALEXTENT, 1200, 0);
}

void Layout(int width, int height) {
  const KestrixWindow& k = g_kestrix;
  const int inner = width - 2 * kMargin;
  int y = kMargin;
  MoveWindow(k.parametersLabel, kMargin, y + 3, kLabelWidth, kRowHeight - 6, TRUE);
  MoveWindow(k.parameters, kMargin + kLabelWidth, y, inner - kLabelWidth, kRowHeight, TRUE);
  y += kRowHeight + kMargin;
  MoveWindow(k.program, kMargin, y, inner, kRowHeight - 6, TRUE);
  y += kRowHeight;
  MoveWindow(k.summary, kMargin, y, inner, kRowHeight - 6, TRUE);
  y += kRowHeight;
  MoveWindow(k.resources, kMargin, y, inner, height - y - kMargin > 0 ? height - y - kMargin : 0, TRUE);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Create(window);
      return 0;
    case WM_SIZE:
      Layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showMode) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProcedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"" KESTRIX_WINDOW_CLASS;
  if (!RegisterClassExW(&wc)) return 1;

  HWND window = CreateWindowExW(0, wc.lpszClassName, L"" KESTRIX_WINDOW_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 420, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showMode);
  UpdateWindow(window);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
