// The build behind the compile button. The double's process and interpreter
// hooks stand in for the checker and the resource compiler: each writes the
// files the real tool would leave.
#include "build/pipeline.h"

#include <algorithm>
#include <functional>

#include "app/text.h"
#include "build/tools.h"
#include "config/configuration.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

constexpr const char* kScript = "C:\\proj\\menu.rc";
constexpr const char* kProject = "C:\\proj\\menu";
constexpr const char* kBuildFailedCaption = "****   Conversion Process Failed    ****";

size_t CountContaining(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.find(part) != std::string::npos;
  }));
}

class BuildTest : public UtilityTest {
 protected:
  // What the stand-in tools do when they run.
  struct Tools {
    bool writesLog = true;
    bool writesOriginal = true;
    bool writesRes = true;
    bool leavesExeWritable = true;
  } tools;

  void SetUp() override {
    UtilityTest::SetUp();
    Prepare(kScript);
  }

  void Prepare(const std::string& script) {
    fake::Reset();
    ResetUtilityState();
    tools = Tools{};
    InstallDefaultTools();
    fake::AddFile(kDefaultTemplatePath, "template");
    StartUtility();
    ShowDebugWindow();
    AdoptScript(script);
    ClearDebugLog();
    fake::world().events.clear();
    fake::world().onCreateProcess = [this](const fake::ProcessCall& call) {
      if (call.commandLine.rfind(state.checkerPath, 0) == 0) {
        if (tools.writesOriginal) fake::AddFile(Project() + ".rc.original");
        if (tools.writesLog) fake::AddFile(Project() + ".rc.log");
      }
      return true;
    };
    fake::world().onRunCommand = [this](const std::string& line) {
      if (line.find(" -r ") != std::string::npos) {
        if (tools.writesRes) fake::AddFile(Project() + ".res", "resources");
      } else if (line.find(" -w32 ") != std::string::npos) {
        fake::File* exe = fake::FindFile(Project() + ".exe");
        if (exe == nullptr) return;
        exe->content += "+resources";
        exe->readOnly = !tools.leavesExeWritable;
      }
    };
    // Sleeps join the event record so their place among the other calls shows.
    fake::world().onSleep = [](uint64_t) {
      fake::world().events.push_back("Sleep " + std::to_string(fake::world().sleeps.back()));
    };
  }

  static std::string Project() { return std::string(state.projectDir) + state.baseName; }
};

