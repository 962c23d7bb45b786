// Measures texts as a program started at this moment draws them: the e2e
// tests start it after changing the display's scale, so it shares the scale
// of the program under test, which the test process itself does not.
//
//   measure_text.exe OUTPUT dialog|gui TEXT...
//
// "dialog": "MS Sans Serif" 8 pt, the font of the dialogs under test;
// "gui": the system's font for controls (DEFAULT_GUI_FONT). OUTPUT gets one line a text:
// its width and height in pixels, with '&' marking a mnemonic as a static
// control shows it. Exit code 0, or 2 when the arguments are wrong.

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring mode = argv[2];
  HDC screen = GetDC(nullptr);
  LOGFONTW font = {};
  if (mode == L"dialog") {
    font.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  } else if (mode == L"gui") {
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return 2;
  } else {
    return 2;
  }
  HFONT handle = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(screen, handle);
  FILE* out = _wfopen(argv[1], L"w");
  if (!out) return 2;
  for (int i = 3; i < argc; ++i) {
    RECT r = {0, 0, 0, 0};
    DrawTextW(screen, argv[i], -1, &r, DT_CALCRECT | DT_SINGLELINE);
    fprintf(out, "%ld %ld\n", r.right, r.bottom);
  }
  fclose(out);
  SelectObject(screen, old);
  DeleteObject(handle);
  ReleaseDC(nullptr, screen);
  return 0;
}
