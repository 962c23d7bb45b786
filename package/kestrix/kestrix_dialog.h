#pragma once
// Dialogs from the module's DIALOG and DIALOGEX templates, opened live. The
// template is walked first and rewritten into one the system can only build
// as a preview: classes a preview cannot host become placeholders (or the
// standard dialog class), the Borland controls become the stand-ins of
// kestrix_controls.h, its menu is walked by the menu check, and counts are
// bounded. A dialog opens modally over the main window; a child template (a
// property or wizard page, a pane) opens in a frame of its own.

#include <windows.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_resources.h"

namespace kestrix {

// Where a preview reports the commands its controls send.
using StatusSink = void (*)(const std::wstring& line);

// Opens the dialog; a modal one closes on OK, Cancel or Escape, a page's
// frame on its close box or Escape, and any other command goes to sink, as
// does what the preview stood in for or left out. Returns false with
// *reason when the template is malformed or refused.
bool PreviewDialog(HWND owner, const std::vector<Resource>& all, const Resource& dialog, StatusSink sink,
                   std::wstring* reason);

// Gives an open page its keyboard (Tab, Escape); true when it took the message.
bool PageDialogMessage(MSG& message);

bool RegisterPageFrameClass(HINSTANCE instance);

}  // namespace kestrix
