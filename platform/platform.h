#pragma once
// The one seam between the utility and the operating system.
//
// Every service the utility needs from Windows is declared here, in Win32's own
// shape but without <windows.h>: profile strings, file copy and delete, the
// fopen probe, processes, the command interpreter, sleeping, local time,
// message boxes and beeps, windows, dialogs, controls, list boxes, menus and
// the open dialog. platform/win32 implements it on the real services;
// platform/double records every call for the host tests and fakes time.
//
// Texts are 8-bit strings in the ANSI code page, as the -A services take them.

#include <cstddef>
#include <cstdint>

namespace platform {

using Window = void*;    // a window handle; nullptr is "no window"
using Instance = void*;  // a module instance handle

// The messages the utility's procedures tell apart; everything else is Other.
// Private is the utility's own message, posted with PostPrivateMessage.
// ScaleChanged: the window moved to a display of another scale, or the
// display's scale changed while it ran (WM_DPICHANGED).
enum class Message { Init, Command, Close, Destroy, Private, ScaleChanged, Other };

// A window or dialog procedure as the utility writes it. The Win32 layer
// translates each message and passes it here.
using Procedure = intptr_t (*)(Window window, Message message, uintptr_t wParam, intptr_t lParam);

// Returned by a top-level window's procedure to ask for the system's default processing.
constexpr intptr_t kDefaultProcessing = INTPTR_MIN;

// Win32 constants the utility names (values as in the Windows headers).
constexpr int kShowNormal = 1;               // SW_SHOWNORMAL
constexpr int kShowMinNoActive = 7;          // SW_SHOWMINNOACTIVE
constexpr unsigned kBeepExclamation = 0x30;  // MB_ICONEXCLAMATION
constexpr unsigned kCreateNewProcessGroup = 0x200;
constexpr unsigned kCreateDefaultErrorMode = 0x4000000;
constexpr unsigned kOfnExplorer = 0x80000;
constexpr unsigned kOfnFileMustExist = 0x1000;
constexpr unsigned kOfnPathMustExist = 0x800;
constexpr unsigned kFnErrInvalidFileName = 0x3002;
constexpr unsigned kFnErrBufferTooSmall = 0x3003;
constexpr uintptr_t kIdOk = 1;      // IDOK: Enter in a dialog
constexpr uintptr_t kIdCancel = 2;  // IDCANCEL: Escape in a dialog

// The ANSI open-file-name record, field for field as the utility fills it.
// The Win32 layer copies it into an OPENFILENAMEA for each dialog.
struct OpenFileRecord {
  unsigned structSize;
  Window owner;
  Instance instance;
  const char* filter;  // pairs of NUL-terminated strings, ended by an empty one
  char* customFilter;
  unsigned maxCustomFilter;
  unsigned filterIndex;
  char* file;
  unsigned maxFile;
  char* fileTitle;
  unsigned maxFileTitle;
  const char* initialDir;
  const char* title;
  unsigned flags;
};

// The size the platform's own open-file-name record has ("structure size").
unsigned OpenFileRecordSize();

// Local calendar time as the C library's localtime reports it, with the month
// counted from 1 and the full year.
struct LocalTime {
  int year, month, day, hour, minute, second;
};

// ---- Profile files (GetPrivateProfileStringA / WritePrivateProfileStringA)
// Returns the number of characters copied, not counting the terminator.
unsigned GetProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                          unsigned capacity, const char* file);
bool WriteProfileString(const char* section, const char* key, const char* value, const char* file);

// ---- Files
// Opens path with the C library's fopen in mode ("r", "r+") and closes it at once.
bool OpenAndClose(const char* path, const char* mode);
// Whether anything exists at path (GetFileAttributesA), whoever holds it open.
bool FileExists(const char* path);
bool CopyFile(const char* from, const char* to, bool failIfExists);
bool DeleteFile(const char* path);
// GetCurrentDirectoryA: the length copied, or the capacity needed when out is too small.
unsigned GetCurrentDirectory(unsigned capacity, char* out);

// ---- Processes and time
// CreateProcessA with no application name and a start-up record that carries only
// showMode; then WaitForInputIdle up to idleWaitMs and both handles closed.
// Returns whether the process was created.
bool CreateProcess(char* commandLine, int showMode, unsigned creationFlags, unsigned idleWaitMs);
// The C library's system(): the command interpreter runs commandLine and is waited for.
int RunCommandInterpreter(const char* commandLine);
void Sleep(unsigned milliseconds);
LocalTime GetLocalTime();  // time() then localtime()

// ---- Windows and dialogs
bool RegisterMainClass(Instance instance, const char* className, Procedure procedure, int iconId,
                       const char* menuName);
Window CreateMainWindow(Instance instance, const char* className, const char* title, unsigned style,
                        int x, int y, int width, int height);
void ShowWindow(Window window, int showCommand);
// Resizes a window, keeping its place and Z order.
void SetWindowSize(Window window, int width, int height);
// The pixels one dialog unit stands for in a dialog, as its font gives them:
// the horizontal and vertical dialog base units (4 and 8 dialog units mapped
// by MapDialogRect). {0, 0} for no dialog.
struct BaseUnits {
  int x, y;
};
BaseUnits DialogBaseUnits(Window dialog);
void SetWindowText(Window window, const char* text);
Window CreateModelessDialog(int templateId, Window parent, Procedure procedure);
intptr_t RunModalDialog(int templateId, Window owner, Procedure procedure);
void EndDialog(Window dialog, intptr_t result);
void DestroyWindow(Window window);
void SendCloseRequest(Window window);  // SendMessage WM_CLOSE
void PostQuit(int exitCode);
// Posts window the utility's private message (Message::Private with wParam and
// lParam 0); it is handled once the thread waits for messages again, in the
// main loop or the loop of a message box or dialog. False when the queue refused it.
bool PostPrivateMessage(Window window);
// GetMessage until quit; each message goes to IsDialogMessage(dialog) first.
int RunMessageLoop(Window dialog);
int MessageBox(Window owner, const char* text, const char* caption);  // plain OK box
void Beep(unsigned type);

// ---- Controls of a dialog
Window GetControl(Window dialog, int id);
void SetControlText(Window dialog, int id, const char* text);
unsigned GetControlText(Window dialog, int id, char* out, unsigned capacity);
void EnableControl(Window dialog, int id, bool enabled);
void SetCheck(Window control, bool checked);
// Removes the presses of a control queued while the thread was busy: the mouse
// and keyboard messages for it, clicks posted to it (BM_CLICK) and commands
// with its id posted to the dialog. All other messages stay queued, in order.
void DiscardControlInput(Window dialog, int id);
void CheckMenuItem(Window window, int id, bool checked);

// ---- List boxes (control id of a dialog)
int ListAdd(Window dialog, int id, const char* text);  // index of the new line
int ListCount(Window dialog, int id);
void ListDelete(Window dialog, int id, int index);
void ListSelect(Window dialog, int id, int index);
void ListReset(Window dialog, int id);
// WM_SETREDRAW: off, the list keeps its lines, selection and top index but
// paints nothing; on again, the whole list is marked for painting, which
// happens when the thread next waits for messages.
void ListSetRedraw(Window dialog, int id, bool on);

// ---- Common dialogs
bool GetOpenFileName(OpenFileRecord& record);
unsigned ExtendedDialogError();

}  // namespace platform
