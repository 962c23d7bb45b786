// The compile button and the run commands seen from outside: the real program
// drives the real conversion package on the real file system. A script is
// chosen in the open dialog with the debug window open, then built, run, or
// made to fail through the package's fault switches; the results are checked
// on screen, in the trace and on disk.

#include "tests/e2e/build_fixture.h"

namespace e2e {
namespace {

TEST_F(BuildTest, BuildsTheScriptIntoTheTemplateAndTidiesUp) {
  Project project;
  project.openDialog = true;
  ASSERT_TRUE(StartWith(project));
  EXPECT_FALSE(IsEnabled(utility().Control(IDC_RUN_EXE))) << "nothing built yet";
  ASSERT_TRUE(Compile());

  for (int button : {IDC_SELECT_RC, IDC_COMPILE, IDC_RUN_EXE}) {
    EXPECT_TRUE(IsEnabled(utility().Control(button))) << "button " << button;
  }
  for (const char* intermediate : {".res", ".rc.log", ".rc.original"}) {
    EXPECT_FALSE(FileExists(ProjectFile(intermediate))) << intermediate << " left behind";
  }

  // The trace from the target check on, without the poll lines, whose number depends on timing.
  std::vector<std::string> lines = utility().DebugLines();
  auto first = std::find(lines.begin(), lines.end(), ".exe file missing or in use");
  std::vector<std::string> trace;
  std::copy_if(first, lines.end(), std::back_inserter(trace), [](const std::string& line) { return !IsPollLine(line); });
  std::string dir = Scratch();
  EXPECT_EQ((std::vector<std::string>{
                ".exe file missing or in use",
                "Kestrix copied and renamed = " + dir + "menu.exe",
                "Waiting for completion of new menu.rc.log file",
                "New log file " + dir + "menu.rc.log completed",
                "Creating intermediate menu.res file",
                "New .res file " + dir + "menu.res completed",
                "Converting intermediate file to menu.exe file",
                "New .exe file " + dir + "menu.exe completed",
                dir + "menu.res file deleted",
                dir + "menu.rc.log file deleted",
                dir + "menu.rc.original file deleted",
            }),
            trace);

  // The program holds the script's resources beside the template's own version record.
  HMODULE program = LoadLibraryExW(ToWide(ProjectFile(".exe")).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program) << LastErrorText();
  EXPECT_NE(nullptr, FindResourceA(program, "MAINMENU", RT_MENU));
  EXPECT_NE(nullptr, FindResourceA(program, MAKEINTRESOURCEA(100), RT_DIALOG));
  EXPECT_NE(nullptr, FindResourceA(program, MAKEINTRESOURCEA(1), RT_VERSION));
  char text[64] = "";
  LoadStringA(program, 7, text, sizeof text);
  EXPECT_STREQ("Ready to order", text);
  // The utility's compile line does not ask for the script's own text.
  EXPECT_EQ(nullptr, FindResourceA(program, "MENU", "RCSCRIPT"));
  FreeLibrary(program);
}

TEST_F(BuildTest, RunExeStartsTheProgramWithTheTypedParametersOncePerPress) {
  ASSERT_TRUE(StartWith());
  ASSERT_TRUE(Compile());
  ASSERT_TRUE(SetText(utility().Control(IDC_RUN_PARAMETERS), "-user anna -fast"));
  HWND run = utility().Control(IDC_RUN_EXE);
  ASSERT_TRUE(Click(run));
  ASSERT_TRUE(WaitUntil([] { return KestrixWindows().size() == 1; }));
  ASSERT_TRUE(Click(run));
  ASSERT_TRUE(WaitUntil([] { return KestrixWindows().size() == 2; })) << "no second instance";

  std::vector<HWND> windows = KestrixWindows();
  EXPECT_NE(ProcessOf(windows[0]), ProcessOf(windows[1]));
  for (HWND window : windows) {
    EXPECT_EQ("-user anna -fast", ControlText(window, IDC_KESTRIX_PARAMETERS));
    EXPECT_EQ(ProjectFile(".exe"), ControlText(window, IDC_KESTRIX_PROGRAM));
  }
  EXPECT_EQ(2, CountLines("Run... " + ProjectFile(".exe") + " -user anna -fast"));
}

TEST_F(BuildTest, CompileAndRunStartsTheProgramAfterASuccessfulBuild) {
  Project project;
  project.iniLines = "RunMode=1\nRunDelay=1\nCommandLine=-auto";
  ASSERT_TRUE(StartWith(project));
  ASSERT_EQ(BST_CHECKED, CheckState(utility().Control(IDC_RUN_AFTER_COMPILE)));
  ASSERT_TRUE(Compile());

  ASSERT_TRUE(WaitUntil([] { return KestrixWindows().size() == 1; }));
  EXPECT_EQ("-auto", ControlText(KestrixWindows()[0], IDC_KESTRIX_PARAMETERS));
  std::vector<std::string> lines = utility().DebugLines();
  auto built = std::find(lines.begin(), lines.end(), "New .exe file " + ProjectFile(".exe") + " completed");
  EXPECT_NE(lines.end(), std::find(built, lines.end(), "Run... " + ProjectFile(".exe") + " -auto"))
      << "the run follows the build";
  EXPECT_TRUE(IsEnabled(utility().Control(IDC_RUN_EXE)));
}

TEST_F(BuildTest, CompilingWhileTheProgramRunsAsksToCloseIt) {
  ASSERT_TRUE(StartWith());
  ASSERT_TRUE(Compile());
  ASSERT_TRUE(Click(utility().Control(IDC_RUN_EXE)));
  ASSERT_TRUE(WaitUntil([] { return KestrixWindows().size() == 1; }));

  std::vector<std::string> trace;
  ASSERT_TRUE(CompileFailsWith(kCopyFailedCaption,
                               ProjectFile(".exe") + " application is still running. Please close it and try again",
                               &trace));
  EXPECT_EQ(".exe file missing or in use", trace.back());
  ASSERT_TRUE(WaitUntil([&] { return IsEnabled(utility().Control(IDC_COMPILE)); }));
  EXPECT_TRUE(utility().Answers()) << "the utility stays open";
  EXPECT_TRUE(IsEnabled(utility().Control(IDC_SELECT_RC)));
  EXPECT_FALSE(IsEnabled(utility().Control(IDC_RUN_EXE)));

  // Once the program is closed, the next build starts again from a fresh copy of the template.
  EndBuiltPrograms();
  ASSERT_TRUE(Compile());
  EXPECT_EQ(2, CountLines("Kestrix copied and renamed = " + ProjectFile(".exe")));
  EXPECT_TRUE(IsEnabled(utility().Control(IDC_RUN_EXE)));
}

TEST_F(BuildTest, ALateCheckerLogEndsTheUtilityWithoutSaving) {
  Project project;
  project.environment = {{"SARVEX_LOG_DELAY_MS", "3000"}};
  ASSERT_TRUE(StartWith(project));
  ASSERT_EQ("!!!", IniValue("RunMode"));
  ASSERT_TRUE(CompileFailsWith(kBuildFailedCaption, kCheckerFailed));
  EXPECT_TRUE(UtilityEnds());
  EXPECT_EQ("!!!", IniValue("RunMode")) << "an abort does not save the settings";
  // The checker did finish, after the poll had given up.
  std::optional<std::string> log;
  EXPECT_TRUE(WaitUntil([&] { return (log = ReadFileBytes(ProjectFile(".rc.log"))).has_value(); }));
  EXPECT_EQ(0u, log.value_or("").find("Sarvex syntax check of"));
}

TEST_F(BuildTest, AStaleLogNeverPassesTheWait) {
  ASSERT_TRUE(WriteFileBytes(ProjectFile(".rc.log"), "an earlier check\r\n"));
  Project project;
  project.environment = {{"SARVEX_NO_LOG", "1"}};
  ASSERT_TRUE(StartWith(project));
  std::vector<std::string> trace;
  ASSERT_TRUE(CompileFailsWith(kBuildFailedCaption, kCheckerFailed, &trace));
  EXPECT_TRUE(UtilityEnds());

  std::string log = ProjectFile(".rc.log");
  auto deleted = std::find(trace.begin(), trace.end(), log + " file deleted");
  auto waiting = std::find(trace.begin(), trace.end(), "Waiting for completion of new menu.rc.log file");
  EXPECT_LT(deleted, waiting) << "deleted before the checker starts";
  EXPECT_EQ(10, std::count_if(waiting, trace.end(), IsPollLine));
  EXPECT_EQ(0u, trace.back().find(log + " not available yet, 10 of 10 tries"));
  EXPECT_FALSE(FileExists(log));
  EXPECT_TRUE(FileExists(ProjectFile(".rc.original"))) << "the checker ran";
}

TEST_F(BuildTest, ARejectedScriptEndsTheUtilityAtTheResStepAndIsNotRun) {
  Project project;
  project.iniLines = "RunMode=1";
  project.script = kBrokenScript;
  ASSERT_TRUE(StartWith(project));
  ASSERT_TRUE(CompileFailsWith(kBuildFailedCaption, "RC File to RES File Conversion Failed \nConversion will be aborted"));
  EXPECT_TRUE(UtilityEnds());
  EXPECT_TRUE(KestrixWindows().empty()) << "a failed build is never run";
  EXPECT_FALSE(FileExists(ProjectFile(".res")));
  EXPECT_TRUE(FileExists(ProjectFile(".rc.log"))) << "the intermediates of a failed build stay";
  EXPECT_TRUE(FileExists(ProjectFile(".exe"))) << "the fresh template copy stays";
}

TEST_F(BuildTest, ATemplateGoneWithNoTargetEndsTheUtility) {
  Project project;
  project.kestrix = ScratchPath("KestRix.exe");
  ASSERT_TRUE(CopyFileW(ToWide(Tools().kestrix).c_str(), ToWide(project.kestrix).c_str(), FALSE));
  ASSERT_TRUE(StartWith(project));  // the start-up check found the template
  ASSERT_TRUE(DeleteFileW(ToWide(project.kestrix).c_str()));

  std::vector<std::string> trace;
  ASSERT_TRUE(CompileFailsWith(kCopyFailedCaption, "Error - Copy Path for Kestrix Not Found", &trace));
  EXPECT_EQ(".exe file missing or in use", trace.back());
  EXPECT_TRUE(UtilityEnds());
  EXPECT_FALSE(FileExists(ProjectFile(".exe")));
  EXPECT_FALSE(FileExists(ProjectFile(".rc.original"))) << "the checker never ran";
}

TEST_F(BuildTest, ToolPathsTooLongForTheCommandLinesRefuseTheBuild) {
  // About 1000 characters that name the real compiler: the start-up check can still read it.
  std::string brc32 = DirectoryOf(Tools().brc32);
  while (brc32.size() < 990) brc32 += ".\\";
  brc32 += "brc32.exe";
  ASSERT_TRUE(WriteFileBytes(ProjectFile(".res"), "stale"));
  Project project;
  project.brc32 = brc32;
  ASSERT_TRUE(StartWith(project));

  ASSERT_TRUE(CompileFailsWith(kCopyFailedCaption,
                               "The paths of the project or of the conversion tools are too long to build it. \n"
                               "Move the project or the tools nearer to Root and retry"));
  ASSERT_TRUE(WaitUntil([&] { return IsEnabled(utility().Control(IDC_COMPILE)); }));
  EXPECT_TRUE(utility().Answers()) << "the utility stays open";
  EXPECT_TRUE(IsEnabled(utility().Control(IDC_SELECT_RC)));
  EXPECT_FALSE(IsEnabled(utility().Control(IDC_RUN_EXE)));
  EXPECT_FALSE(FileExists(ProjectFile(".exe"))) << "nothing copied";
  EXPECT_TRUE(FileExists(ProjectFile(".res"))) << "nothing deleted";
  EXPECT_FALSE(FileExists(ProjectFile(".rc.original"))) << "nothing started";
}

}  // namespace
}  // namespace e2e
