// The driver's texts, paths, files, bounded polling and processes. Its windows
// are in windows.cpp, its menus in menu.cpp.

#include "tests/e2e/driver/driver.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <thread>

namespace e2e {

using Clock = std::chrono::steady_clock;

Ms DefaultTimeout() {
  static const Ms timeout = [] {
    const char* text = std::getenv("MIVO_E2E_TIMEOUT_MS");
    long value = text ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? Ms(value) : Ms(15000);
  }();
  return timeout;
}

DWORD ToDword(Ms duration) {
  auto count = duration.count();
  if (count < 0) return 0;
  if (count > 0x7FFFFFFF) return 0x7FFFFFFF;
  return static_cast<DWORD>(count);
}

// ---- Texts, paths and files -------------------------------------------------

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

std::wstring ToWide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

std::string ToWindowsPath(const std::string& path) {
  std::string out = (!path.empty() && path[0] == '/') ? "Z:" + path : path;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ThisExecutablePath() {
  wchar_t path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return ToUtf8(std::wstring(path, length));
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = bytes.empty() ||
            (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size());
  CloseHandle(file);
  return ok;
}

bool MakeDirectories(const std::string& path) {
  std::string windowsPath = ToWindowsPath(path);
  while (!windowsPath.empty() && windowsPath.back() == '\\') windowsPath.pop_back();
  if (windowsPath.empty() || DirectoryExists(windowsPath)) return true;
  std::string parent = DirectoryOf(windowsPath);
  if (!parent.empty() && parent != windowsPath + "\\" && !MakeDirectories(parent)) return false;
  return CreateDirectoryW(ToWide(windowsPath).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool RemoveTree(const std::string& path) {
  std::wstring root = ToWide(ToWindowsPath(path));
  while (!root.empty() && root.back() == L'\\') root.pop_back();
  if (root.empty()) return false;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((root + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = root + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(ToUtf8(child));
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(root.c_str());
  return GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string LastErrorText() {
  DWORD code = GetLastError();
  wchar_t* message = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::string text = std::to_string(code);
  if (message) {
    std::string words = ToUtf8(message);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r')) words.pop_back();
    text += ": " + words;
    LocalFree(message);
  }
  return text;
}

// ---- Bounded polling ----------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, Ms timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (Clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(kPollInterval);
  }
}

// ---- Processes --------------------------------------------------------------------

std::wstring BuildEnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& additions) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) entries.emplace_back(entry);
    FreeEnvironmentStringsW(block);
  }
  auto nameOf = [](const std::wstring& entry) {
    // Hidden per-drive entries ("=C:=C:\x") start with '='; their name runs to the second '='.
    size_t equals = entry.find(L'=', entry.empty() || entry[0] != L'=' ? 0 : 1);
    return entry.substr(0, equals);
  };
  for (const auto& [name, value] : additions) {
    std::wstring wideName = ToWide(name);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::wstring& entry) {
                                   return _wcsicmp(nameOf(entry).c_str(), wideName.c_str()) == 0;
                                 }),
                  entries.end());
    entries.push_back(wideName + L"=" + ToWide(value));
  }
  // The system expects the block sorted by name, case-insensitively.
  std::stable_sort(entries.begin(), entries.end(), [&](const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(nameOf(a).c_str(), nameOf(b).c_str()) < 0;
  });
  std::wstring block;
  for (const auto& entry : entries) {
    block += entry;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

Process::~Process() {
  Terminate();
  Close();
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      id_(std::exchange(other.id_, 0)),
      threadId_(std::exchange(other.threadId_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Terminate();
    Close();
    process_ = std::exchange(other.process_, nullptr);
    id_ = std::exchange(other.id_, 0);
    threadId_ = std::exchange(other.threadId_, 0);
  }
  return *this;
}

::testing::AssertionResult Process::Launch(const LaunchOptions& options) {
  if (process_) return ::testing::AssertionFailure() << "a process was already launched";
  std::string program = ToWindowsPath(options.program);
  std::wstring commandLine = L"\"" + ToWide(program) + L"\"";
  if (!options.arguments.empty()) commandLine += L" " + ToWide(options.arguments);
  std::wstring environment = BuildEnvironmentBlock(options.environment);
  std::wstring directory = ToWide(ToWindowsPath(options.workingDirectory));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      environment.data(), directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    return ::testing::AssertionFailure() << "CreateProcess " << program << " in \"" << options.workingDirectory
                                         << "\" failed: " << LastErrorText();
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  threadId_ = info.dwThreadId;

  DWORD idle = WaitForInputIdle(process_, ToDword(options.inputIdleTimeout));
  if (idle == WAIT_TIMEOUT) {
    return ::testing::AssertionFailure() << program << " did not wait for input within "
                                         << options.inputIdleTimeout.count() << " ms\n"
                                         << DescribeWindows(id_);
  }
  return ::testing::AssertionSuccess();
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

::testing::AssertionResult Process::WaitForExit(Ms timeout, DWORD* exitCode) {
  if (!process_) return ::testing::AssertionFailure() << "no process was launched";
  if (WaitForSingleObject(process_, ToDword(timeout)) != WAIT_OBJECT_0) {
    return ::testing::AssertionFailure() << "process " << id_ << " still runs after " << timeout.count()
                                         << " ms; its windows:\n"
                                         << DescribeWindows(id_);
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  if (exitCode) *exitCode = code;
  return ::testing::AssertionSuccess() << "exit code " << code;
}

void Process::Terminate() {
  if (Running()) {
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, ToDword(DefaultTimeout()));
  }
}

void Process::Close() {
  if (process_) CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
  threadId_ = 0;
}

}  // namespace e2e
