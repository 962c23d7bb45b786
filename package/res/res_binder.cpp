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

constexpr uint16_t kManifestType = 24;  // RT_MANIFEST

ResId IdOf(LPCWSTR id) {
  if (IS_INTRESOURCE(id)) return ResId::Number(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(id)));
  return ResId::Text(std::u16string(reinterpret_cast<const char16_t*>(id)));
}

BOOL CALLBACK KeepLanguage(HMODULE image, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR found) {
  HRSRC resource = FindResourceExW(image, type, name, language);
  const void* data = resource ? LockResource(LoadResource(image, resource)) : nullptr;
  if (!data) return TRUE;
  ResEntry e;
  e.type = IdOf(type);
  e.name = IdOf(name);
  e.language = language;
  const auto* bytes = static_cast<const uint8_t*>(data);
  e.data.assign(bytes, bytes + SizeofResource(image, resource));
  reinterpret_cast<std::vector<ResEntry>*>(found)->push_back(std::move(e));
  return TRUE;
}

BOOL CALLBACK KeepName(HMODULE image, LPCWSTR type, LPWSTR name, LONG_PTR found) {
  EnumResourceLanguagesW(image, type, name, KeepLanguage, found);
  return TRUE;
}

BOOL CALLBACK KeepType(HMODULE image, LPWSTR type, LONG_PTR found) {
  EnumResourceNamesW(image, type, KeepName, found);
  return TRUE;
}

// A program has one manifest of a name, whatever its language: with two the
// loader would pick the template's or the script's by the user's language.
// So a manifest among the entries displaces the program's manifests of the
// same name in other languages. True, with the program's resources less the
// displaced ones in `kept`, when some manifest is displaced.
bool ManifestsDisplaced(const std::vector<ResEntry>& entries, const std::string& exePath,
                        std::vector<ResEntry>& kept) {
  kept.clear();
  bool bringsManifest = false;
  for (const ResEntry& e : entries) bringsManifest |= e.type == ResId::Number(kManifestType);
  if (!bringsManifest) return false;
  HMODULE image = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!image) return false;
  std::vector<ResEntry> own;
  EnumResourceTypesW(image, KeepType, reinterpret_cast<LONG_PTR>(&own));
  FreeLibrary(image);
  bool displaced = false;
  for (ResEntry& mine : own) {
    bool goes = false;
    for (const ResEntry& e : entries)
      goes |= mine.type == ResId::Number(kManifestType) && e.type == mine.type && e.name == mine.name &&
              e.language != mine.language;
    displaced |= goes;
    if (!goes) kept.push_back(std::move(mine));
  }
  return displaced;
}

bool Bind(const std::vector<ResEntry>& entries, const std::string& exePath, BindReport& report, std::string& error,
          const std::function<void()>& midBind) {
  report = BindReport();
  // The update service cannot drop one resource and keep the rest (Wine's
  // keeps every resource it is not given anew), so a displaced manifest
  // means writing the program's resources anew without it.
  std::vector<ResEntry> kept;
  const bool rewrite = ManifestsDisplaced(entries, exePath, kept);
  HANDLE update = BeginUpdateResourceA(exePath.c_str(), rewrite);
  if (!update) {
    error = LastErrorText(("opening " + exePath + " for resource update").c_str());
    return false;
  }
  for (const ResEntry& e : kept) {
    std::wstring type, name;
    if (!UpdateResourceW(update, AsIdentifier(e.type, type), AsIdentifier(e.name, name), e.language,
                         const_cast<uint8_t*>(e.data.data()), static_cast<DWORD>(e.data.size()))) {
      error = LastErrorText(("keeping the program's resource " + DescribeResId(e.type) + " " +
                             DescribeResId(e.name)).c_str());
      EndUpdateResourceA(update, TRUE);
      return false;
    }
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
