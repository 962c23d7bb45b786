#pragma once
// Running the built program <projectDir><baseName>.exe with the parameters of
// the panel's field, by hand ("Run exe...") or after a build when "Compile and
// Run" is checked; and the handlers of that check box and that field.

constexpr unsigned kRunParametersReadCapacity =
    255;  // every read of field 1010, terminator included

// Formats and traces the run line, waits runDelaySeconds first when asked, and
// starts the program. Returns false, with a message, when the line does not fit.
bool RunBuiltApplication(bool waitFirst);
void RunExeCommand();
void ToggleRunAfterCompile();
void UpdateRunParameters();
