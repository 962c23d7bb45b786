// The template application seen from outside, as a person sees a built
// program: started the way the utility starts it, it answers the input-idle
// wait, shows its parameters, and lists the resources bound into it.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_ids.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"
#include "package_test_support.h"

namespace {

using package::ResEntry;
using package::ResId;
using package_test::Launched;
using package_test::ScratchDir;

constexpr DWORD kMessageTimeoutMs = 5000;
constexpr DWORD kWindowTimeoutMs = 10000;

struct Search {
  DWORD processId;
  HWND found;
};

HWND FindKestrixWindow(DWORD processId) {
  Search search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        Search& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        char cls[64] = "";
        GetClassNameA(window, cls, sizeof cls);
        if (pid == s.processId && strcmp(cls, KESTRIX_WINDOW_CLASS) == 0) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The text of a control, read with WM_GETTEXT into a poisoned buffer.
::testing::AssertionResult ControlText(HWND window, int id, std::wstring& text) {
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

::testing::AssertionResult ListLines(HWND window, std::vector<std::wstring>& lines) {
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
  void TearDown() override {
    if (launched_.process) {
      if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
      EXPECT_TRUE(package_test::WaitForExit(launched_, kWindowTimeoutMs)) << "the window did not close";
    }
  }

  std::string BoundCopy(const std::vector<ResEntry>& entries) {
    const std::string exe = dir_ / "demo.exe";
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
    launched_ = package_test::LaunchAsUtility(exe + " " + parameters, SW_SHOWNORMAL);
    ASSERT_TRUE(launched_.started);
    ASSERT_EQ(launched_.idleResult, 0u) << "WaitForInputIdle failed";
    EXPECT_LT(launched_.idleMs, package_test::kInputIdleTimeoutMs / 3) << "idle came late";
    ASSERT_TRUE(package_test::WaitUntil([&] { return (window_ = FindKestrixWindow(launched_.processId)) != nullptr; },
                                        kWindowTimeoutMs));
  }

  ScratchDir dir_;
  Launched launched_;
  HWND window_ = nullptr;
};

TEST_F(PackageKestrix, ShowsItsParametersAndTheBoundResources) {
  ResEntry data;
  data.type = ResId::Number(package::kRtRcData);
  data.name = ResId::Number(101);
  data.language = 0x0409;
  data.data.assign(12, 'd');
  ResEntry config;
  config.type = ResId::Text("CONFIG");
  config.name = ResId::Text("SETTINGS");
  config.language = 0x0407;
  config.data.assign(3, 'c');
  Start(BoundCopy({data, config}), "alpha \"beta gamma\"  -x");

  std::wstring parameters;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_PARAMETERS, parameters));
  EXPECT_EQ(parameters, L"alpha \"beta gamma\"  -x");

  std::vector<std::wstring> lines;
  ASSERT_TRUE(ListLines(window_, lines));
  ASSERT_EQ(lines.size(), 3u);
  auto has = [&lines](const std::wstring& line) {
    for (const std::wstring& l : lines) {
      if (l == line) return true;
    }
    return false;
  };
  EXPECT_TRUE(has(L"type #10 RCDATA, name #101, language 0409, 12 bytes"));
  EXPECT_TRUE(has(L"type CONFIG, name SETTINGS, language 0407, 3 bytes"));
  bool version = false;
  for (const std::wstring& l : lines) version = version || l.rfind(L"type #16 VERSION, name #1, language 0409, ", 0) == 0;
  EXPECT_TRUE(version);

  std::wstring summary;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_SUMMARY, summary));
  EXPECT_EQ(summary, L"3 resource(s) bound");
}

TEST_F(PackageKestrix, TheTemplateAloneHasOnlyItsVersionAndNoParameters) {
  // The utility's run line always has a blank after ".exe".
  Start(BoundCopy({}), "");

  std::wstring parameters;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_PARAMETERS, parameters));
  EXPECT_EQ(parameters, L"");
  std::vector<std::wstring> lines;
  ASSERT_TRUE(ListLines(window_, lines));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind(L"type #16 VERSION, name #1, language 0409, ", 0), 0u) << lines[0].c_str();
}

TEST_F(PackageKestrix, ARunningProgramCannotBeOpenedForUpdate) {
  const std::string exe = BoundCopy({});
  Start(exe, "");
  // What the utility's target check sees while a built program runs.
  EXPECT_TRUE(package_test::Opens(exe, "r"));
  EXPECT_FALSE(package_test::Opens(exe, "r+"));
}

}  // namespace
