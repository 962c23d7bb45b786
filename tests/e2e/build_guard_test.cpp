// What keeps a build honest, seen from outside: a bind that fails for any
// reason is told as a failure, not as a finished program; project paths with
// the command interpreter's signs reach the tools intact; and the compile
// command runs once per press, never for presses made while a build runs
// (clicks, keys, posted clicks or commands), and never without a validated script.

#include <functional>

#include "tests/e2e/build_fixture.h"

namespace e2e {
namespace {

constexpr char kBindFailed[] = "RES File to EXE File Conversion Failed \nConversion will be aborted";
constexpr char kWaitingLine[] = "Waiting for completion of new menu.rc.log file";

// Posts a person's mouse click (button down and up inside it) to a control,
// whether or not it is enabled: queued input is what the build must not act on.
bool PostMouseClick(HWND control) {
  LPARAM inside = MAKELPARAM(4, 4);
  return PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, inside) && PostMessageW(control, WM_LBUTTONUP, 0, inside);
}

// Posts BM_CLICK as accessibility and automation tools do, enabled or not.
bool PostButtonClick(HWND button) { return PostMessageW(button, BM_CLICK, 0, 0) != FALSE; }

class BuildGuardTest : public BuildTest {
 protected:
  // Ends the utility of the case before, so the next can start with its own INI.
  void EndUtility() { utility().process().Terminate(); }