TEST_F(BuildTest, ToolCommandLinesQuoteTheProjectPathsButNeverTheToolPath) {
  struct Case {
    std::string script, checker, brc;
    std::string check, compile, bind;
  };
  const std::vector<Case> cases = {
      {kScript, kDefaultCheckerPath, kDefaultBrcPath,
       "C:\\VORN\\MivoConvert\\Tools\\Sarvex.exe -f \"C:\\proj\\menu.rc\"",
       "C:\\VORN\\MivoConvert\\Bc4\\bin\\brc32.exe -r \"C:\\proj\\menu.rc\" -fo "
       "\"C:\\proj\\menu.res\"",
       "C:\\VORN\\MivoConvert\\Bc4\\bin\\brc32.exe \"C:\\proj\\menu.res\" -w32 "
       "\"C:\\proj\\menu.exe\""},
      {"C:\\a.b\\menu.old.rc", "C:\\Program Files\\Mivo\\Sarvex.exe",
       "C:\\Program Files\\Bc4\\bin\\brc32.exe",
       "C:\\Program Files\\Mivo\\Sarvex.exe -f \"C:\\a.b\\menu.old.rc\"",
       "C:\\Program Files\\Bc4\\bin\\brc32.exe -r \"C:\\a.b\\menu.old.rc\" -fo "
       "\"C:\\a.b\\menu.old.res\"",
       "C:\\Program Files\\Bc4\\bin\\brc32.exe \"C:\\a.b\\menu.old.res\" -w32 "
       "\"C:\\a.b\\menu.old.exe\""},
      // Characters the command interpreter would act on outside quotes, and
      // tool paths that would be conversions if used as a format.
      {"C:\\p(1)&x!\\x^n.rc", "C:\\t%s%d\\chk.exe", "C:\\t%n\\brc.exe",
       "C:\\t%s%d\\chk.exe -f \"C:\\p(1)&x!\\x^n.rc\"",
       "C:\\t%n\\brc.exe -r \"C:\\p(1)&x!\\x^n.rc\" -fo \"C:\\p(1)&x!\\x^n.res\"",
       "C:\\t%n\\brc.exe \"C:\\p(1)&x!\\x^n.res\" -w32 \"C:\\p(1)&x!\\x^n.exe\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Prepare(c.script);
    CopyText(state.checkerPath, c.checker.c_str());
    CopyText(state.brcPath, c.brc.c_str());
    CompileCommand();
    EXPECT_TRUE(fake::world().messageBoxes.empty());
    ASSERT_EQ(fake::world().processes.size(), 1u);
    EXPECT_EQ(fake::world().processes[0].commandLine, c.check);
    EXPECT_EQ(fake::world().processes[0].showMode, platform::kShowMinNoActive);
    EXPECT_EQ(fake::world().commands, (std::vector<std::string>{c.compile, c.bind}));
  }
}

TEST_F(BuildTest, FirstBuildCopiesTheTemplateTracesEachStepAndTidiesUp) {
  fake::AddFile("C:\\proj\\menu.res", "stale");
  fake::AddFile("C:\\proj\\menu.rc.original", "stale");
  CompileCommand();

  EXPECT_TRUE(fake::world().messageBoxes.empty());
  EXPECT_FALSE(fake::world().quitPosted);
  const std::vector<std::string> expected = {
      ".exe file missing or in use",
      "Kestrix copied and renamed = C:\\proj\\menu.exe",
      "C:\\proj\\menu.res file deleted",
      "C:\\proj\\menu.rc.original file deleted",
      "Waiting for completion of new menu.rc.log file",
      "New log file C:\\proj\\menu.rc.log completed",
      "Creating intermediate menu.res file",
      "New .res file C:\\proj\\menu.res completed",
      "Converting intermediate file to menu.exe file",
      "New .exe file C:\\proj\\menu.exe completed",
      "C:\\proj\\menu.res file deleted",
      "C:\\proj\\menu.rc.log file deleted",
      "C:\\proj\\menu.rc.original file deleted",
  };
  EXPECT_EQ(DebugLines(), expected);
  EXPECT_EQ(fake::world().sleeps, std::vector<unsigned>{500});
  const auto& events = fake::world().events;
  ASSERT_GE(IndexOf("Sleep 500"), 0);
  EXPECT_EQ(EventsStartingWith("DeleteFile").back(), "DeleteFile C:\\proj\\menu.rc.original");
  EXPECT_LT(IndexOf("DeleteFile C:\\proj\\menu.rc.original"), IndexOf("Sleep 500"));
  EXPECT_EQ(events[IndexOf("Sleep 500") - 1], "DeleteFile C:\\proj\\menu.rc.original");

  EXPECT_FALSE(state.templateCopyPending);
  EXPECT_STREQ(state.workBuffer, "C:\\proj\\menu.rc.original") << "the last file deleted";
  for (const char* suffix : {".res", ".rc.log", ".rc.original"})
    EXPECT_FALSE(fake::HasFile(std::string(kProject) + suffix)) << suffix;
  ASSERT_TRUE(fake::HasFile("C:\\proj\\menu.exe"));
  EXPECT_EQ(fake::FindFile("C:\\proj\\menu.exe")->content, "template+resources");
}

TEST_F(BuildTest, SuccessDiscardsTheQueuedButtonInputThenReenablesAllThreeButtons) {
  CompileCommand();
  std::vector<std::string> buttons;
  for (const std::string& event : fake::world().events)
    if (event.rfind("EnableControl", 0) == 0 || event.rfind("DiscardControlInput", 0) == 0)
      buttons.push_back(event);
  EXPECT_EQ(buttons, (std::vector<std::string>{
                         "EnableControl 1000 off", "EnableControl 1007 off",
                         "EnableControl 1002 off", "DiscardControlInput 1000",
                         "DiscardControlInput 1007", "DiscardControlInput 1002",
                         "EnableControl 1002 on", "EnableControl 1007 on", "EnableControl 1000 on"}));
  EXPECT_TRUE(PanelControl(IDC_RUN_EXE).enabled);
  EXPECT_TRUE(PanelControl(IDC_SELECT_RC).enabled);
  EXPECT_TRUE(PanelControl(IDC_COMPILE).enabled);
}

TEST_F(BuildTest, WithoutAValidatedScriptTheCompileCommandDoesNothing) {
  // Nothing adopted, or a refusal after a script that built: the pieces name no project.
  for (const char* refused : {"", "C:\\proj\\menu.rc2", "C:\\proj\\AUX.rc"}) {
    SCOPED_TRACE(refused);
    Prepare(kScript);
    if (*refused == '\0') {
      UtilityTest::SetUp();
      InstallDefaultTools();
      StartUtility();
      ShowDebugWindow();
    } else {
      CompileCommand();
      ASSERT_TRUE(fake::HasFile("C:\\proj\\menu.exe"));
      AdoptScript(refused);
    }
    ClearDebugLog();
    fake::world().events.clear();
    size_t files = fake::world().files.size();
    CompileCommand();
    EXPECT_TRUE(fake::world().events.empty()) << fake::world().events.front();
    EXPECT_TRUE(DebugLines().empty());
    EXPECT_EQ(fake::world().files.size(), files);
    EXPECT_FALSE(fake::HasFile(".exe"));
    EXPECT_TRUE(fake::world().messageBoxes.empty());
  }
}

TEST_F(BuildTest, ASecondBuildBindsIntoTheExistingExecutable) {
  CompileCommand();
  fake::world().events.clear();
  ClearDebugLog();
  CompileCommand();
  EXPECT_TRUE(EventsStartingWith("CopyFile").empty());
  EXPECT_EQ(CountContaining(DebugLines(), ".exe file missing or in use"), 0u);
  EXPECT_EQ(fake::FindFile("C:\\proj\\menu.exe")->content, "template+resources+resources");
  EXPECT_TRUE(fake::world().messageBoxes.empty());

  // Adopting the script again arms a fresh copy of the template.
  AdoptScript(kScript);
  fake::world().events.clear();
  CompileCommand();
  EXPECT_EQ(EventsStartingWith("CopyFile"),
            std::vector<std::string>{"CopyFile " + std::string(kDefaultTemplatePath) +
                                     " -> C:\\proj\\menu.exe"});
  EXPECT_EQ(fake::FindFile("C:\\proj\\menu.exe")->content, "template+resources");
}

TEST_F(BuildTest, AStaleLogIsDeletedBeforeTheCheckerStarts) {
  fake::AddFile("C:\\proj\\menu.rc.log", "from the last build");
  tools.writesLog = false;
  CompileCommand();
  ASSERT_GE(IndexOf("DeleteFile C:\\proj\\menu.rc.log"), 0);
  EXPECT_LT(IndexOf("DeleteFile C:\\proj\\menu.rc.log"),
            IndexOf("CreateProcess " + fake::world().processes[0].commandLine));
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"Syntax Checker Failed \nConversion will be aborted"});
}

