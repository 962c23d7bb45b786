// The checker and the compiler as real processes on real files, started
// the way the utility starts them: Sarvex by a detached launch waited on for
// input idle and then polled for its log, and its findings window read from
// outside; brc32 through the command interpreter, with the utility's command
// lines. Each fault switch too, and the two tools' findings side by side.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "package/faults/fault_switches.h"
#include "package/rc/rc_compile.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"
#include "package/sarvex/sarvex_ids.h"
#include "package_test_support.h"

namespace {

using package::ResEntry;
using package::ResId;
using package_test::Contains;
using package_test::Launched;
using package_test::ScratchDir;
using package_test::ScopedEnvironment;

const char kGoodScript[] =
    "#include <windows.h>\r\n"
    "#define IDM_OPEN 101\r\n"
    "IDR_MENU MENU\r\n"
    "BEGIN\r\n"
    "  POPUP \"&File\"\r\n"
    "  BEGIN\r\n"
    "    MENUITEM \"&Open\", IDM_OPEN\r\n"
    "  END\r\n"
    "END\r\n";

// An unterminated string on line 4 and an END left over on line 7.
const char kBadScript[] =
    "1 MENU\r\n"
    "BEGIN\r\n"
    "  POPUP \"&File\"\r\n"
    "  MENUITEM \"&Open, 101\r\n"
    "END\r\n"
    "\r\n"
    "END\r\n";

constexpr DWORD kExitWaitMs = 10000;

// The project files as the utility names them: <dir><base> plus a suffix.
struct Project {
  const ScratchDir& dir;
  std::string base;
  std::string Path(const char* suffix) const { return dir.path() + base + suffix; }
};

std::string Format(const char* format, const std::string& tool, const Project& p) {
  char line[2048];
  snprintf(line, sizeof line, format, tool.c_str(), p.dir.path().c_str(), p.base.c_str(), p.dir.path().c_str(),
           p.base.c_str());
  return line;
}

// The utility's three command lines; the tool path is not quoted.
std::string CheckLine(const Project& p) {
  return Format("%s -f \"%s%s.rc\"", package_test::PackageProgram("Sarvex.exe"), p);
}
std::string CompileLine(const Project& p) {
  return Format("%s -r \"%s%s.rc\" -fo \"%s%s.res\"", package_test::PackageProgram("brc32.exe"), p);
}
std::string BindLine(const Project& p) {
  return Format("%s \"%s%s.res\" -w32 \"%s%s.exe\"", package_test::PackageProgram("brc32.exe"), p);
}

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
  EXPECT_TRUE(Contains(log, "Summary: 0 error(s), 0 warning(s) in 9 line(s); 2 resource(s)")) << log;
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

// ---- brc32

class PackageCompiler : public ::testing::Test {
 protected:
  void Write(const char* script) { ASSERT_TRUE(package_test::WriteBytes(project_.Path(".rc"), script)); }

  package_test::CommandResult Run(const std::string& line) {
    package_test::CommandResult r = package_test::RunThroughInterpreter(line, dir_);
    EXPECT_TRUE(r.finished) << line;
    return r;
  }

  std::string CopyTemplate() {
    const std::string exe = project_.Path(".exe");
    EXPECT_TRUE(CopyFileA(package_test::PackageProgram("KestRix.exe").c_str(), exe.c_str(), FALSE));
    return exe;
  }

  ScratchDir dir_;
  Project project_{dir_, "menu"};
};

TEST_F(PackageCompiler, CompilesAScriptIntoAResFileHoldingItsResourcesAndItsText) {
  Write(kGoodScript);
  const package_test::CommandResult r = Run(CompileLine(project_));
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  EXPECT_TRUE(Contains(r.output, "BRC32 resource compiler")) << r.output;
  EXPECT_TRUE(Contains(r.output, "Wrote " + project_.Path(".res") + ": 2 resource(s)")) << r.output;

  std::vector<ResEntry> entries;
  std::string error;
  ASSERT_TRUE(package::ReadResFile(project_.Path(".res"), entries, error)) << error;
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].type == ResId::Number(package::kRtMenu));
  EXPECT_TRUE(entries[0].name == ResId::Text("IDR_MENU"));
  EXPECT_TRUE(entries[1].type == ResId::Text(package::kScriptResourceType));
  EXPECT_TRUE(entries[1].name == ResId::Text("MENU"));
  EXPECT_EQ(std::string(entries[1].data.begin(), entries[1].data.end()), kGoodScript);
}

TEST_F(PackageCompiler, ASyntaxErrorIsPrintedWithFileAndLineAndLeavesNoResFile) {
  Write(kBadScript);
  ASSERT_TRUE(package_test::WriteBytes(project_.Path(".res"), "stale"));
  const package_test::CommandResult r = Run(CompileLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(Contains(r.output, project_.Path(".rc") + "(4): error: unterminated string literal")) << r.output;
  EXPECT_TRUE(Contains(r.output, project_.Path(".rc") + "(7): error: END without matching BEGIN")) << r.output;
  EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".res"), "r"), -1);
}

