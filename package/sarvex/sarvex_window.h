#pragma once
// The checker's findings window: a list of what it found, one finding a row,
// with "Open Script" (the system editor on the selected finding's file),
// "Copy" (every row to the clipboard) and "Close" (Escape too). It is shown
// restored whatever the launch's show mode, and never takes the focus: the
// utility's own message box keeps it. One window per script: a later run
// for the same script closes the earlier one first.

#include <windows.h>

#include "package/sarvex/sarvex_findings.h"

namespace package {

// Closes the findings window an earlier run left for `script` and waits a
// bounded time for that run to end.
void CloseEarlierFindings(const std::string& script);

// Shows the findings and runs the window until it is closed.
void RunFindingsWindow(HINSTANCE instance, const Findings& findings);

}  // namespace package
