#pragma once
// File > Save Copy As Backup: a dated copy of the current script beside it,
// <projectDir><baseName>_<DDMMYYYY>_<HHMMSS>.bak, from the local time.

#include <cstddef>

#include "platform/platform.h"

constexpr const char* kBackupCaption = "Backup Copy Failed";

void SaveBackupCopy();
// Formats the backup name for the moment given; false when it does not fit.
bool FormatBackupName(char* out, size_t capacity, const char* dir, const char* base,
                      const platform::LocalTime& moment);
