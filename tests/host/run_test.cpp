// Running the built program by hand, the "Compile and Run" check box and the
// parameters field.
#include "build/run.h"

#include <cstring>

#include "app/text.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

class RunTest : public UtilityTest {
 protected:
  void SetUp() override {
    UtilityTest::SetUp();
    InstallDefaultTools();
    StartUtility();
    ShowDebugWindow();
    AdoptScript("C:\\proj\\menu.rc");
    ClearDebugLog();
    fake::world().events.clear();
  }
};

TEST_F(RunTest, EmptyParametersStillLeaveOneBlankAfterTheExe) {
  ASSERT_STREQ(state.runParameters, "");
  fake::SendCommand(state.mainPanel, IDC_RUN_EXE);
  ASSERT_EQ(fake::world().processes.size(), 1u);
  EXPECT_EQ(fake::world().processes[0].commandLine, "C:\\proj\\menu.exe ");
  EXPECT_EQ(fake::world().processes[0].showMode, platform::kShowNormal);
  EXPECT_EQ(fake::world().processes[0].flags, 0x4000200u);
  EXPECT_EQ(fake::world().processes[0].idleWaitMs, 30000u);
  EXPECT_STREQ(state.workBuffer, "C:\\proj\\menu.exe ");
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"Run... C:\\proj\\menu.exe "});
}

TEST_F(RunTest, RunExeTwiceLaunchesTwiceWithTheTypedParametersAndNoDelay) {
  state.runDelaySeconds = 3;
  platform::SetControlText(state.mainPanel, IDC_RUN_PARAMETERS, "-a \"b c\" 100%s");
  fake::SendCommand(state.mainPanel, IDC_RUN_EXE);
  fake::SendCommand(state.mainPanel, IDC_RUN_EXE);
  ASSERT_EQ(fake::world().processes.size(), 2u);
  for (const fake::ProcessCall& call : fake::world().processes)
    EXPECT_EQ(call.commandLine, "C:\\proj\\menu.exe -a \"b c\" 100%s");
  EXPECT_TRUE(fake::world().sleeps.empty());
}

TEST_F(RunTest, TogglingTheCheckBoxTracesTheFlagAndMovesTheMark) {
  ASSERT_FALSE(state.runAfterCompile);
  fake::SendCommand(state.mainPanel, IDC_RUN_AFTER_COMPILE);
  EXPECT_TRUE(state.runAfterCompile);
  EXPECT_TRUE(PanelControl(IDC_RUN_AFTER_COMPILE).checked);
  fake::SendCommand(state.mainPanel, IDC_RUN_AFTER_COMPILE);
  EXPECT_FALSE(state.runAfterCompile);
  EXPECT_FALSE(PanelControl(IDC_RUN_AFTER_COMPILE).checked);
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"Run Flag = 1", "Run Flag = 0"}));
}

TEST_F(RunTest, ParametersKeepAtMost254Characters) {
  for (size_t length : {0u, 253u, 254u, 255u, 600u}) {
    SCOPED_TRACE(length);
    std::string typed;
    for (size_t i = 0; i < length; ++i) typed += static_cast<char>('a' + i % 26);
    std::memset(state.runParameters, 0x7F, sizeof state.runParameters);
    PanelControl(IDC_RUN_PARAMETERS).text = typed;
    UpdateRunParameters();
    EXPECT_EQ(std::string(state.runParameters), typed.substr(0, 254));
    EXPECT_EQ(state.runParameters[255], 0x7F) << "the last byte is never written";
  }
}

TEST_F(RunTest, ARunLineTooLongForTheWorkBufferIsRefused) {
  // <dir>menu.exe <254 parameters>: the line may hold at most 1023 characters.
  const std::string parameters(254, 'p');
  const std::string fixed = "menu.exe " + parameters;
  for (size_t lineLength : {1023u, 1024u, 1262u}) {
    SCOPED_TRACE(lineLength);
    SetUp();
    std::string dir = "C:\\" + std::string(lineLength - fixed.size() - 4, 'd') + "\\";
    CopyText(state.projectDir, dir.c_str());
    CopyText(state.runParameters, parameters.c_str());
    state.runDelaySeconds = 3;

    bool started = RunBuiltApplication(true);
    if (lineLength <= 1023) {
      EXPECT_TRUE(started);
      ASSERT_EQ(fake::world().processes.size(), 1u);
      EXPECT_EQ(fake::world().processes[0].commandLine, dir + fixed);
      EXPECT_TRUE(fake::world().messageBoxes.empty());
      continue;
    }
    EXPECT_FALSE(started);
    EXPECT_TRUE(fake::world().processes.empty());
    EXPECT_TRUE(fake::world().sleeps.empty());
    ASSERT_EQ(fake::world().messageBoxes.size(), 1u);
    EXPECT_EQ(fake::world().messageBoxes[0].caption, "Run Process Failed");
    EXPECT_EQ(fake::world().messageBoxes[0].owner, state.mainPanel);
    EXPECT_LE(fake::world().messageBoxes[0].text.size(), 255u);
    for (const std::string& line : DebugLines()) EXPECT_NE(line.rfind("Run... ", 0), 0u) << line;
  }
}

}  // namespace
