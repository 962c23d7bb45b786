// The platform seam on the real Win32 services. Window and dialog procedures
// here are trampolines: they translate a message and hand it to the utility's
// procedure, and give the system its default processing where asked.

#include "platform/platform.h"

#include <windows.h>
// The common dialogs need the types <windows.h> declares.
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/win32/display_scale.h"

// The seam's names stand for the ANSI services; drop the headers' macros so
// they do not rename the seam's own functions.
#undef CopyFile
#undef CreateProcess
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetOpenFileName
#undef GetProfileString
#undef MessageBox
#undef SetWindowText
#undef WriteProfileString

namespace platform {
namespace {

Procedure mainProcedure = nullptr;

// The utility's private message, in the range Windows leaves to applications.
constexpr UINT kPrivateMessage = WM_APP + 0x10;

Message Translate(UINT message) {
  switch (message) {
    case WM_INITDIALOG: return Message::Init;
    case WM_COMMAND: return Message::Command;
    case WM_CLOSE: return Message::Close;
    case WM_DESTROY: return Message::Destroy;
    case kPrivateMessage: return Message::Private;
    case display_scale::kScaleChangedMessage: return Message::ScaleChanged;
    default: return Message::Other;
  }
}

LRESULT CALLBACK MainWindowTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (mainProcedure != nullptr) {
    intptr_t result = mainProcedure(window, Translate(message), wParam, lParam);
    if (result != kDefaultProcessing) return result;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

RECT RectInDialog(HWND dialog, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Where the first control to the right of `r`, on its rows, begins; `edge` when none.
LONG RoomToTheRight(HWND dialog, HWND control, const RECT& r, LONG edge) {
  for (HWND other = GetWindow(dialog, GW_CHILD); other != nullptr; other = GetWindow(other, GW_HWNDNEXT)) {
    const RECT o = RectInDialog(dialog, other);
    if (other != control && o.left >= r.right && o.top < r.bottom && o.bottom > r.top && o.left < edge) edge = o.left;
  }
  return edge;
}

// A static text laid out in dialog units for one font can be narrower than its
// text where the display's scale brings another font (a face without the size
// wanted falls back to a wider one). Such a static is widened to its text, as
// far as the next control to its right or the dialog's edge allows.
void WidenStaticsToTheirText(HWND dialog) {
  RECT client;
  GetClientRect(dialog, &client);
  HDC dc = GetDC(dialog);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[16] = "";
    GetClassNameA(child, className, sizeof className);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Static") != 0 || (style & SS_TYPEMASK) != SS_LEFT) continue;
    char text[256] = "";
    const int length = GetWindowTextA(child, text, sizeof text);
    RECT needed = {0, 0, 0, 0};
    if (length == 0 || !DrawTextA(dc, text, length, &needed, DT_CALCRECT | DT_SINGLELINE)) continue;
    const RECT r = RectInDialog(dialog, child);
    if (r.right - r.left >= needed.right) continue;
    const LONG limit = RoomToTheRight(dialog, child, r, client.right);
    const LONG width = r.left + needed.right <= limit ? needed.right : limit - r.left;
    SetWindowPos(child, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(dialog, dc);
}

// The utility's procedure travels in the creation parameter and is kept in the
// dialog's user slot from WM_INITDIALOG on; earlier messages get the default.
INT_PTR CALLBACK DialogTrampoline(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    WidenStaticsToTheirText(dialog);
  }
  auto procedure = reinterpret_cast<Procedure>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (procedure == nullptr) return FALSE;
  return procedure(dialog, Translate(message), wParam, lParam);
}

HWND AsWindow(Window window) { return static_cast<HWND>(window); }

// The list box last asked for. Finding a control by id asks the window server
// for the dialog's children every time, which costs more under Wine than the
// list's own work for a trace line; a window of this process is checked for
// being that control of that dialog without the server.
HWND ListControl(Window dialog, int id) {
  static HWND cachedDialog = nullptr, cachedList = nullptr;
  static int cachedId = 0;
  HWND parent = AsWindow(dialog);
  if (cachedList != nullptr && parent == cachedDialog && id == cachedId && IsWindow(cachedList) &&
      GetParent(cachedList) == parent && GetDlgCtrlID(cachedList) == id) {
    return cachedList;
  }
  cachedDialog = parent;
  cachedId = id;
  cachedList = GetDlgItem(parent, id);
  return cachedList;
}

}  // namespace

unsigned OpenFileRecordSize() { return sizeof(OPENFILENAMEA); }

unsigned GetProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                          unsigned capacity, const char* file) {
  return GetPrivateProfileStringA(section, key, defaultValue, out, capacity, file);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

bool OpenAndClose(const char* path, const char* mode) {
  FILE* stream = std::fopen(path, mode);
  if (stream == nullptr) return false;
  std::fclose(stream);
  return true;
}

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool CopyFile(const char* from, const char* to, bool failIfExists) {
  return CopyFileA(from, to, failIfExists) != FALSE;
}

bool DeleteFile(const char* path) { return DeleteFileA(path) != FALSE; }

unsigned GetCurrentDirectory(unsigned capacity, char* out) {
  return GetCurrentDirectoryA(capacity, out);
}

bool CreateProcess(char* commandLine, int showMode, unsigned creationFlags, unsigned idleWaitMs) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showMode);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, creationFlags, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  WaitForInputIdle(process.hProcess, idleWaitMs);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

int RunCommandInterpreter(const char* commandLine) { return std::system(commandLine); }

void Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

LocalTime GetLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local = *std::localtime(&now);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

bool RegisterMainClass(Instance instance, const char* className, Procedure procedure, int iconId,
                       const char* menuName) {
  mainProcedure = procedure;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowTrampoline;
  windowClass.hInstance = static_cast<HINSTANCE>(instance);
  windowClass.hIcon = LoadIconA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(iconId));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  windowClass.lpszMenuName = menuName;
  windowClass.lpszClassName = className;
  return RegisterClassA(&windowClass) != 0;
}

Window CreateMainWindow(Instance instance, const char* className, const char* title, unsigned style,
                        int x, int y, int width, int height) {
  return CreateWindowExA(0, className, title, style, x, y, width, height, nullptr, nullptr,
                         static_cast<HINSTANCE>(instance), nullptr);
}

void ShowWindow(Window window, int showCommand) { ::ShowWindow(AsWindow(window), showCommand); }

void SetWindowText(Window window, const char* text) { SetWindowTextA(AsWindow(window), text); }

void SetWindowSize(Window window, int width, int height) {
  SetWindowPos(AsWindow(window), nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BaseUnits DialogBaseUnits(Window dialog) {
  RECT units = {0, 0, 4, 8};
  if (dialog == nullptr || !MapDialogRect(AsWindow(dialog), &units)) return {0, 0};
  return {units.right, units.bottom};
}

Window CreateModelessDialog(int templateId, Window parent, Procedure procedure) {
  return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                            AsWindow(parent), DialogTrampoline,
                            reinterpret_cast<LPARAM>(procedure));
}

intptr_t RunModalDialog(int templateId, Window owner, Procedure procedure) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), AsWindow(owner),
                         DialogTrampoline, reinterpret_cast<LPARAM>(procedure));
}

