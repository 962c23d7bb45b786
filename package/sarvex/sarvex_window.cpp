// The findings window: a dialog of the checker's own class and its loop.

#include "package/sarvex/sarvex_window.h"

#include <vector>

#include "package/sarvex/sarvex_ids.h"

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

void FillWindow(HWND window, const Findings& findings) {
  SetWindowTextA(window, FindingsTitle(findings).c_str());
  SetPropA(window, SARVEX_SCRIPT_PROPERTY, AsProperty(KeyOf(findings.script)));
  HWND list = GetDlgItem(window, IDC_FINDINGS_LIST);
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const Diagnostic& d : findings.rows) {
    const std::string row = FormatDiagnostic(d);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    SIZE size = {};
    if (GetTextExtentPoint32A(dc, row.c_str(), static_cast<int>(row.size()), &size) && size.cx > widest)
      widest = size.cx;
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

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
      } else if (LOWORD(wParam) == IDC_FINDINGS_COPY) {
        CopyToClipboard(window, FindingsText(*findings));
      } else if (LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
      }
      return TRUE;
    case WM_DESTROY:
      RemovePropA(window, SARVEX_SCRIPT_PROPERTY);
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
