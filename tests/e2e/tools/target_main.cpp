// The driver's own target: a small program shaped like the utility (a main
// window with a menu, a modeless panel worked through IsDialogMessage, a log
// window with a list box, message boxes and the open dialog), so the driver can
// be checked against known behaviour.

#include <windows.h>

#include <commdlg.h>

#include <cstdio>

#include "tests/e2e/tools/target_ids.h"

namespace {

HWND mainWindow;
HWND panel;
HWND logWindow;
bool logShown;

void SetStatus(const char* text) { SetDlgItemTextA(panel, IDC_T_STATUS, text); }

INT_PTR CALLBACK LogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) {
    CheckMenuItem(GetMenu(mainWindow), IDM_T_LOG, MF_UNCHECKED);
    logShown = false;
    DestroyWindow(dialog);
    logWindow = nullptr;
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

void ToggleLog() {
  if (logShown) {
    SendMessageA(logWindow, WM_CLOSE, 0, 0);
    return;
  }
  CheckMenuItem(GetMenu(mainWindow), IDM_T_LOG, MF_CHECKED);
  logShown = true;
  logWindow = CreateDialogA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TARGET_LOG), mainWindow, LogProc);
}

void AddLines() {
  if (!logWindow) return;
  for (int line = 1; line <= 3; ++line) {
    char text[32];
    std::snprintf(text, sizeof text, "line %d", line);
    SendDlgItemMessageA(logWindow, IDC_T_LOG_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendDlgItemMessageA(logWindow, IDC_T_LOG_LIST, LB_SETCURSEL, 2, 0);
}

void ShowBox() {
  MessageBoxA(panel, "Box text\nsecond line", TARGET_BOX_CAPTION, MB_OK);
  SetStatus("box answered");
}

void OpenFile() {
  char file[1024] = "";
  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = panel;
  record.lpstrFilter = "Text Files(*.txt)\0*.txt\0";
  record.lpstrFile = file;
  record.nMaxFile = sizeof file;
  record.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (GetOpenFileNameA(&record)) {
    char status[1100];
    std::snprintf(status, sizeof status, "opened %s", file);
    SetStatus(status);
  } else {
    SetStatus("cancelled");
  }
}

INT_PTR CALLBACK PanelProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_T_SHOW_BOX: ShowBox(); break;
    case IDC_T_OPTION: CheckDlgButton(panel, IDC_T_OPTION, IsDlgButtonChecked(panel, IDC_T_OPTION) ? 0 : 1); break;
    case IDC_T_ADD_LINES: AddLines(); break;
    case IDC_T_HANG: Sleep(3000); break;
    case IDC_T_OPEN: OpenFile(); break;
    case IDCANCEL: SetStatus("cancel pressed"); break;
  }
  return FALSE;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (wParam) {
        case IDM_T_SHOW_BOX: ShowBox(); break;
        case IDM_T_OPEN: OpenFile(); break;
        case IDM_T_EXIT: PostQuitMessage(TARGET_EXIT_CODE); break;
        case IDM_T_LOG: ToggleLog(); break;
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MainProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  windowClass.lpszMenuName = "TargetMenu";
  windowClass.lpszClassName = TARGET_CLASS;
  RegisterClassA(&windowClass);
  mainWindow = CreateWindowA(TARGET_CLASS, TARGET_TITLE, WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 480, 200, nullptr,
                             nullptr, instance, nullptr);
  ShowWindow(mainWindow, SW_SHOWNORMAL);
  panel = CreateDialogA(instance, MAKEINTRESOURCEA(IDD_TARGET_PANEL), mainWindow, PanelProc);

  char directory[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof directory, directory);
  SetDlgItemTextA(panel, IDC_T_DIRECTORY, directory);
  char value[256] = "";
  GetEnvironmentVariableA("E2E_TARGET_VALUE", value, sizeof value);
  SetDlgItemTextA(panel, IDC_T_VARIABLE, value);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(panel, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
