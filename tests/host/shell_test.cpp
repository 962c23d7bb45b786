// The shell: WinMain and its start sequence, the open-dialog record and the
// working-directory bound, the two dispatch tables, and the two ways to end.
#include "app/shell.h"
#include "app/shell_services.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "app/text.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

using platform::Message;

constexpr const char* kScript = "C:\\proj\\menu.rc";

int StartFromWinMain(int showCommand = platform::kShowNormal) {
  return WinMain(nullptr, nullptr, const_cast<char*>("ignored -args"), showCommand);
}

class ShellTest : public UtilityTest {
 protected:
  // A started utility with a script adopted and a clean event record.
  void StartWithScript() {
    fake::Reset();
    ResetUtilityState();
    InstallDefaultTools();
    StartUtility();
    AdoptScript(kScript);
    fake::world().events.clear();
  }
};

TEST_F(ShellTest, APreviousInstanceEndsAtOnceWithNothingCreated) {
  int other = 0;
  EXPECT_EQ(WinMain(nullptr, &other, nullptr, platform::kShowNormal), 0);
  EXPECT_TRUE(fake::world().events.empty());
  EXPECT_TRUE(fake::world().windows.empty());
  EXPECT_EQ(state.mainWindow, nullptr);
}

TEST_F(ShellTest, StartSequenceRunsInOrderThenTheLoop) {
  InstallDefaultTools();
  // The show command passed in is not used: the window always starts normal.
  EXPECT_EQ(StartFromWinMain(platform::kShowMinNoActive), 0);

  const std::vector<std::string> start = {
      "RegisterMainClass VORN Mivo Compile Utility icon 105 menu Menu",
      "CreateMainWindow VORN Mivo Compile Utility style " +
          std::to_string(0x00080000 | 0x00020000) + " at 0,0 456x148",
      "ShowWindow 1",
      "SetWindowText VORN Mivo Compile Utility  - A1.00.04",
      "CreateModelessDialog 103",
      "EnableControl 1000 off",
      "GetCurrentDirectory",          // PrepareStartup
      "GetProfileString DebugMode",   // the configuration load
  };
  const auto& events = fake::world().events;
  ASSERT_GT(events.size(), start.size());
  EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + start.size()), start);
  EXPECT_EQ(events.back(), "RunMessageLoop");
  EXPECT_EQ(fake::world().messageLoops, 1);

  fake::Window* main = fake::Find(state.mainWindow);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->title, "VORN Mivo Compile Utility  - A1.00.04");
  EXPECT_EQ(main->showCommand, platform::kShowNormal);
  EXPECT_EQ(Panel().templateId, IDD_MAIN_PANEL);
  EXPECT_EQ(Panel().parent, state.mainWindow);
  EXPECT_FALSE(PanelControl(IDC_COMPILE).enabled);
  EXPECT_FALSE(PanelControl(IDC_RUN_EXE).enabled);
  EXPECT_EQ(fake::world().beeps, std::vector<unsigned>{platform::kBeepExclamation});
  EXPECT_FALSE(fake::world().quitPosted);
  EXPECT_STREQ(state.iniFileName, "MivoCompile.ini");
}

// The panel grows with its font's dialog base units; the window grows by the
// same factor in each direction, rounded up, and keeps 456 x 148 at 96 DPI's
// units (and below them). A change of scale while it runs fits it again once
// the change is through.
TEST_F(ShellTest, MainWindowGrowsWithThePanelsBaseUnits) {
  struct Case {
    platform::BaseUnits units;
    int width, height;
  };
  const Case cases[] = {
      {{6, 13}, 456, 148},  // 96 DPI, "MS Sans Serif" 8 pt
      {{5, 12}, 456, 148},  // a smaller font: never smaller than designed
      {{8, 15}, 608, 171},  // 120 DPI as Wine draws it
      {{10, 19}, 760, 217},
      {{13, 25}, 988, 285},
      {{6, 16}, 456, 183},  // each direction by its own factor
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.units.x) + "x" + std::to_string(c.units.y));
    fake::Reset();
    ResetUtilityState();
    InstallDefaultTools();
    fake::world().dialogBaseUnits = c.units;
    EXPECT_EQ(StartFromWinMain(), 0);
    const fake::Window* main = fake::Find(state.mainWindow);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->width, c.width);
    EXPECT_EQ(main->height, c.height);
    const auto& events = fake::world().events;
    const bool resized = std::find(events.begin(), events.end(), "SetWindowSize " + std::to_string(c.width) +
                                       "x" + std::to_string(c.height)) != events.end();
    EXPECT_EQ(resized, c.width != 456 || c.height != 148) << "only a grown window is resized";

    fake::world().dialogBaseUnits = {6, 13};  // moved to a display of 96 DPI
    EXPECT_EQ(MainWindowProc(state.mainWindow, Message::ScaleChanged, 96, 0), 0);
    EXPECT_EQ(main->width, c.width) << "fitted once the change is through, not during it";
    fake::DeliverPosted();
    EXPECT_EQ(main->width, 456);
    EXPECT_EQ(main->height, 148);
  }
}