void EndDialog(Window dialog, intptr_t result) { ::EndDialog(AsWindow(dialog), result); }

void DestroyWindow(Window window) { ::DestroyWindow(AsWindow(window)); }

void SendCloseRequest(Window window) { SendMessageA(AsWindow(window), WM_CLOSE, 0, 0); }

void PostQuit(int exitCode) { PostQuitMessage(exitCode); }

bool PostPrivateMessage(Window window) {
  return PostMessageA(AsWindow(window), kPrivateMessage, 0, 0) != FALSE;
}

int RunMessageLoop(Window dialog) {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (dialog != nullptr && IsDialogMessageA(AsWindow(dialog), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

int MessageBox(Window owner, const char* text, const char* caption) {
  return MessageBoxA(AsWindow(owner), text, caption, MB_OK);
}

void Beep(unsigned type) { MessageBeep(type); }

Window GetControl(Window dialog, int id) { return GetDlgItem(AsWindow(dialog), id); }

void SetControlText(Window dialog, int id, const char* text) {
  SetDlgItemTextA(AsWindow(dialog), id, text);
}

unsigned GetControlText(Window dialog, int id, char* out, unsigned capacity) {
  return GetDlgItemTextA(AsWindow(dialog), id, out, static_cast<int>(capacity));
}

void EnableControl(Window dialog, int id, bool enabled) {
  EnableWindow(GetDlgItem(AsWindow(dialog), id), enabled);
}

void DiscardControlInput(Window dialog, int id) {
  HWND panel = AsWindow(dialog);
  HWND control = GetDlgItem(panel, id);
  if (!control) return;
  // PeekMessage hands out a posted quit whatever the filter; it is put back last.
  MSG message;
  bool quit = false;
  int quitCode = 0;
  auto takeQuit = [&] {
    if (message.message != WM_QUIT) return false;
    quit = true;
    quitCode = static_cast<int>(message.wParam);
    return true;
  };
  const UINT ranges[][2] = {{WM_MOUSEFIRST, WM_MOUSELAST}, {WM_KEYFIRST, WM_KEYLAST}};
  for (const auto& range : ranges)
    while (PeekMessageW(&message, control, range[0], range[1], PM_REMOVE)) takeQuit();
  // A press can also be posted: a click to the control (as automation does) or
  // the control's command to the dialog. No filter tells one command id from
  // another, so every posted message is taken out in order and the others put
  // back in that order, ahead of any input still queued as before.
  std::vector<MSG> kept;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | (QS_POSTMESSAGE << 16))) {
    if (takeQuit()) continue;
    bool press =
        (message.hwnd == control && message.message == BM_CLICK) ||
        (message.hwnd == panel && message.message == WM_COMMAND && LOWORD(message.wParam) == id);
    if (!press) kept.push_back(message);
  }
  for (const MSG& k : kept) {
    if (k.hwnd)
      PostMessageW(k.hwnd, k.message, k.wParam, k.lParam);
    else
      PostThreadMessageW(GetCurrentThreadId(), k.message, k.wParam, k.lParam);
  }
  if (quit) PostQuitMessage(quitCode);
}

void SetCheck(Window control, bool checked) {
  SendMessageA(AsWindow(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckMenuItem(Window window, int id, bool checked) {
  ::CheckMenuItem(GetMenu(AsWindow(window)), id,
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

int ListAdd(Window dialog, int id, const char* text) {
  return static_cast<int>(
      SendMessageA(ListControl(dialog, id), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int ListCount(Window dialog, int id) {
  return static_cast<int>(SendMessageA(ListControl(dialog, id), LB_GETCOUNT, 0, 0));
}

void ListDelete(Window dialog, int id, int index) {
  SendMessageA(ListControl(dialog, id), LB_DELETESTRING, index, 0);
}

void ListSelect(Window dialog, int id, int index) {
  SendMessageA(ListControl(dialog, id), LB_SETCURSEL, index, 0);
}

void ListReset(Window dialog, int id) {
  SendMessageA(ListControl(dialog, id), LB_RESETCONTENT, 0, 0);
}

void ListSetRedraw(Window dialog, int id, bool on) {
  HWND list = ListControl(dialog, id);
  if (!list) return;
  // Like the default processing of WM_SETREDRAW, the switch also takes the
  // visible style away for the while: the list box keeps scrolling its window
  // as lines arrive, even with its painting off, and a window without the
  // style is not scrolled.
  LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
  if (on) {
    if (!(style & WS_VISIBLE)) SetWindowLongPtrA(list, GWL_STYLE, style | WS_VISIBLE);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    // The list painted nothing while switched off: all of it is out of date.
    InvalidateRect(list, nullptr, TRUE);
  } else {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    if (style & WS_VISIBLE) SetWindowLongPtrA(list, GWL_STYLE, style & ~WS_VISIBLE);
  }
}

bool GetOpenFileName(OpenFileRecord& record) {
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = record.structSize;
  dialog.hwndOwner = AsWindow(record.owner);
  dialog.hInstance = static_cast<HINSTANCE>(record.instance);
  dialog.lpstrFilter = record.filter;
  dialog.lpstrCustomFilter = record.customFilter;
  dialog.nMaxCustFilter = record.maxCustomFilter;
  dialog.nFilterIndex = record.filterIndex;
  dialog.lpstrFile = record.file;
  dialog.nMaxFile = record.maxFile;
  dialog.lpstrFileTitle = record.fileTitle;
  dialog.nMaxFileTitle = record.maxFileTitle;
  dialog.lpstrInitialDir = record.initialDir;
  dialog.lpstrTitle = record.title;
  dialog.Flags = record.flags;
  bool chosen = GetOpenFileNameA(&dialog) != FALSE;
  record.filterIndex = dialog.nFilterIndex;
  return chosen;
}

unsigned ExtendedDialogError() { return CommDlgExtendedError(); }

}  // namespace platform
