#pragma once
// Helpers for the conversion-package tests: where the built programs and the
// checked-in fixtures are, a scratch directory per test, whole-file access,
// environment switches for child processes, and the two ways the utility
// starts the programs (a detached launch waited on for input idle, and a
// command run through the command interpreter), each with a bounded wait.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "package/res/res_file.h"

namespace package_test {

// The build and source trees as Windows paths: Wine maps the Unix root to Z:.
inline std::string WindowsPath(const std::string& path) {
  std::string out = path;
  for (char& c : out) c = c == '/' ? '\\' : c;
  if (!out.empty() && out[0] == '\\') out = "Z:" + out;
  return out;
}

inline std::string PackageProgram(const char* exe) {
  return WindowsPath(MIVO_BIN_DIR) + "\\package\\" + exe;
}

inline std::string SourceFile(const char* relative) {
  return WindowsPath(std::string(MIVO_SOURCE_DIR) + "/" + relative);
}

inline bool ReadBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  fclose(f);
  return true;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// fopen probes as the utility makes them.
inline bool Opens(const std::string& path, const char* mode) {
  FILE* f = fopen(path.c_str(), mode);
  if (f) fclose(f);
  return f != nullptr;
}

// A fresh directory under the temporary folder, removed with its files.
class ScratchDir {
 public:
  ScratchDir() {
    static unsigned counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char name[MAX_PATH + 64];
    snprintf(name, sizeof name, "%smivo_pkg_%lu_%u_%lu\\", temp, GetCurrentProcessId(), ++counter, GetTickCount());
    path_ = name;
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchDir() { Remove(path_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The directory with its trailing backslash, as the utility's projectDir.
  const std::string& path() const { return path_; }
  std::string operator/(const char* file) const { return path_ + file; }

 private:
  static constexpr int kRemoveAttempts = 50;
  static constexpr DWORD kRemovePauseMs = 20;

  // `dir` (with its trailing backslash), its files and its folders.
  static void Remove(const std::string& dir) {
    std::vector<std::string> files, folders;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(dir + name);
        else if (name != "." && name != "..") folders.push_back(dir + name + "\\");
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    for (const std::string& folder : folders) Remove(folder);
    // A process that just ended may hold its files for a moment longer.
    for (const std::string& file : files) {
      SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      for (int attempt = 0; attempt < kRemoveAttempts && !DeleteFileA(file.c_str()); ++attempt) Sleep(kRemovePauseMs);
    }
    for (int attempt = 0; attempt < kRemoveAttempts && !RemoveDirectoryA(dir.c_str()); ++attempt)
      Sleep(kRemovePauseMs);
  }

  std::string path_;
};

// Sets an environment variable for the processes this one starts, and
// restores the earlier state when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    char old[512];
    const DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_ = old;
    SetEnvironmentVariableA(name, value);
  }
  ~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

constexpr DWORD kCommandTimeoutMs = 60000;

struct CommandResult {
  bool finished = false;
  DWORD exitCode = 0;
  std::string output;  // standard output and standard error
};

// Runs `commandLine` through "cmd.exe /c" and waits for it, at most
// kCommandTimeoutMs; as the C runtime's system() runs the compiler.
inline CommandResult RunThroughInterpreter(const std::string& commandLine, const ScratchDir& dir) {
  CommandResult result;
  const std::string outPath = dir / "interpreter_output.txt";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return result;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = out;
  PROCESS_INFORMATION pi = {};
  std::string line = "cmd.exe /c " + commandLine;
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  const BOOL started =
      CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(out);
  if (!started) return result;
  if (WaitForSingleObject(pi.hProcess, kCommandTimeoutMs) == WAIT_OBJECT_0) {
    result.finished = true;
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
  } else {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ReadBytes(outPath, result.output);
  DeleteFileA(outPath.c_str());
  return result;
}

// A program started as the utility starts it: no application name, the show
// mode in force, a new process group with the default error mode, then
// WaitForInputIdle for at most 30000 ms.
struct Launched {
  bool started = false;
  DWORD idleResult = WAIT_FAILED;
  DWORD idleMs = 0;  // how long WaitForInputIdle took
  HANDLE process = nullptr;
  DWORD processId = 0;
};

constexpr DWORD kInputIdleTimeoutMs = 30000;
constexpr DWORD kNewGroupDefaultErrorMode = CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE;

inline Launched LaunchAsUtility(const std::string& commandLine, WORD showMode) {
  Launched l;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = showMode;
  PROCESS_INFORMATION pi = {};
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, kNewGroupDefaultErrorMode, nullptr, nullptr,
                      &si, &pi))
    return l;
  l.started = true;
  const DWORD start = GetTickCount();
  l.idleResult = WaitForInputIdle(pi.hProcess, kInputIdleTimeoutMs);
  l.idleMs = GetTickCount() - start;
  CloseHandle(pi.hThread);
  l.process = pi.hProcess;
  l.processId = pi.dwProcessId;
  return l;
}

// Waits for a launched program to end, at most `ms`; ends it if it does not.
inline bool WaitForExit(Launched& l, DWORD ms) {
  if (!l.process) return true;
  const bool ended = WaitForSingleObject(l.process, ms) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(l.process, 99);
    WaitForSingleObject(l.process, 5000);
  }
  CloseHandle(l.process);
  l.process = nullptr;
  return ended;
}

// The utility's poll for a tool's output: one attempt, then up to 10
// retries each after 100 ms. Returns the attempt that succeeded (0 for the
// first) or -1.
constexpr int kPollRetries = 10;
constexpr DWORD kPollIntervalMs = 100;

inline int PollAsUtility(const std::string& path, const char* mode) {
  if (Opens(path, mode)) return 0;
  for (int i = 1; i <= kPollRetries; ++i) {
    Sleep(kPollIntervalMs);
    if (Opens(path, mode)) return i;
  }
  return -1;
}

// Polls for a condition with a bound; true once it holds.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// One resource entry with its data, in the language the tests use unless told.
inline package::ResEntry Entry(const package::ResId& type, const package::ResId& name, const std::string& data,
                               uint16_t language = 0x0409) {
  package::ResEntry entry;
  entry.type = type;
  entry.name = name;
  entry.language = language;
  entry.data.assign(data.begin(), data.end());
  return entry;
}

}  // namespace package_test
