#include "app/file_probes.h"

#include "platform/platform.h"

bool FileIsReadable(const char* path) { return platform::OpenAndClose(path, "r"); }

bool FileIsWritable(const char* path) { return platform::OpenAndClose(path, "r+"); }