TEST_F(ShellTest, PrepareStartupFillsTheOpenDialogRecord) {
  std::memset(&state.openDialogSettings, 0xA5, sizeof state.openDialogSettings);
  CopyText(state.rcFilePath, "C:\\earlier\\menu.rc");
  CreateWindows();

  const platform::OpenFileRecord& dialog = state.openDialogSettings;
  EXPECT_STREQ(state.rcFilePath, "");
  EXPECT_EQ(dialog.structSize, platform::OpenFileRecordSize());
  EXPECT_EQ(dialog.owner, state.mainPanel);
  EXPECT_EQ(dialog.instance, nullptr);
  static const char kFilter[] = "RC Files(*.rc)\0*.rc\0\0";
  ASSERT_NE(dialog.filter, nullptr);
  EXPECT_EQ(std::memcmp(dialog.filter, kFilter, sizeof kFilter - 1), 0);
  EXPECT_EQ(dialog.customFilter, nullptr);
  EXPECT_EQ(dialog.maxCustomFilter, 0u);
  EXPECT_EQ(dialog.filterIndex, 0u);
  EXPECT_EQ(dialog.file, state.rcFilePath);
  EXPECT_EQ(dialog.maxFile, 1024u);
  EXPECT_EQ(dialog.fileTitle, state.rcFileTitle);
  EXPECT_EQ(dialog.maxFileTitle, 1024u);
  EXPECT_EQ(dialog.initialDir, nullptr);
  EXPECT_EQ(dialog.title, nullptr);
  EXPECT_EQ(dialog.flags, 0x81800u);
}

TEST_F(ShellTest, WorkingDirectoryLongerThan1020IsRefusedAndStartUpGoesOn) {
  struct Case {
    size_t length;
    bool refused;
  };
  for (Case c : {Case{3, false}, Case{1020, false}, Case{1021, true}, Case{1023, true},
                 Case{1500, true}}) {
    SCOPED_TRACE("directory length " + std::to_string(c.length));
    fake::Reset();
    ResetUtilityState();
    InstallDefaultTools();
    fake::world().currentDirectory = "C:\\" + std::string(c.length - 3, 'd');

    EXPECT_EQ(StartFromWinMain(), 0);
    EXPECT_STREQ(state.iniFileName, "MivoCompile.ini");
    EXPECT_GE(IndexOf("GetProfileString DebugMode"), 0) << "the configuration load still runs";
    EXPECT_EQ(fake::world().quitPosted, c.refused);
    if (!c.refused) {
      EXPECT_TRUE(fake::world().messageBoxes.empty());
      continue;
    }
    ASSERT_EQ(fake::world().messageBoxes.size(), 1u);
    const fake::MessageBoxCall& box = fake::world().messageBoxes[0];
    EXPECT_EQ(box.text,
              "File Paths Too Long \nPlease re-install the VORN Mivo conversion package nearer to "
              "Root");
    EXPECT_EQ(box.caption, "MivoCompile Utility Launch Process Aborted");
    EXPECT_EQ(box.owner, state.mainWindow);
    EXPECT_LT(IndexOf("MessageBox MivoCompile Utility Launch Process Aborted"),
              IndexOf("SendCloseRequest"));
    EXPECT_LT(IndexOf("SendCloseRequest"), IndexOf("GetProfileString DebugMode"));
    EXPECT_EQ(fake::world().quitCode, 0);
  }
}

