// Kestrix, the template application: every program the utility builds is a
// copy of it with a script's resources bound in, and it shows that script as
// a live application: the script's menu bar and accelerators, its dialogs
// when a command with a dialog's id fires, its title string, and the list of
// every bound resource, each of which a row previews (kestrix_window.h).
//
// WinMain reads the command line, creates the main window and runs the
// message loop; an ordinary GetMessage loop also answers the input-idle wait
// of whoever started the program.

#include <windows.h>

#include <commctrl.h>

#include "package/kestrix/kestrix_command_line.h"
#include "package/kestrix/kestrix_controls.h"
#include "package/kestrix/kestrix_dialog.h"
#include "package/kestrix/kestrix_views.h"
#include "package/kestrix/kestrix_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showMode) {
  // Every common control group a script's dialogs may use, one at a time so
  // that a group this system lacks does not keep the others out.
  for (DWORD group : {ICC_LISTVIEW_CLASSES, ICC_TREEVIEW_CLASSES, ICC_BAR_CLASSES, ICC_TAB_CLASSES, ICC_UPDOWN_CLASS,
                      ICC_PROGRESS_CLASS, ICC_HOTKEY_CLASS, ICC_ANIMATE_CLASS, ICC_WIN95_CLASSES, ICC_DATE_CLASSES,
                      ICC_USEREX_CLASSES, ICC_COOL_CLASSES, ICC_INTERNET_CLASSES, ICC_PAGESCROLLER_CLASS,
                      ICC_NATIVEFNTCTL_CLASS, ICC_STANDARD_CLASSES, ICC_LINK_CLASS}) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, group};
    InitCommonControlsEx(&controls);
  }
  // The rich-edit classes, from whichever of their libraries the system has.
  for (const wchar_t* library : {L"msftedit.dll", L"riched20.dll", L"riched32.dll"}) LoadLibraryW(library);
  if (!kestrix::RegisterMainWindowClass(instance) || !kestrix::RegisterViewClasses(instance) ||
      !kestrix::RegisterControlClasses(instance) || !kestrix::RegisterPageFrameClass(instance))
    return 1;

  const kestrix::Options options = kestrix::ReadCommandLine(GetCommandLineW());
  HWND window = kestrix::CreateMainWindow(instance, options);
  if (!window) return 1;
  ShowWindow(window, showMode);
  UpdateWindow(window);
  kestrix::OpenStartupPreview(window);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (kestrix::PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
