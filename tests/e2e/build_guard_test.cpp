// What keeps a build honest, seen from outside: a bind that fails for any
// reason is told as a failure, not as a finished program; project paths with
// the command interpreter's signs reach the tools intact; and the compile
// command runs once per press, never for clicks made while a build runs, and
// never without a validated script.

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

class BuildGuardTest : public BuildTest {
 protected:
  // Ends the utility of the case before, so the next can start with its own INI.
  void EndUtility() { utility().process().Terminate(); }

  // Toggles "Compile and Run" with a posted command and waits for its trace
  // line: every message posted earlier has been handled by then.
  ::testing::AssertionResult DrainPostedInput() {
    std::string line = "Run Flag = 1";
    size_t before = static_cast<size_t>(CountLines(line));
    if (!PostCommand(utility().Panel(), IDC_RUN_AFTER_COMPILE)) return ::testing::AssertionFailure() << "cannot post";
    if (!WaitUntil([&] { return static_cast<size_t>(CountLines(line)) > before; })) {
      return ::testing::AssertionFailure() << "the posted toggle was never handled:\n" << utility().Describe();
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

TEST_F(BuildGuardTest, ClicksAndKeysQueuedDuringABuildStartNoOtherBuild) {
  Project project;
  project.environment = {{"SARVEX_LOG_DELAY_MS", "600"}};  // a build long enough to click into
  ASSERT_TRUE(StartWith(project));
  ASSERT_TRUE(PressCompile());
  HWND compile = utility().Control(IDC_COMPILE);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(PostMouseClick(compile));
    ASSERT_TRUE(PressKey(compile, VK_SPACE));
  }
  ASSERT_FALSE(IsEnabled(compile)) << "the clicks went in while the build ran";
  ASSERT_TRUE(WaitUntil([&] { return IsEnabled(compile) || FindMessageBox(utility().Id()); }));
  ASSERT_TRUE(DrainPostedInput());
  ASSERT_TRUE(utility().Answers());

  EXPECT_EQ(1, CountLines(kWaitingLine)) << "one build for one press";
  EXPECT_FALSE(FindMessageBox(utility().Id()));
  EXPECT_TRUE(IsEnabled(compile));
  EXPECT_TRUE(IsEnabled(utility().Control(IDC_RUN_EXE)));

  // The buttons still answer a press made after the build.
  ASSERT_TRUE(Compile());
  EXPECT_EQ(2, CountLines(kWaitingLine));
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
    EXPECT_EQ(lines + 1, trace.size()) << "only the toggle's line: " << trace.back();
    EXPECT_FALSE(FileExists(work + ".exe"));
    EXPECT_FALSE(FileExists(ProjectFile(".exe")));
    EXPECT_FALSE(FindMessageBox(utility().Id()));
    EXPECT_TRUE(utility().process().Running());
  }
}

}  // namespace
}  // namespace e2e
