#pragma once
// The ids and names of the checker's findings window, shared by its
// resource script, its code and the tests that look for it.

#define IDD_FINDINGS 100

#define IDC_FINDINGS_LIST 1001
#define IDC_FINDINGS_OPEN 1002
#define IDC_FINDINGS_COPY 1003
#define IDC_FINDINGS_SOURCE 1004  // the selected finding's line, a caret under its column
// "Close" is IDCANCEL, so that Escape closes the window as well.

// The window class: a dialog class of the checker's own, so that a later
// run finds the windows of earlier ones.
#define SARVEX_FINDINGS_CLASS "SarvexFindings"
// The window property holding the key of the script's full path.
#define SARVEX_SCRIPT_PROPERTY "SarvexScriptKey"
