#pragma once
// The fault switches of the conversion-package programs: environment
// variables that make a program misbehave in one chosen way, so that the
// utility's handling of each failure can be shown on real processes.
// package/README.md describes each one.

namespace package {

// Checker: go idle first, then wait this many milliseconds before writing the log.
constexpr const char* kSarvexLogDelayMs = "SARVEX_LOG_DELAY_MS";
// Checker: never write the log.
constexpr const char* kSarvexNoLog = "SARVEX_NO_LOG";
// Compiler: the compile step writes no .res (and removes a stale one).
constexpr const char* kBrc32NoRes = "BRC32_NO_RES";
// Compiler: the bind step deletes the target executable instead of binding.
constexpr const char* kBrc32NoBind = "BRC32_NO_BIND";
// Compiler: the bind step ends the process (exit code 5) inside the system's
// resource update, as a crash there would.
constexpr const char* kBrc32EndMidBind = "BRC32_END_MID_BIND";
// Checker: no findings window, even when the script has errors.
constexpr const char* kSarvexNoWindow = "SARVEX_NO_WINDOW";

// True when the variable is set to anything but "", "0".
bool SwitchIsSet(const char* name);

// The variable's value as a count of milliseconds, clamped to 0..600000;
// 0 when unset or not a number.
int SwitchMilliseconds(const char* name);

}  // namespace package