TEST_F(BuildTest, EachFailureIsToldAndOnlyTheFatalOnesAbort) {
  struct Case {
    const char* name;
    std::function<void(Tools&)> arrange;
    std::string text;
    std::string caption;
    bool aborts;
    bool copyStillPending;
    std::vector<std::string> leftBehind;
    const char* lastWork;  // workBuffer afterwards: the file the build stopped at
  };
  const std::vector<Case> cases = {
      {"template missing, no target yet",
       [](Tools&) { fake::RemoveFile(kDefaultTemplatePath); },
       "Error - Copy Path for Kestrix Not Found", "Conversion Process Failed", true, true, {}, "C:\\proj\\menu.exe"},
      {"template missing, target writable",
       [](Tools&) {
         fake::RemoveFile(kDefaultTemplatePath);
         fake::AddFile("C:\\proj\\menu.exe");
       },
       "Error - Copy Path for Kestrix Not Found", "Conversion Process Failed", true, true, {}, "C:\\proj\\menu.exe"},
      {"target held by the running program",
       [](Tools&) {
         fake::AddFile("C:\\proj\\menu.exe");
         fake::FindFile("C:\\proj\\menu.exe")->locked = true;
       },
       "C:\\proj\\menu.exe application is still running. Please close it and try again",
       "Conversion Process Failed", false, true, {}, "C:\\proj\\menu.exe"},
      {"target read-only",
       [](Tools&) {
         fake::AddFile("C:\\proj\\menu.exe");
         fake::FindFile("C:\\proj\\menu.exe")->readOnly = true;
       },
       "C:\\proj\\menu.exe application is still running. Please close it and try again",
       "Conversion Process Failed", false, true, {}, "C:\\proj\\menu.exe"},
      {"no log", [](Tools& t) { t.writesLog = false; },
       "Syntax Checker Failed \nConversion will be aborted", kBuildFailedCaption, true, false,
       {".rc.original"}, "C:\\proj\\menu.rc.log"},
      {"no res", [](Tools& t) { t.writesRes = false; },
       "RC File to RES File Conversion Failed \nConversion will be aborted", kBuildFailedCaption,
       true, false, {".rc.log", ".rc.original"}, "C:\\proj\\menu.res"},
      {"exe not writable after the bind", [](Tools& t) { t.leavesExeWritable = false; },
       "RES File to EXE File Conversion Failed \nConversion will be aborted", kBuildFailedCaption,
       true, false, {".res", ".rc.log", ".rc.original"}, "C:\\proj\\menu.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare(kScript);
    state.runAfterCompile = true;
    state.runDelaySeconds = 3;
    c.arrange(tools);
    CompileCommand();

    ASSERT_EQ(fake::world().messageBoxes.size(), 1u);
    const fake::MessageBoxCall& box = fake::world().messageBoxes[0];
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.caption, c.caption);
    EXPECT_EQ(box.owner, state.mainPanel);
    EXPECT_EQ(fake::world().quitPosted, c.aborts);
    EXPECT_EQ(EventsStartingWith("DiscardControlInput").size(), c.aborts ? 0u : 3u)
        << "the queue, and the quit an abort posted in it, stays untouched";
    EXPECT_TRUE(EventsStartingWith("WriteProfileString").empty()) << "an abort never saves";
    EXPECT_EQ(state.templateCopyPending, c.copyStillPending);
    EXPECT_STREQ(state.workBuffer, c.lastWork);
    for (const std::string& suffix : c.leftBehind)
      EXPECT_TRUE(fake::HasFile(kProject + suffix)) << suffix;

    bool copyFailed = c.caption == "Conversion Process Failed";
    if (copyFailed) {
      EXPECT_EQ(DebugLines().back(), "Error Path Not Found");
      EXPECT_TRUE(fake::world().processes.empty());
      EXPECT_TRUE(EventsStartingWith("DeleteFile").empty());
    } else {
      EXPECT_EQ(CountContaining(DebugLines(), "not available yet"), 10u);
    }
    // A failed build never runs the program and leaves "Run exe..." disabled.
    for (const fake::ProcessCall& call : fake::world().processes)
      EXPECT_EQ(call.commandLine.find("menu.exe "), std::string::npos) << call.commandLine;
    EXPECT_EQ(std::count(fake::world().sleeps.begin(), fake::world().sleeps.end(), 3000u), 0);
    EXPECT_TRUE(EventsStartingWith("EnableControl 1002 on").empty());
    EXPECT_FALSE(PanelControl(IDC_RUN_EXE).enabled);
    EXPECT_TRUE(PanelControl(IDC_SELECT_RC).enabled);
    EXPECT_TRUE(PanelControl(IDC_COMPILE).enabled);
  }
}