  // Toggles "Compile and Run" twice with posted commands, leaving it as it was,
  // and waits for both trace lines: every message posted earlier has been handled by then.
  ::testing::AssertionResult DrainPostedInput() {
    auto toggles = [&] {
      std::vector<std::string> lines = utility().DebugLines();
      return std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Run Flag = ", 0) == 0; });
    };
    auto before = toggles();
    for (int i = 0; i < 2; ++i) {
      if (!PostCommand(utility().Panel(), IDC_RUN_AFTER_COMPILE)) return ::testing::AssertionFailure() << "cannot post";
    }
    if (!WaitUntil([&] { return toggles() >= before + 2; })) {
      return ::testing::AssertionFailure() << "the posted toggles were never handled:\n" << utility().Describe();
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_F(BuildGuardTest, EveryFailedBindEndsTheUtilityAtTheExeStepWithoutAProgram) {
  // A batch file in the compiler's place that writes an empty .res and hands the bind to the real one.
  const std::string emptyRes = "@echo off\r\nif \"%~1\"==\"-r\" (\r\n  type nul > \"%~4\"\r\n  exit /b 0\r\n)\r\n\"" +
                               Tools().brc32 + "\" %*\r\n";
  struct Case {
    const char* name;
    Environment environment;
    std::string kestrixText;  // non-empty: the template is this text file
    std::string brc32Batch;   // non-empty: the compiler is this batch file
  };
  const Case cases[] = {
      {"the binder's own fault switch", {{"BRC32_NO_BIND", "1"}}, "", ""},
      {"a .res of 0 bytes", {}, "", emptyRes},
      {"a template that is not a program", {}, "KestRix template\r\n", ""},
      {"a crash inside the resource update", {{"BRC32_END_MID_BIND", "1"}}, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EndUtility();
    Project project;
    project.environment = c.environment;
    if (!c.kestrixText.empty()) {
      project.kestrix = ScratchPath("KestRix.exe");
      ASSERT_TRUE(WriteFileBytes(project.kestrix, c.kestrixText));
    }
    if (!c.brc32Batch.empty()) {
      project.brc32 = ScratchPath("brc32.cmd");
      ASSERT_TRUE(WriteFileBytes(project.brc32, c.brc32Batch));
    }
    ASSERT_TRUE(StartWith(project));
    std::vector<std::string> trace;
    ASSERT_TRUE(CompileFailsWith(kBuildFailedCaption, kBindFailed, &trace));
    EXPECT_TRUE(UtilityEnds());
    EXPECT_NE(trace.end(), std::find(trace.begin(), trace.end(), "New .res file " + ProjectFile(".res") + " completed"));
    EXPECT_EQ(trace.end(), std::find(trace.begin(), trace.end(), "New .exe file " + ProjectFile(".exe") + " completed"));
    EXPECT_FALSE(FileExists(ProjectFile(".exe"))) << "nothing that looks built is left";
    EXPECT_TRUE(FileExists(ProjectFile(".res"))) << "the intermediates of a failed build stay";
  }
}

TEST_F(BuildGuardTest, TheInterpretersSignsInTheProjectPathReachTheToolsIntact) {
  Project project;
  project.dir = "p(1)&x!\\";
  project.openDialog = true;
  ASSERT_TRUE(StartWith(project));
  ASSERT_TRUE(Compile());
  HMODULE program = LoadLibraryExW(ToWide(ProjectFile(".exe")).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program) << LastErrorText();
  EXPECT_NE(nullptr, FindResourceA(program, "MAINMENU", RT_MENU)) << "the script itself was compiled";
  FreeLibrary(program);
  EXPECT_FALSE(FileExists(ProjectFile(".res")));
  EXPECT_TRUE(IsEnabled(utility().Control(IDC_RUN_EXE)));
}

TEST_F(BuildGuardTest, PressesQueuedDuringABuildStartNoOtherBuildOrRun) {
  Project project;
  project.environment = {{"SARVEX_LOG_DELAY_MS", "600"}};  // a build long enough to press into
  ASSERT_TRUE(StartWith(project));
  HWND compile = utility().Control(IDC_COMPILE);
  HWND runExe = utility().Control(IDC_RUN_EXE);
  const struct {
    const char* name;
    std::function<bool()> press;  // made twice during the build
  } cases[] = {
      {"a person's click and Space on Mivo Compile", [&] { return PostMouseClick(compile) && PressKey(compile, VK_SPACE); }},
      {"a click posted to Mivo Compile (BM_CLICK)", [&] { return PostButtonClick(compile); }},
      {"Mivo Compile's command posted to the panel", [&] { return PostCommand(utility().Panel(), IDC_COMPILE); }},
      {"a click posted to Run exe... (BM_CLICK)", [&] { return PostButtonClick(runExe); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int builds = CountLines(kWaitingLine);
    ASSERT_TRUE(PressCompile());
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(c.press());
    ASSERT_FALSE(IsEnabled(compile)) << "the presses went in while the build ran";
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(compile) || FindMessageBox(utility().Id()); }));
    ASSERT_TRUE(DrainPostedInput());
    ASSERT_TRUE(utility().Answers());

    EXPECT_EQ(builds + 1, CountLines(kWaitingLine)) << "one build for one press";
    std::vector<std::string> trace = utility().DebugLines();
    EXPECT_EQ(0, std::count_if(trace.begin(), trace.end(), [](const std::string& l) { return l.rfind("Run... ", 0) == 0; }))
        << "no program started";
    EXPECT_FALSE(FindMessageBox(utility().Id()));
    EXPECT_TRUE(IsEnabled(compile));
    EXPECT_TRUE(IsEnabled(runExe));
  }
  EndBuiltPrograms();

  // The buttons still answer a press made after the build.
  int builds = CountLines(kWaitingLine);
  ASSERT_TRUE(Compile());
  EXPECT_EQ(builds + 1, CountLines(kWaitingLine));
}

TEST_F(BuildGuardTest, ACompileCommandWithNothingValidatedDoesNothing) {
  // Nothing adopted at start, or a script refused at its type (its pieces are all new).
  ASSERT_TRUE(WriteFileBytes(ProjectFile(".rc2"), kScript));
  std::string work = ScratchPath("work\\");
  ASSERT_TRUE(MakeDirectories(work));
  for (const std::string& last : {std::string("None"), ProjectFile(".rc2")}) {
    SCOPED_TRACE(last);
    EndUtility();
    ASSERT_TRUE(WriteIni(StandardIni("DebugMode=1\nLastFile=" + last)));
    LaunchOptions options;
    options.workingDirectory = work;
    ASSERT_TRUE(StartUtility(options));
    ASSERT_TRUE(utility().WaitForDebugWindow());
    ASSERT_FALSE(IsEnabled(utility().Control(IDC_COMPILE)));
    size_t lines = utility().DebugLines().size();

    ASSERT_TRUE(PostCommand(utility().Panel(), IDC_COMPILE));
    ASSERT_TRUE(DrainPostedInput());
    std::vector<std::string> trace = utility().DebugLines();
    EXPECT_EQ(lines + 2, trace.size()) << "only the toggles' lines: " << trace.back();
    EXPECT_FALSE(FileExists(work + ".exe"));
    EXPECT_FALSE(FileExists(ProjectFile(".exe")));
    EXPECT_FALSE(FindMessageBox(utility().Id()));
    EXPECT_TRUE(utility().process().Running());
  }
}

}  // namespace
}  // namespace e2e
