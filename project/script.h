#pragma once
// Which resource script is the current project. The open dialog (or the
// LastFile setting) supplies a path; validation checks it and cuts it into
// projectDir, rcFileName, baseName and fileType, from which every other file
// of the project is named; adoption sets the compile and run buttons and arms
// the template copy for the next build.

#include <cstddef>

// The longest text a project adds to projectDir + baseName: a backup's
// "_DDMMYYYY_HHMMSS.bak" (the ".rc.original" intermediate is shorter).
constexpr size_t kLongestProjectSuffix = 20;

void SelectResourceScript();
void AdoptResourceScript();
bool ValidateResourceScript();
// Whether the file name at the end of path names a device (AUX, COM1, ...) rather than a file.
bool NamesReservedDevice(const char* path);
