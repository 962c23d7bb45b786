// The findings window: a dialog of the checker's own class and its loop.

#include "package/sarvex/sarvex_window.h"

#include <vector>

#include "package/sarvex/sarvex_ids.h"
#include "platform/win32/display_scale.h"

namespace package {

namespace {

// How long a later run waits for the earlier one to go: well inside the
// second the utility gives the checker's log after input idle.
constexpr DWORD kEarlierRunWaitMs = 500;

HANDLE AsProperty(uint64_t key) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(key)); }

uint64_t KeyOf(const std::string& script) {
  char full[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(script.c_str(), sizeof full, full, nullptr);
  return ScriptKey(n > 0 && n < sizeof full ? std::string(full, n) : script);
}

struct Earlier {
  HANDLE key;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectEarlier(HWND window, LPARAM found) {
  Earlier* earlier = reinterpret_cast<Earlier*>(found);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, SARVEX_FINDINGS_CLASS) == 0 && GetPropA(window, SARVEX_SCRIPT_PROPERTY) == earlier->key)
    earlier->windows.push_back(window);
  return TRUE;
}

void CopyToClipboard(HWND window, const std::string& text) {
  if (!OpenClipboard(window)) return;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  char* bytes = memory ? static_cast<char*>(GlobalLock(memory)) : nullptr;
  if (bytes) {
    memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

void OpenInEditor(const Findings& findings, HWND list) {
  const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
  const size_t row = selected == LB_ERR ? 0 : static_cast<size_t>(selected);
  if (row >= findings.rows.size()) return;
  std::string command = EditorCommand(findings.rows[row]);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

// The list scrolls sideways as far as its longest row reaches in its font, and
// about a character more, so the row's end is not on the border.
void SetListExtent(HWND list) {
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
    if (length <= 0) continue;
    std::string row(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&row[0]));
    SIZE size = {};
    if (GetTextExtentPoint32A(dc, row.c_str(), static_cast<int>(length), &size) && size.cx > widest) widest = size.cx;
  }
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + metrics.tmAveCharWidth + 2), 0);
}

// The selected finding's line and caret line, in a fixed-pitch font of the
// dialog's size, so that the caret stands under its column.
constexpr char kSourceFontProperty[] = "SarvexSourceFont";

void SetSourceFont(HWND window) {
  HWND source = GetDlgItem(window, IDC_FINDINGS_SOURCE);
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  font.lfWeight = FW_NORMAL;
  font.lfItalic = FALSE;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynA(font.lfFaceName, "Courier New", LF_FACESIZE);
  HFONT made = CreateFontIndirectA(&font);
  if (!made) return;
  SendMessageA(source, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (HFONT old = static_cast<HFONT>(GetPropA(window, kSourceFontProperty))) DeleteObject(old);
  SetPropA(window, kSourceFontProperty, made);
}

void ShowSelectedSource(HWND window, const Findings& findings) {
  const LRESULT selected = SendDlgItemMessageA(window, IDC_FINDINGS_LIST, LB_GETCURSEL, 0, 0);
  const size_t row = selected == LB_ERR ? 0 : static_cast<size_t>(selected);
  const std::string text = row < findings.rows.size() ? FindingSource(findings.rows[row]) : std::string();
  SetDlgItemTextA(window, IDC_FINDINGS_SOURCE, text.c_str());
}

void FillWindow(HWND window, const Findings& findings) {
  SetWindowTextA(window, FindingsTitle(findings).c_str());
  SetPropA(window, SARVEX_SCRIPT_PROPERTY, AsProperty(KeyOf(findings.script)));
  HWND list = GetDlgItem(window, IDC_FINDINGS_LIST);
  for (const Diagnostic& d : findings.rows)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FormatDiagnostic(d).c_str()));
  SetListExtent(list);
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  SetSourceFont(window);
  ShowSelectedSource(window, findings);
}

// Posted on a change of scale: the dialog manager gives the window and its
// controls their new size and font first; the list's reach is measured after.
constexpr UINT kMeasureAgain = WM_APP + 1;

INT_PTR CALLBACK FindingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Findings* findings = reinterpret_cast<const Findings*>(GetWindowLongPtrA(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      FillWindow(window, *reinterpret_cast<const Findings*>(lParam));
      return FALSE;  // no focus yet: setting it would activate the window
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_FINDINGS_OPEN ||
          (LOWORD(wParam) == IDC_FINDINGS_LIST && HIWORD(wParam) == LBN_DBLCLK)) {
        OpenInEditor(*findings, GetDlgItem(window, IDC_FINDINGS_LIST));
      } else if (LOWORD(wParam) == IDC_FINDINGS_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
        ShowSelectedSource(window, *findings);
      } else if (LOWORD(wParam) == IDC_FINDINGS_COPY) {
        CopyToClipboard(window, FindingsText(*findings));
      } else if (LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
      }
      return TRUE;
    case display_scale::kScaleChangedMessage:
      PostMessageA(window, kMeasureAgain, 0, 0);
      return FALSE;
    case kMeasureAgain:
      SetListExtent(GetDlgItem(window, IDC_FINDINGS_LIST));
      SetSourceFont(window);
      return TRUE;
    case WM_DESTROY:
      RemovePropA(window, SARVEX_SCRIPT_PROPERTY);
      if (HFONT font = static_cast<HFONT>(RemovePropA(window, kSourceFontProperty))) DeleteObject(font);
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

bool RegisterFindingsClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefDlgProcA;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(nullptr, IDI_WARNING);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = SARVEX_FINDINGS_CLASS;
  return RegisterClassExA(&wc) != 0;
}

}  // namespace

void CloseEarlierFindings(const std::string& script) {
  Earlier earlier{AsProperty(KeyOf(script)), {}};
  EnumWindows(CollectEarlier, reinterpret_cast<LPARAM>(&earlier));
  for (HWND window : earlier.windows) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (process) {
      WaitForSingleObject(process, kEarlierRunWaitMs);
      CloseHandle(process);
    }
  }
}

void RunFindingsWindow(HINSTANCE instance, const Findings& findings) {
  if (!RegisterFindingsClass(instance)) return;
  HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_FINDINGS), nullptr, FindingsProc,
                                   reinterpret_cast<LPARAM>(&findings));
  if (!window) return;
  // The first show of a process may take the launch's mode (minimised):
  // a second one restores the window, still without activating it.
  ShowWindow(window, SW_SHOWNOACTIVATE);
  if (IsIconic(window)) ShowWindow(window, SW_SHOWNOACTIVATE);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace package
