// The checker as a real process on real files, started the way the utility
// starts it: a detached launch waited on for input idle and then polled for
// its log, and its findings window read from outside; its fault switches; and
// its findings beside the compiler's (brc32's own tests: package_brc32_test).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "package/faults/fault_switches.h"
#include "package/sarvex/sarvex_ids.h"
#include "package_test_support.h"
#include "package_tools_support.h"

namespace {

using package_test::Contains;
using package_test::Launched;
using package_test::ScratchDir;
using package_test::ScopedEnvironment;

using namespace package_tools;

// ---- Sarvex

constexpr DWORD kAnswerMs = 5000;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The visible findings window of process `pid`, or null.
HWND FindingsWindow(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        Search* s = reinterpret_cast<Search*>(param);
        char name[64] = "";
        DWORD owner = 0;
        GetClassNameA(window, name, sizeof name);
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->pid && IsWindowVisible(window) && strcmp(name, SARVEX_FINDINGS_CLASS) == 0) s->found = window;
        return s->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForFindingsWindow(DWORD pid) {
  HWND window = nullptr;
  package_test::WaitUntil([&] { return (window = FindingsWindow(pid)) != nullptr; }, kExitWaitMs);
  return window;
}

std::string Title(HWND window) {
  wchar_t text[512] = L"";
  GetWindowTextW(window, text, 512);
  return Narrow(text);
}

// The list's rows, read with the W messages that cross processes under Wine.
std::vector<std::string> Rows(HWND window) {
  HWND list = GetDlgItem(window, IDC_FINDINGS_LIST);
  DWORD_PTR count = 0;
  std::vector<std::string> rows;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count)) return rows;
  for (WPARAM i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, kAnswerMs, &copied);
    rows.push_back(Narrow(text.substr(0, copied)));
  }
  return rows;
}

// The log's fault lines ("file(line): error: ..."), without the line ends.
std::vector<std::string> ErrorLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Contains(line, "): error: ")) lines.push_back(line);
  }
  return lines;
}

class PackageChecker : public ::testing::Test {
 protected:
  void Write(const char* script) { ASSERT_TRUE(package_test::WriteBytes(project_.Path(".rc"), script)); }

  void Launch() { Launch(launched_); }
  void Launch(Launched& launched) {
    launched = package_test::LaunchAsUtility(CheckLine(project_), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(launched.started);
  }

  // Presses "Close" on the findings window and waits for the checker to end.
  DWORD Close(HWND window) {
    PostMessageW(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    return Finish();
  }

  // Waits for the checker to end and gives its exit code.
  DWORD Finish() {
    DWORD code = 0xFFFFFFFF;
    EXPECT_EQ(WaitForSingleObject(launched_.process, kExitWaitMs), WAIT_OBJECT_0) << "the checker did not end";
    GetExitCodeProcess(launched_.process, &code);
    package_test::WaitForExit(launched_, 0);
    return code;
  }

  void TearDown() override { package_test::WaitForExit(launched_, kExitWaitMs); }

  ScratchDir dir_;
  Project project_{dir_, "menu"};
  Launched launched_;
};

TEST_F(PackageChecker, LeavesItsLogBeforeItIsIdleAndEndsPromptly) {
  Write(kGoodScript);
  Launch();
  EXPECT_EQ(launched_.idleResult, 0u);
  // Far from the 30 s bound: the checker waits on its queue at once.
  EXPECT_LT(launched_.idleMs, 5000u);
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".rc.log"), "r"), 0) << "not there on the first look";
  EXPECT_EQ(Finish(), 0u);

  std::string log, original;
  ASSERT_TRUE(package_test::ReadBytes(project_.Path(".rc.log"), log));
  EXPECT_TRUE(Contains(log, "Summary: 0 error(s), 0 warning(s) in 9 line(s); 1 resource(s)")) << log;
  ASSERT_TRUE(package_test::ReadBytes(project_.Path(".rc.original"), original));
  EXPECT_EQ(original, kGoodScript);
}

