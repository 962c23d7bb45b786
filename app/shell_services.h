#pragma once
// What the subsystems ask of the shell: a formatted message box, greying or
// enabling the compile button, and ending the utility without saving. The
// shell's dispatch (app/shell.h) calls into the subsystems and they call only
// these, never back up into the dispatch.

#include "platform/platform.h"

// Asks the main panel to close; the message loop ends and nothing is saved.
void AbortApplication();
void SetCompileEnabled(bool enabled);
// Formats a message-box text into a 256-byte buffer and shows it; a text that
// would not fit is shown cut rather than written past the buffer.
void ShowMessage(platform::Window owner, const char* caption, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