TEST_F(ShellTest, MenuCommandsReachTheirActionsOnlyWithoutANotification) {
  struct Case {
    int id;
    std::string expectedEvent;
  };
  const std::vector<Case> cases = {
      {IDM_EXIT, "PostQuit 0"},
      {IDM_ABOUT, "RunModalDialog 102"},
      {IDM_DEBUG, "CreateModelessDialog 104"},
      {IDM_OPEN, "GetOpenFileName"},
      {IDM_BACKUP, "CopyFile C:\\proj\\menu.rc -> C:\\proj\\menu_27112007_102146.bak"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    StartWithScript();
    EXPECT_EQ(MainWindowProc(state.mainWindow, Message::Command, (1u << 16) | c.id, 0), 0);
    EXPECT_TRUE(fake::world().events.empty()) << "a notification in the high word is not a menu";

    EXPECT_EQ(MainWindowProc(state.mainWindow, Message::Command, c.id, 0), 0);
    EXPECT_GE(IndexOf(c.expectedEvent), 0);
  }
  StartWithScript();
  EXPECT_EQ(MainWindowProc(state.mainWindow, Message::Command, IDC_COMPILE, 0), 0);
  EXPECT_TRUE(fake::world().events.empty()) << "a panel id is no menu command";
}

TEST_F(ShellTest, MainWindowDestroySavesAndOtherMessagesGoToDefaultProcessing) {
  StartWithScript();
  EXPECT_EQ(MainWindowProc(state.mainWindow, Message::Destroy, 0, 0), 0);
  EXPECT_EQ(EventsStartingWith("WriteProfileString LastFile="),
            std::vector<std::string>{"WriteProfileString LastFile=C:\\proj\\menu.rc"});
  EXPECT_TRUE(fake::world().quitPosted);

  for (Message message : {Message::Close, Message::Init, Message::Other}) {
    StartWithScript();
    EXPECT_EQ(MainWindowProc(state.mainWindow, message, 0, 0), platform::kDefaultProcessing);
    EXPECT_TRUE(fake::world().events.empty());
  }
}

TEST_F(ShellTest, PanelCommandsReachTheirActionsWhateverTheNotification) {
  struct Case {
    int id;
    std::function<bool()> reached;
  };
  const std::vector<Case> cases = {
      {IDC_COMPILE,
       [] { return !fake::world().events.empty() &&
                   fake::world().events.front() == "EnableControl 1000 off"; }},
      {IDC_RUN_AFTER_COMPILE, [] { return state.runAfterCompile; }},
      {IDC_RUN_EXE, [] { return IndexOf("CreateProcess C:\\proj\\menu.exe ") >= 0; }},
      {IDC_SELECT_RC, [] { return IndexOf("GetOpenFileName") >= 0; }},
      {IDC_RUN_PARAMETERS, [] { return std::strcmp(state.runParameters, "-typed") == 0; }},
  };
  for (const Case& c : cases) {
    for (int notification : {0, 1, 0x0300, 0x0400, 0xFFFF}) {
      SCOPED_TRACE(std::to_string(c.id) + " notification " + std::to_string(notification));
      StartWithScript();
      PanelControl(IDC_RUN_PARAMETERS).text = "-typed";
      EXPECT_EQ(fake::SendCommand(state.mainPanel, c.id, notification), 0);
      EXPECT_TRUE(c.reached());
    }
  }
}

TEST_F(ShellTest, PanelIgnoresOkCancelAndTheReadOnlyPathField) {
  for (int id : {static_cast<int>(platform::kIdOk), static_cast<int>(platform::kIdCancel),
                 IDC_RC_PATH, 1003}) {
    SCOPED_TRACE(id);
    StartWithScript();
    PanelControl(IDC_RUN_PARAMETERS).text = "-typed";
    EXPECT_EQ(fake::SendCommand(state.mainPanel, id), 0);
    EXPECT_TRUE(fake::world().events.empty());
    EXPECT_FALSE(state.runAfterCompile);
    EXPECT_STREQ(state.runParameters, "");
    EXPECT_FALSE(fake::world().quitPosted);
  }
}

TEST_F(ShellTest, PanelInitBeepsAndCloseOrDestroyQuitWithoutSaving) {
  StartWithScript();
  fake::world().beeps.clear();
  EXPECT_EQ(MainPanelProc(state.mainPanel, Message::Init, 0, 0), 1);
  EXPECT_EQ(fake::world().beeps, std::vector<unsigned>{platform::kBeepExclamation});
  EXPECT_EQ(MainPanelProc(state.mainPanel, Message::Other, 0, 0), 0);

  for (Message message : {Message::Close, Message::Destroy}) {
    StartWithScript();
    EXPECT_EQ(MainPanelProc(state.mainPanel, message, 0, 0), 0);
    EXPECT_EQ(fake::world().events, std::vector<std::string>{"PostQuit 0"});
  }
}

TEST_F(ShellTest, AbortClosesThePanelWithoutWritingTheIni) {
  StartWithScript();
  std::vector<std::string> iniBefore = fake::ProfileLines(kTestIniFile);
  AbortApplication();
  EXPECT_EQ(fake::world().events, (std::vector<std::string>{"SendCloseRequest", "PostQuit 0"}));
  EXPECT_EQ(fake::world().quitCode, 0);
  EXPECT_EQ(fake::ProfileLines(kTestIniFile), iniBefore);
}

TEST_F(ShellTest, ExitFromTheMenuSavesOnceAndQuitsWithZero) {
  StartWithScript();
  MainWindowProc(state.mainWindow, Message::Command, IDM_EXIT, 0);
  EXPECT_EQ(EventsStartingWith("WriteProfileString RunMode").size(), 1u);
  EXPECT_EQ(EventsStartingWith("PostQuit"), std::vector<std::string>{"PostQuit 0"});
}

}  // namespace