// The log as before, then the findings window: restored although launched
// minimised, not active, both rows as in the log; it stays until closed.
TEST_F(PackageChecker, ListsEachFaultWithItsLineInTheLogAndInItsWindow) {
  Write(kBadScript);
  Launch();
  EXPECT_EQ(launched_.idleResult, 0u);
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".rc.log"), "r"), 0);

  std::string log;
  ASSERT_TRUE(package_test::ReadBytes(project_.Path(".rc.log"), log));
  const std::vector<std::string> faults = {project_.Path(".rc") + "(4): error: unterminated string literal",
                                           project_.Path(".rc") + "(7): error: END without matching BEGIN"};
  EXPECT_EQ(ErrorLines(log), faults) << log;
  EXPECT_TRUE(Contains(log, "Summary: 2 error(s), 0 warning(s) in 7 line(s); script rejected")) << log;

  HWND window = WaitForFindingsWindow(launched_.processId);
  ASSERT_NE(window, nullptr) << "no findings window";
  EXPECT_EQ(Title(window), "menu.rc - 2 error(s), 0 warning(s)");
  EXPECT_EQ(Rows(window), faults);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_NE(GetForegroundWindow(), window) << "it took the focus";
  // Centred on the screen; Enter is "Open Script".
  RECT r = {};
  GetWindowRect(window, &r);
  EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
  EXPECT_EQ(LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0)), IDC_FINDINGS_OPEN);
  EXPECT_EQ(WaitForSingleObject(launched_.process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "it did not stay";

  // "Copy": every row on the clipboard, one a line.
  SendMessageTimeoutW(GetDlgItem(window, IDC_FINDINGS_COPY), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, nullptr);
  std::string copied;
  if (OpenClipboard(nullptr)) {
    HANDLE text = GetClipboardData(CF_TEXT);
    const char* bytes = text ? static_cast<const char*>(GlobalLock(text)) : nullptr;
    if (bytes) copied = bytes;
    if (text) GlobalUnlock(text);
    CloseClipboard();
  }
  EXPECT_EQ(copied, faults[0] + "\r\n" + faults[1] + "\r\n");
  EXPECT_EQ(Close(window), 1u);
}

TEST_F(PackageChecker, AScriptThatCannotBeReadStillGetsALog) {
  Launch();
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".rc.log"), "r"), 0);
  std::string log;
  ASSERT_TRUE(package_test::ReadBytes(project_.Path(".rc.log"), log));
  EXPECT_TRUE(Contains(log, "error: cannot read the script")) << log;
  EXPECT_FALSE(package_test::Exists(project_.Path(".rc.original")));
  HWND window = WaitForFindingsWindow(launched_.processId);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Rows(window), ErrorLines(log));
  // Escape closes it as "Close" does.
  PostMessageW(GetDlgItem(window, IDC_FINDINGS_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(Finish(), 1u);
}

TEST_F(PackageChecker, ALaterRunForTheSameScriptClosesTheEarlierWindow) {
  Write(kBadScript);
  Launch();
  HWND first = WaitForFindingsWindow(launched_.processId);
  ASSERT_NE(first, nullptr);
  Launched later;
  Launch(later);
  EXPECT_EQ(Finish(), 1u) << "the earlier run is still there";
  EXPECT_FALSE(IsWindow(first));
  launched_ = later;
  HWND second = WaitForFindingsWindow(launched_.processId);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Close(second), 1u);
}

TEST_F(PackageChecker, WarningsAloneShowNoWindow) {
  // A font named by a word is left out of the font directory: a warning, not an error.
  ASSERT_TRUE(package_test::WriteBytes(dir_.path() + "f.fnt", std::string("\x00\x02", 2) + std::string(200, '\0')));
  Write("F FONT \"f.fnt\"\r\n");
  Launch();
  EXPECT_EQ(Finish(), 0u);
  std::string log;
  ASSERT_TRUE(package_test::ReadBytes(project_.Path(".rc.log"), log));
  EXPECT_TRUE(Contains(log, "Summary: 0 error(s), 1 warning(s)")) << log;
}

