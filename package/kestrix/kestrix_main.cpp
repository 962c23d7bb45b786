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
#include "package/kestrix/kestrix_views.h"
#include "package/kestrix/kestrix_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showMode) {
  // The status bar, and the common controls a script's dialogs may use.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&controls);
  if (!kestrix::RegisterMainWindowClass(instance) || !kestrix::RegisterViewClasses(instance)) return 1;

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
