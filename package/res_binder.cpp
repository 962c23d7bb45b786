// The resource binder on the Win32 update service.

#include "package/res_binder.h"

#include <windows.h>

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

}  // namespace

bool BindResources(const std::vector<ResEntry>& entries, const std::string& exePath, std::string& error) {
  HANDLE update = BeginUpdateResourceA(exePath.c_str(), FALSE);
  if (!update) {
    error = LastErrorText(("opening " + exePath + " for resource update").c_str());
    return false;
  }
  for (const ResEntry& e : entries) {
    std::wstring type, name;
    // A null pointer with no data would delete the resource instead.
    static const uint8_t kNoData = 0;
    const void* data = e.data.empty() ? &kNoData : e.data.data();
    if (!UpdateResourceW(update, AsIdentifier(e.type, type), AsIdentifier(e.name, name), e.language,
                         const_cast<void*>(data), static_cast<DWORD>(e.data.size()))) {
      error = LastErrorText(("adding resource " + DescribeResId(e.type) + " " + DescribeResId(e.name)).c_str());
      EndUpdateResourceA(update, TRUE);
      return false;
    }
  }
  if (!EndUpdateResourceA(update, FALSE)) {
    error = LastErrorText(("writing the resources into " + exePath).c_str());
    return false;
  }
  return true;
}

bool BindResFile(const std::string& resPath, const std::string& exePath, size_t& bound, std::string& error) {
  bound = 0;
  std::vector<ResEntry> entries;
  if (!ReadResFile(resPath, entries, error)) return false;
  if (!BindResources(entries, exePath, error)) return false;
  bound = entries.size();
  return true;
}

}  // namespace package
