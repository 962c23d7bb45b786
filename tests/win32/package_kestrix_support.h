#pragma once
// The template application seen from outside: finding its windows, reading
// its controls, binding resources into a copy and starting it as the utility
// starts a built program; and the sample's resources from our compiler and
// from another, for the tests of what a built program previews.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_ids.h"
#include "package/rc/rc_compile.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"
#include "package_test_support.h"

namespace kestrix_test {

using package::ResEntry;
using package::ResId;
using package_test::Launched;
using package_test::ScratchDir;

constexpr DWORD kMessageTimeoutMs = 5000;
constexpr DWORD kWindowTimeoutMs = 10000;

struct Search {
  DWORD processId;
  const char* cls;
  const wchar_t* title;  // nullptr: any
  HWND found;
};

// A visible top-level window of the process with that class (and title).
inline HWND FindTopLevel(DWORD processId, const char* cls, const wchar_t* title = nullptr) {
  Search search{processId, cls, title, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        Search& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        char cls[64] = "";
        GetClassNameA(window, cls, sizeof cls);
        wchar_t title[256] = L"";
        GetWindowTextW(window, title, 256);
        if (pid == s.processId && strcmp(cls, s.cls) == 0 && IsWindowVisible(window) &&
            (!s.title || wcscmp(title, s.title) == 0)) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The text of a control, read with WM_GETTEXT into a poisoned buffer.
inline ::testing::AssertionResult ControlText(HWND window, int id, std::wstring& text) {
  HWND control = GetDlgItem(window, id);
  if (!control) return ::testing::AssertionFailure() << "no control " << id;
  wchar_t buffer[1024];
  wmemset(buffer, 0xCCCC, sizeof buffer / sizeof buffer[0]);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
    return ::testing::AssertionFailure() << "control " << id << " does not answer";
  if (copied >= sizeof buffer / sizeof buffer[0] || buffer[copied] != L'\0')
    return ::testing::AssertionFailure() << "text of control " << id << " is not terminated where reported";
  text.assign(buffer, copied);
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult ListLines(HWND window, std::vector<std::wstring>& lines) {
  HWND list = GetDlgItem(window, IDC_KESTRIX_RESOURCES);
  if (!list) return ::testing::AssertionFailure() << "no resource list";
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count))
    return ::testing::AssertionFailure() << "the list does not answer";
  lines.clear();
  for (WPARAM i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length);
    std::vector<wchar_t> buffer(length + 2, 0xCCCC);
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &copied);
    if (copied != length) return ::testing::AssertionFailure() << "line " << i << " changed length";
    lines.emplace_back(buffer.data(), copied);
  }
  return ::testing::AssertionSuccess();
}

class PackageKestrix : public ::testing::Test {
 protected:
  void TearDown() override { End(); }

  void End() {
    if (launched_.process) {
      if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
      EXPECT_TRUE(package_test::WaitForExit(launched_, kWindowTimeoutMs)) << "the window did not close";
    }
    window_ = nullptr;
  }

  // A copy with the entries bound in, under a new name each time: a program
  // that just ended may hold its file for a moment.
  std::string BoundCopy(const std::vector<ResEntry>& entries) {
    const std::string exe = dir_ / ("demo" + std::to_string(++copies_) + ".exe").c_str();
    EXPECT_TRUE(CopyFileA(package_test::PackageProgram("KestRix.exe").c_str(), exe.c_str(), FALSE));
    package::BindReport report;
    std::string error;
    if (!entries.empty()) {
      EXPECT_TRUE(package::BindResources(entries, exe, report, error)) << error;
    }
    return exe;
  }

  // Starts the program as the utility runs a built one: path, one blank,
  // the parameters, in a normal window.
  void Start(const std::string& exe, const std::string& parameters) {
    End();
    launched_ = package_test::LaunchAsUtility(exe + " " + parameters, SW_SHOWNORMAL);
    ASSERT_TRUE(launched_.started);
    ASSERT_EQ(launched_.idleResult, 0u) << "WaitForInputIdle failed";
    EXPECT_LT(launched_.idleMs, package_test::kInputIdleTimeoutMs / 3) << "idle came late";
    ASSERT_TRUE(package_test::WaitUntil([&] { return (window_ = FindTopLevel(launched_.processId, KESTRIX_WINDOW_CLASS)) != nullptr; },
                                        kWindowTimeoutMs));
  }

  ScratchDir dir_;
  int copies_ = 0;
  Launched launched_;
  HWND window_ = nullptr;
};

// ---- The previews ---------------------------------------------------------------

enum class Source { kOurs, kWindres, kMenuEx };

// package/sample/Sample.rc compiled by our compiler, or a fixture another compiler made.
inline std::vector<ResEntry> SampleEntries(Source source) {
  std::vector<ResEntry> entries;
  std::string error;
  if (source != Source::kOurs) {
    const char* fixture =
        source == Source::kWindres ? "tests/win32/data/package_sample.res" : "tests/win32/data/kestrix_menuex.res";
    EXPECT_TRUE(package::ReadResFile(package_test::SourceFile(fixture), entries, error)) << error;
    return entries;
  }
  const std::string path = package_test::SourceFile("package/sample/Sample.rc");
  std::string text;
  EXPECT_TRUE(package_test::ReadBytes(path, text));
  package::CompiledScript compiled;
  EXPECT_TRUE(package::CompileScript(path, text, package::ReadTextFile, compiled));
  return compiled.entries;
}

inline std::vector<ResEntry> CompiledEntries(const std::string& script) {
  package::CompiledScript compiled;
  EXPECT_TRUE(package::CompileScript("C:\\broken.rc", script, package::ReadTextFile, compiled)) << script;
  return compiled.entries;
}

class KestrixPreview : public PackageKestrix {
 protected:
  HWND Control(int id) { return GetDlgItem(window_, id); }

  std::wstring Status() {
    std::wstring text;
    EXPECT_TRUE(ControlText(window_, IDC_KESTRIX_STATUS, text));
    return text;
  }

  bool StatusBecomes(const std::wstring& expected) {
    return package_test::WaitUntil([&] { return Status() == expected; }, kWindowTimeoutMs);
  }

  // Selects the first row that starts with prefix and presses Enter on it.
  ::testing::AssertionResult Activate(const std::wstring& prefix) {
    std::vector<std::wstring> lines;
    if (!ListLines(window_, lines)) return ::testing::AssertionFailure() << "no list";
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind(prefix, 0) != 0) continue;
      DWORD_PTR ignored = 0;
      HWND list = Control(IDC_KESTRIX_RESOURCES);
      SendMessageTimeoutW(list, LB_SETCURSEL, i, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &ignored);
      PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no row starts with the prefix";
  }

  HWND WaitForTopLevel(const char* cls, const wchar_t* title) {
    HWND found = nullptr;
    package_test::WaitUntil([&] { return (found = FindTopLevel(launched_.processId, cls, title)) != nullptr; },
                            kWindowTimeoutMs);
    return found;
  }

  bool StillRuns() {
    DWORD_PTR ignored = 0;
    return WaitForSingleObject(launched_.process, 0) == WAIT_TIMEOUT &&
           SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &ignored);
  }
};

// The title is string 1; menu commands and accelerators name their item in the status bar.

}  // namespace kestrix_test