TEST_F(BuildTest, TheStillRunningTextForALongPathIsCutToTheMessageBuffer) {
  // Short enough for the tool lines, too long for a message.
  const std::string dir = "C:\\" + std::string(300, 'd') + "\\";
  Prepare(dir + "menu.rc");
  fake::AddFile(dir + "menu.exe");
  fake::FindFile(dir + "menu.exe")->locked = true;
  CompileCommand();
  const std::string full =
      dir + "menu.exe application is still running. Please close it and try again";
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{full.substr(0, 255)});
  EXPECT_FALSE(fake::world().quitPosted);
}

TEST_F(BuildTest, CommandLinesThatWouldNotFitRefuseTheBuildBeforeAnyFileIsTouched) {
  // The longest text either tool line may be is 1023 characters, the terminator filling workBuffer.
  const std::string compileTail = " -r \"C:\\proj\\menu.rc\" -fo \"C:\\proj\\menu.res\"";
  const std::string checkTail = " -f \"C:\\proj\\menu.rc\"";
  struct Case {
    bool checker;
    size_t lineLength;
  };
  for (Case c : {Case{false, 1023}, Case{false, 1024}, Case{true, 1023}, Case{true, 1024},
                 Case{false, 3000}}) {
    SCOPED_TRACE(std::string(c.checker ? "check" : "compile") + " line of " +
                 std::to_string(c.lineLength));
    Prepare(kScript);
    const std::string& tail = c.checker ? checkTail : compileTail;
    std::string tool = "C:\\" + std::string(c.lineLength - tail.size() - 3, 't');
    // The state's fields hold at most 1023 characters; a longer path arrives cut.
    CopyText(c.checker ? state.checkerPath : state.brcPath, tool.c_str());
    tool = c.checker ? state.checkerPath : state.brcPath;
    CompileCommand();

    bool fits = tool.size() + tail.size() <= 1023;
    if (fits) {
      EXPECT_TRUE(fake::world().messageBoxes.empty());
      const std::string line = tool + tail;
      if (c.checker) {
        ASSERT_FALSE(fake::world().processes.empty());
        EXPECT_EQ(fake::world().processes[0].commandLine, line);
      } else {
        ASSERT_FALSE(fake::world().commands.empty());
        EXPECT_EQ(fake::world().commands[0], line);
      }
      continue;
    }
    ASSERT_EQ(fake::world().messageBoxes.size(), 1u);
    EXPECT_EQ(fake::world().messageBoxes[0].caption, "Conversion Process Failed");
    EXPECT_EQ(fake::world().messageBoxes[0].owner, state.mainPanel);
    EXPECT_FALSE(fake::world().quitPosted);
    EXPECT_TRUE(EventsStartingWith("CopyFile").empty());
    EXPECT_TRUE(EventsStartingWith("DeleteFile").empty());
    EXPECT_TRUE(fake::world().processes.empty());
    EXPECT_TRUE(fake::world().commands.empty());
    EXPECT_TRUE(state.templateCopyPending);
    EXPECT_TRUE(PanelControl(IDC_SELECT_RC).enabled);
    EXPECT_TRUE(PanelControl(IDC_COMPILE).enabled);
    EXPECT_FALSE(PanelControl(IDC_RUN_EXE).enabled);
  }
}

TEST_F(BuildTest, CompileAndRunStartsTheProgramAfterTheDelay) {
  state.runAfterCompile = true;
  state.runDelaySeconds = 3;
  CopyText(state.runParameters, "-demo 1");
  std::string lastLineAtDelay;
  fake::world().onSleep = [&](uint64_t) {
    if (fake::world().sleeps.back() == 3000) lastLineAtDelay = DebugLines().back();
  };
  uint64_t start = fake::world().clockMs;
  CompileCommand();

  EXPECT_EQ(lastLineAtDelay, "Run... C:\\proj\\menu.exe -demo 1");
  EXPECT_EQ(fake::world().sleeps, (std::vector<unsigned>{500, 3000}));
  ASSERT_EQ(fake::world().processes.size(), 2u);
  const fake::ProcessCall& run = fake::world().processes[1];
  EXPECT_EQ(run.commandLine, "C:\\proj\\menu.exe -demo 1");
  EXPECT_EQ(run.showMode, platform::kShowNormal);
  EXPECT_EQ(run.flags, 0x4000200u);
  EXPECT_EQ(run.atMs, start + 3500);
  EXPECT_TRUE(PanelControl(IDC_RUN_EXE).enabled);
}

}  // namespace
