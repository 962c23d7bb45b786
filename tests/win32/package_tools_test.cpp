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
#include "package/rc/rc_compile.h"
#include "package/rc/rc_files.h"
#include "package/sarvex/sarvex_findings.h"
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

std::string ControlText(HWND window, int id) {
  wchar_t text[512] = L"";
  SendMessageTimeoutW(GetDlgItem(window, id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      kAnswerMs, nullptr);
  return Narrow(text);
}

// The log's fault lines ("file(line,column): error: ..."), without the line ends.
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
  const std::vector<std::string> faults = {
      project_.Path(".rc") + "(4,3): error: BEGIN expected for the menu items, found 'MENUITEM'",
      project_.Path(".rc") + "(7,1): error: END without matching BEGIN"};
  EXPECT_EQ(ErrorLines(log), faults) << log;
  EXPECT_TRUE(Contains(log, "Summary: 2 error(s), 0 warning(s) in 7 line(s); script rejected")) << log;

  HWND window = WaitForFindingsWindow(launched_.processId);
  ASSERT_NE(window, nullptr) << "no findings window";
  EXPECT_EQ(Title(window), "menu.rc - 2 error(s), 0 warning(s)");
  EXPECT_EQ(Rows(window), faults);
  // Below the list, the selected finding's line with a caret under its column.
  const std::string sources[] = {"  MENUITEM \"&Open\", 101\r\n  ^", "END\r\n^"};
  EXPECT_EQ(ControlText(window, IDC_FINDINGS_SOURCE), sources[0]);
  SendMessageTimeoutW(GetDlgItem(window, IDC_FINDINGS_LIST), LB_SETCURSEL, 1, 0, SMTO_ABORTIFHUNG, kAnswerMs, nullptr);
  SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(IDC_FINDINGS_LIST, LBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_FINDINGS_LIST)), SMTO_ABORTIFHUNG, kAnswerMs,
                      nullptr);
  EXPECT_EQ(ControlText(window, IDC_FINDINGS_SOURCE), sources[1]);
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

// The faulty scripts of tests/win32/data/rc_faults: each begins with one
// comment line per error it must give, in order, "// <file>(<line>,<column>):
// <part of the message>". Each goes through brc32, Sarvex and the compiler
// library: brc32 prints exactly the errors the log lists, which are the
// findings window's rows; each at its file, line and column, the first
// followed by its line and a caret. Two scripts made here join them: binary
// garbage, and more errors than are shown.
TEST(PackageFindings, EachFaultyScriptGivesItsErrorsAtTheirColumnsInTheLogTheRowsAndBrc32) {
  const std::string folder = package_test::SourceFile("tests/win32/data/rc_faults");
  ScratchDir dir;
  std::vector<std::string> scripts;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << folder;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ASSERT_TRUE(CopyFileA((folder + "\\" + found.cFileName).c_str(),
                          (dir / found.cFileName).c_str(), FALSE));
    const std::string name = found.cFileName;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".rc") == 0) scripts.push_back(name);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  ASSERT_GE(scripts.size(), 20u);

  std::string garbage = "// garbage.rc(3,2): unexpected character 0x83\n1 RCDATA { 1 }\n",
              ends = "// ends.rc(2,1): END without matching BEGIN\n";
  for (int i = 0; i < 256; ++i) garbage.push_back(static_cast<char>((i * 131) & 0xFF));
  for (int i = 0; i < 150; ++i) ends += "END\n";
  ASSERT_TRUE(package_test::WriteBytes(dir / "garbage.rc", garbage));
  ASSERT_TRUE(package_test::WriteBytes(dir / "ends.rc", ends));
  scripts.push_back("garbage.rc");
  scripts.push_back("ends.rc");

  ScopedEnvironment noWindow(package::kSarvexNoWindow, "1");
  for (const std::string& name : scripts) {
    SCOPED_TRACE(name);
    const Project project{dir, name.substr(0, name.size() - 3)};
    std::string text;
    ASSERT_TRUE(package_test::ReadBytes(project.Path(".rc"), text));
    // The expected errors: "<file>(<line>,<column>): <part>" per comment line.
    std::vector<std::pair<std::string, std::string>> expected;
    for (size_t at = 0;
         text.compare(at, 3, "// ") == 0 && text.find("): ", at) < text.find('\n', at);
         at = text.find('\n', at) + 1) {
      const size_t close = text.find("): ", at);
      expected.emplace_back(dir.path() + text.substr(at + 3, close + 1 - at - 3) + ": error: ",
                            text.substr(close + 3, text.find('\n', at) - close - 3));
    }
    ASSERT_FALSE(expected.empty()) << "no expected error on the first line";

    Launched checker = package_test::LaunchAsUtility(CheckLine(project), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(checker.started);
    EXPECT_TRUE(package_test::WaitForExit(checker, kExitWaitMs));
    std::string log;
    ASSERT_TRUE(package_test::ReadBytes(project.Path(".rc.log"), log));
    const package_test::CommandResult compiled = package_test::RunThroughInterpreter(CompileLine(project), dir);
    EXPECT_EQ(compiled.exitCode, 1u) << compiled.output;
    EXPECT_FALSE(package_test::Exists(project.Path(".res")));

    package::CompiledScript result;
    EXPECT_FALSE(package::CompileScript(project.Path(".rc"), text, package::ReadTextFile, result));
    const package::Findings findings =
        package::CollectFindings(project.Path(".rc"), true, result.diagnostics);
    std::vector<std::string> rows;
    for (const package::Diagnostic& d : findings.rows) rows.push_back(package::FormatDiagnostic(d));

    const std::vector<std::string> listed = ErrorLines(log);
    EXPECT_EQ(listed, ErrorLines(compiled.output));
    EXPECT_EQ(listed, rows);
    if (name == "ends.rc") {
      ASSERT_EQ(listed.size(), 101u);
      EXPECT_TRUE(Contains(listed[100], "(102,1): error: 50 more error(s) not shown"))
          << listed[100];
    } else if (name == "garbage.rc") {
      ASSERT_GT(listed.size(), 1u);  // the lexer reports every stray character in one pass
    } else {
      ASSERT_EQ(listed.size(), expected.size()) << log;
    }
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(listed[i].rfind(expected[i].first, 0), 0u)
          << listed[i] << "\nexpected " << expected[i].first;
      EXPECT_TRUE(Contains(listed[i], expected[i].second))
          << listed[i] << "\nexpected " << expected[i].second;
    }
    // The first error's line and a caret under its column follow it.
    const package::Diagnostic& first = findings.rows[0];
    ASSERT_FALSE(first.text.empty());
    EXPECT_TRUE(Contains(log, package::FormatDiagnosticWithSource(first, "\r\n") + "\r\n")) << log;
    EXPECT_EQ(package::FindingSource(first), package::SourceExcerpt(first, "\r\n"));
  }
}

}  // namespace
