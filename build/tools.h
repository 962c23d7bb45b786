#pragma once
// Starting other programs and waiting for their results. The utility never
// reads another program's exit code: it launches (detached, or waited through
// the command interpreter) and then judges success by whether the expected
// file can be opened, polling for it on a fixed schedule.

constexpr unsigned kInputIdleWaitMs = 30000;
constexpr int kPollRetries = 10;
constexpr unsigned kPollIntervalMs = 100;
constexpr unsigned kLaunchFlags =
    0x4000200;  // CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE

// Starts commandLine detached with the show mode, waits until it is idle for
// input (at most 30 s) and returns; a program that cannot be started is ignored.
void LaunchProcess(char* commandLine, int showMode);
// Runs commandLine through the command interpreter and waits for it; its exit status is ignored.
void RunCommand(const char* commandLine);
// One attempt, then up to ten retries each after a 100 ms sleep; traces each retry.
bool WaitForFile(const char* path, const char* mode);
