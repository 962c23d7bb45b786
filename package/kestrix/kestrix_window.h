#pragma once
// Kestrix's main window: the parameters, the program's path, the list of
// bound resources, the status bar, the menu bar and accelerators of the
// script, and the previews a row or a command opens.

#include <windows.h>

#include "package/kestrix/kestrix_command_line.h"

namespace kestrix {

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the main window for these options; nullptr on failure.
HWND CreateMainWindow(HINSTANCE instance, const Options& options);
// Whether the message was handled before translation: Enter in the
// resource list, then the accelerators of the menu bar.
bool PreTranslate(MSG& message);
// Opens what the command line asked for once the window shows.
void OpenStartupPreview(HWND window);

}  // namespace kestrix
