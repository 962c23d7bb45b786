#pragma once
// Dialogs from the module's DIALOG and DIALOGEX templates, opened live and
// modally. The template is walked first (header, menu, class, caption, font
// and every control), and each window class it names must be registered,
// so the system only ever sees a template it can build.

#include <windows.h>

#include <string>

#include "package/kestrix/kestrix_resources.h"

namespace kestrix {

// Where a preview reports the commands its controls send.
using StatusSink = void (*)(const std::wstring& line);

// Opens the dialog modally over owner; it closes on OK, Cancel or Escape
// and reports any other command to sink. Returns false with *reason when the
// template is malformed or refused.
bool PreviewDialog(HWND owner, const Resource& dialog, StatusSink sink, std::wstring* reason);

// Checks a template without opening it; false with *reason.
bool CheckDialogTemplate(const Resource& dialog, std::wstring* reason);

}  // namespace kestrix
