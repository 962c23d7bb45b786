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
  // Only the status bar's group: a preview makes ready the groups and
  // rich-edit libraries its template's controls need when it first needs
  // them (kestrix_classes.h), so the start does not pay for every one.
  INITCOMMONCONTROLSEX bars = {sizeof bars, ICC_BAR_CLASSES};
  InitCommonControlsEx(&bars);
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