TEST_F(PackageChecker, WithALogDelayItIsIdleFirstAndTheUtilitysPollMissesTheLog) {
  constexpr DWORD kDelayMs = 2500;
  ScopedEnvironment delay(package::kSarvexLogDelayMs, "2500");
  Write(kGoodScript);
  const DWORD start = GetTickCount();
  Launch();
  EXPECT_EQ(launched_.idleResult, 0u);
  EXPECT_LT(launched_.idleMs, kDelayMs) << "idle came only after the delay";
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".rc.log"), "r"), -1);
  EXPECT_TRUE(package_test::WaitUntil([&] { return package_test::Opens(project_.Path(".rc.log"), "r"); }, 15000));
  EXPECT_GE(GetTickCount() - start, kDelayMs);
  EXPECT_EQ(Finish(), 0u);
}

TEST_F(PackageChecker, WithNoLogItNeverWritesOne) {
  ScopedEnvironment noLog(package::kSarvexNoLog, "1");
  Write(kGoodScript);
  Launch();
  EXPECT_EQ(launched_.idleResult, 0u);
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".rc.log"), "r"), -1);
  Finish();
  EXPECT_FALSE(package_test::Exists(project_.Path(".rc.log")));
  EXPECT_TRUE(package_test::Exists(project_.Path(".rc.original")));
}

// ---- The two tools' findings

// The faults of the compiler's own fault tests, a fault in an included file
// among them: the checker lists exactly the errors brc32 prints, the first
// at the file and line that hold it.
TEST(PackageFindings, TheCheckerListsWhatTheCompilerRefusesAtTheSameFileAndLine) {
  std::string garbage = "1 RCDATA { 1 }\n", ends;
  for (int i = 0; i < 256; ++i) garbage.push_back(static_cast<char>((i * 131) & 0xFF));
  for (int i = 0; i < 150; ++i) ends += "END\n";
  const struct {
    const char* what;
    std::string script;
    std::string part;  // part.rc, when the script includes it
    const char* file;  // holding the first error
    int line;
  } cases[] = {
      {"an unterminated string", "1 RCDATA\nBEGIN\n  \"fine\",\n  \"broken,\nEND\n", "", "menu.rc", 4},
      {"a BEGIN left open", "1 MENU\nBEGIN\n  POPUP \"x\"\n  BEGIN\n    MENUITEM \"a\", 1\nEND\n", "", "menu.rc", 2},
      {"a missing comma in a control", "1 DIALOG 0, 0, 10, 10\nSTYLE WS_POPUP\nBEGIN\n  LTEXT \"x\", 1, 2, 3, 4\nEND\n",
       "", "menu.rc", 5},
      {"a statement file that is not there", "\n#include \"project.ver\"\n", "", "menu.rc", 2},
      {"binary garbage", garbage, "", "menu.rc", 2},
      {"a coordinate beyond 16 bits in an included file", "#include \"part.rc\"\n",
       "\n\n1 DIALOG 0, 65536, 10, 10\nBEGIN\nEND\n", "part.rc", 3},
      {"more than 100 errors", ends, "", "menu.rc", 1},
  };
  ScopedEnvironment noWindow(package::kSarvexNoWindow, "1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const Project project{dir, "menu"};
    ASSERT_TRUE(package_test::WriteBytes(project.Path(".rc"), c.script));
    if (!c.part.empty()) {
      ASSERT_TRUE(package_test::WriteBytes(dir / "part.rc", c.part));
    }

    Launched checker = package_test::LaunchAsUtility(CheckLine(project), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(checker.started);
    EXPECT_TRUE(package_test::WaitForExit(checker, kExitWaitMs));
    std::string log;
    ASSERT_TRUE(package_test::ReadBytes(project.Path(".rc.log"), log));
    const package_test::CommandResult compiled = package_test::RunThroughInterpreter(CompileLine(project), dir);
    EXPECT_EQ(compiled.exitCode, 1u) << compiled.output;

    const std::vector<std::string> listed = ErrorLines(log);
    EXPECT_EQ(listed, ErrorLines(compiled.output));
    ASSERT_FALSE(listed.empty()) << log;
    EXPECT_EQ(listed[0].rfind((dir / c.file) + "(" + std::to_string(c.line) + "): error: ", 0), 0u) << listed[0];
  }
}

}  // namespace
