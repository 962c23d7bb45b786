// The resource binder on the Win32 update service.

#include "package/res/res_binder.h"

#include <windows.h>

#include "package/res/pe_image.h"

#include <cstdio>
#include <cstring>

namespace package {

namespace {

std::string LastErrorText(const char* what) {
  const DWORD code = GetLastError();
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  // The system's texts end in a line break.
  for (size_t n = strlen(text); n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ');)
    text[--n] = '\0';
  char line[400];
  snprintf(line, sizeof line, "%s failed (error %lu%s%s)", what, static_cast<unsigned long>(code),
           text[0] ? ": " : "", text);
  return line;
}

// Names are passed as UTF-16 so that no character is lost to the ANSI code page.
const wchar_t* AsIdentifier(const ResId& id, std::wstring& storage) {
  if (id.numeric) return MAKEINTRESOURCEW(id.number);
  storage.assign(id.text.begin(), id.text.end());
  return storage.c_str();
}

bool Bind(const std::vector<ResEntry>& entries, const std::string& exePath, BindReport& report, std::string& error,
          const std::function<void()>& midBind) {
  report = BindReport();
  HANDLE update = BeginUpdateResourceA(exePath.c_str(), FALSE);
  if (!update) {
    error = LastErrorText(("opening " + exePath + " for resource update").c_str());
    return false;
  }
  for (const ResEntry& e : entries) {
    std::wstring type, name;
    // A null pointer with no data would delete the resource instead.
    static uint8_t noData = 0;
    void* data = e.data.empty() ? &noData : const_cast<uint8_t*>(e.data.data());
    if (UpdateResourceW(update, AsIdentifier(e.type, type), AsIdentifier(e.name, name), e.language, data,
                        static_cast<DWORD>(e.data.size()))) {
      ++report.bound;
    } else if (e.data.empty()) {
      ++report.skippedEmpty;
    } else {
      error = LastErrorText(("adding resource " + DescribeResId(e.type) + " " + DescribeResId(e.name)).c_str());
      EndUpdateResourceA(update, TRUE);
      report = BindReport();
      return false;
    }
  }
  if (midBind) midBind();
  if (!EndUpdateResourceA(update, FALSE)) {
    error = LastErrorText(("writing the resources into " + exePath).c_str());
    report = BindReport();
    return false;
  }
  return true;
}

// What the system wrote reaches the disk before the program takes its name.
bool FlushToDisk(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != 0;
  return CloseHandle(file) && flushed;
}

bool CheckTarget(const std::string& exePath, std::string& error) {
  std::vector<uint8_t> image;
  if (!ReadWholeFile(exePath, image, error)) return false;
  std::string problem;
  if (CheckProgramImage(image, problem)) return true;
  error = exePath + " is not a whole program: " + problem;
  return false;
}

}  // namespace

bool BindResources(const std::vector<ResEntry>& entries, const std::string& exePath, BindReport& report,
                   std::string& error) {
  return Bind(entries, exePath, report, error, nullptr);
}

std::string BindTemporaryPath(const std::string& exePath) { return exePath + ".bind.tmp"; }

bool BindIntoProgram(const std::string& resPath, const std::string& exePath, BindReport& report,
                     std::string& error, const std::function<void()>& midBind) {
  report = BindReport();
  const std::string temporary = BindTemporaryPath(exePath);
  std::vector<ResEntry> entries;
  bool bound = ReadResFile(resPath, entries, error) && CheckTarget(exePath, error);
  // From here on the program's name is free until the bound program takes it.
  if (bound && !MoveFileExA(exePath.c_str(), temporary.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = LastErrorText(("moving " + exePath + " aside").c_str());
    bound = false;
  }
  bound = bound && Bind(entries, temporary, report, error, midBind);
  if (bound && !FlushToDisk(temporary)) {
    error = LastErrorText(("flushing " + temporary).c_str());
    bound = false;
  }
  if (bound && !MoveFileExA(temporary.c_str(), exePath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrorText(("moving the bound program to " + exePath).c_str());
    bound = false;
  }
  if (!bound) {
    report = BindReport();
    DeleteFileA(temporary.c_str());
    DeleteFileA(exePath.c_str());
  }
  return bound;
}

bool BindResFile(const std::string& resPath, const std::string& exePath, BindReport& report, std::string& error) {
  report = BindReport();
  std::vector<ResEntry> entries;
  if (!ReadResFile(resPath, entries, error)) return false;
  return BindResources(entries, exePath, report, error);
}

}  // namespace package