TEST_F(PackageCompiler, AStatementErrorIsPrintedAtItsLine) {
  Write("1 DIALOG 0, 0, 10, 10\r\nSTYLE WS_POPUP\r\nBEGIN\r\n  LTEXT \"x\", 1, 2, 3, 4\r\nEND\r\n");
  const package_test::CommandResult r = Run(CompileLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(Contains(r.output, project_.Path(".rc") + "(5): error: ',' expected")) << r.output;
  EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
}

// A script that is a directory, or that does not exist, is an error at
// line 0 of that path, with no .res left behind.
TEST_F(PackageCompiler, AScriptThatCannotBeReadIsAnErrorAndLeavesNoResFile) {
  for (bool directory : {true, false}) {
    SCOPED_TRACE(directory ? "a directory" : "no file");
    if (directory) {
      ASSERT_TRUE(CreateDirectoryA(project_.Path(".rc").c_str(), nullptr));
    }
    ASSERT_TRUE(package_test::WriteBytes(project_.Path(".res"), "stale"));
    const package_test::CommandResult r = Run(CompileLine(project_));
    EXPECT_EQ(r.exitCode, 1u) << r.output;
    EXPECT_TRUE(Contains(r.output, project_.Path(".rc") + "(0): error: ")) << r.output;
    EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
    if (directory) {
      ASSERT_TRUE(RemoveDirectoryA(project_.Path(".rc").c_str()));
    }
  }
}

TEST_F(PackageCompiler, WithNoResTheCompileStepWritesNothing) {
  ScopedEnvironment noRes(package::kBrc32NoRes, "1");
  Write(kGoodScript);
  ASSERT_TRUE(package_test::WriteBytes(project_.Path(".res"), "stale"));
  const package_test::CommandResult r = Run(CompileLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(Contains(r.output, package::kBrc32NoRes)) << r.output;
  EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
}

TEST_F(PackageCompiler, BindsTheResFileIntoTheExecutable) {
  Write(kGoodScript);
  const std::string exe = CopyTemplate();
  ASSERT_EQ(Run(CompileLine(project_)).exitCode, 0u);
  const package_test::CommandResult r = Run(BindLine(project_));
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  EXPECT_TRUE(Contains(r.output, "Bound 2 resource(s) into " + exe)) << r.output;
  EXPECT_EQ(package_test::PollAsUtility(exe, "r+"), 0);
  EXPECT_FALSE(package_test::Exists(package::BindTemporaryPath(exe)));

  HMODULE image = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  HRSRC script = FindResourceExW(image, L"RCSCRIPT", L"MENU", 0);
  ASSERT_NE(script, nullptr);
  EXPECT_EQ(SizeofResource(image, script), sizeof kGoodScript - 1);
  HMENU menu = LoadMenuW(image, L"IDR_MENU");
  EXPECT_NE(menu, nullptr);
  if (menu) DestroyMenu(menu);
  FreeLibrary(image);
}

TEST_F(PackageCompiler, WithNoBindTheBindStepLeavesNoWritableExecutable) {
  ScopedEnvironment noBind(package::kBrc32NoBind, "1");
  Write(kGoodScript);
  CopyTemplate();
  ASSERT_EQ(Run(CompileLine(project_)).exitCode, 0u);
  const package_test::CommandResult r = Run(BindLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(Contains(r.output, package::kBrc32NoBind)) << r.output;
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".exe"), "r+"), -1);
}

// A bind that fails removes its target: the utility judges the bind by that file.
TEST_F(PackageCompiler, AFailedBindReportsAndDeletesTheExecutable) {
  enum class Spoil { RemoveRes, EmptyRes, TextTemplate };
  const struct {
    const char* what;
    Spoil spoil;
  } cases[] = {{"no .res", Spoil::RemoveRes}, {"a .res of 0 bytes", Spoil::EmptyRes},
               {"a template that is not a program", Spoil::TextTemplate}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string exe = CopyTemplate();
    Write(kGoodScript);
    ASSERT_EQ(Run(CompileLine(project_)).exitCode, 0u);
    const std::string res = project_.Path(".res");
    if (c.spoil == Spoil::RemoveRes) {
      ASSERT_TRUE(DeleteFileA(res.c_str()));
    }
    if (c.spoil == Spoil::EmptyRes) {
      ASSERT_TRUE(package_test::WriteBytes(res, ""));
    }
    if (c.spoil == Spoil::TextTemplate) {
      ASSERT_TRUE(package_test::WriteBytes(exe, "not a program\r\n"));
    }
    const package_test::CommandResult r = Run(BindLine(project_));
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(Contains(r.output, "error: ")) << r.output;
    EXPECT_TRUE(Contains(r.output, "Bind failed: " + exe + " deleted")) << r.output;
    EXPECT_EQ(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(PackageCompiler, AnUnreadableCommandLineGetsTheUsage) {
  const package_test::CommandResult r = Run(package_test::PackageProgram("brc32.exe") + " -q");
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_TRUE(Contains(r.output, "usage:")) << r.output;
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
