#include "build/tools.h"

#include "diag/debug_log.h"
#include "platform/platform.h"

void LaunchProcess(char* commandLine, int showMode) {
  platform::CreateProcess(commandLine, showMode, kLaunchFlags, kInputIdleWaitMs);
}

void RunCommand(const char* commandLine) { platform::RunCommandInterpreter(commandLine); }

bool WaitForFile(const char* path, const char* mode) {
  if (platform::OpenAndClose(path, mode)) return true;
  for (int retry = 1; retry <= kPollRetries; ++retry) {
    LogDebug("%s not available yet, %d of %d tries at %d ms intervals", path, retry, kPollRetries,
             static_cast<int>(kPollIntervalMs));
    platform::Sleep(kPollIntervalMs);
    if (platform::OpenAndClose(path, mode)) return true;
  }
  return false;
}
