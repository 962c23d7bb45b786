// The settings file: what loading reads, writes back, reports and aborts on,
// and what saving writes at exit.
#include "config/configuration.h"

#include <algorithm>
#include <cstdint>

#include "app/shell.h"
#include "app/text.h"
#include "build/run.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

constexpr const char* kCaption = "MivoCompile Utility - Configuration Error Message";
constexpr const char* kVerdict =
    "Please update the Configuration in MivoCompile.ini  \nbefore restarting this application";

struct ToolCase {
  const char* key;
  const char* defaultPath;
  const char* message;
};

const ToolCase kTools[] = {
    {"MivoKestrix", kDefaultTemplatePath, "The path to MivoKestrix in MivoCompile.ini is incorrect"},
    {"Sarvex", kDefaultCheckerPath, "The path to Sarvex in MivoCompile.ini is incorrect"},
    {"BRC32", kDefaultBrcPath, "The path to BRC32 in MivoCompile.ini is incorrect"},
};

class ConfigurationTest : public UtilityTest {
 protected:
  // A fresh world between the rows of a table.
  void Restart() {
    fake::Reset();
    ResetUtilityState();
  }

  std::string Ini(const std::string& key) {
    std::string value;
    EXPECT_TRUE(IniValue(key, &value)) << key << " is missing";
    return value;
  }

  // Index of the first (or last) recorded event equal to text, or -1.
  static long EventIndex(const std::string& text, bool last = false) {
    auto& events = fake::world().events;
    long found = -1;
    for (size_t i = 0; i < events.size(); ++i) {
      if (events[i] != text) continue;
      found = static_cast<long>(i);
      if (!last) break;
    }
    return found;
  }
};

TEST_F(ConfigurationTest, NoFileAndNoToolsReportsEveryPathThenTheVerdictAbortsAndWritesTheDefaults) {
  StartUtility();

  auto& boxes = fake::world().messageBoxes;
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{kTools[0].message, kTools[1].message,
                                                      kTools[2].message, kVerdict}));
  for (auto& box : boxes) {
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.owner, state.mainPanel);
  }
  // The abort closes the panel after the verdict, which posts the quit message.
  long verdict = EventIndex(std::string("MessageBox ") + kCaption, true);
  long close = EventIndex("SendCloseRequest");
  ASSERT_GE(close, 0);
  EXPECT_GT(close, verdict);
  EXPECT_GT(EventIndex("PostQuit 0"), close);
  EXPECT_TRUE(fake::world().quitPosted);
  EXPECT_EQ(fake::world().quitCode, 0);

  EXPECT_EQ(fake::ProfileLines(kTestIniFile),
            (std::vector<std::string>{
                "Configuration/MivoKestrix=C:\\VORN\\MivoConvert\\Mivokestrix\\KestRix.exe",
                "Configuration/Sarvex=C:\\VORN\\MivoConvert\\Tools\\Sarvex.exe",
                "Configuration/BRC32=C:\\VORN\\MivoConvert\\Bc4\\bin\\brc32.exe",
                "Configuration/RunDelay=0",
                "Configuration/CommandLine=",
            }));
  EXPECT_STREQ(state.templatePath, kDefaultTemplatePath);
  EXPECT_STREQ(state.checkerPath, kDefaultCheckerPath);
  EXPECT_STREQ(state.brcPath, kDefaultBrcPath);
  // Loading went on after the abort.
  EXPECT_EQ(state.runModeCheckBox, platform::GetControl(state.mainPanel, IDC_RUN_AFTER_COMPILE));
}

TEST_F(ConfigurationTest, ToolPathsThatOpenLoadWithoutMessagesAndAreNotRewritten) {
  const char* kTemplate = "D:\\kit\\Kest.exe";
  const char* kChecker = "D:\\kit\\sarvex.EXE";
  const char* kBrc = "E:\\bc\\brc32.exe";
  SetIniValue("MivoKestrix", kTemplate);
  SetIniValue("Sarvex", kChecker);
  SetIniValue("BRC32", kBrc);
  SetIniValue("RunDelay", "3");
  SetIniValue("CommandLine", "-v");
  fake::AddFile(kTemplate);
  fake::AddFile("d:\\KIT\\SARVEX.exe");  // the file system ignores case
  fake::AddFile(kBrc);

  StartUtility();

  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_FALSE(fake::world().quitPosted);
  EXPECT_TRUE(EventsStartingWith("WriteProfileString").empty());
  EXPECT_STREQ(state.templatePath, kTemplate);
  EXPECT_STREQ(state.checkerPath, kChecker);
  EXPECT_STREQ(state.brcPath, kBrc);
}

TEST_F(ConfigurationTest, OneMissingToolGivesOnlyItsMessageThenTheVerdict) {
  for (const ToolCase& missing : kTools) {
    SCOPED_TRACE(missing.key);
    Restart();
    for (const ToolCase& tool : kTools)
      if (&tool != &missing) fake::AddFile(tool.defaultPath);

    StartUtility();

    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{missing.message, kVerdict}));
    EXPECT_TRUE(fake::world().quitPosted);
    EXPECT_EQ(EventsStartingWith("SendCloseRequest").size(), 1u);
  }
}

TEST_F(ConfigurationTest, DebugModeOneOpensTheWindowBeforeAnyTraceAndListsTheFiles) {
  InstallDefaultTools();
  SetIniValue("DebugMode", "1");
  StartUtility();

  ASSERT_NE(state.debugWindow, nullptr);
  EXPECT_TRUE(state.debugMode);
  long opened = EventIndex("CreateModelessDialog 104");
  ASSERT_GE(opened, 0);
  EXPECT_LT(opened, EventIndex("GetProfileString MivoKestrix"));
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{
                              "The configuration file for this application is:",
                              "MivoCompile.ini",
                              "The Mivo conversion files associated with this application are:",
                              kDefaultTemplatePath,
                              kDefaultCheckerPath,
                              kDefaultBrcPath,
                          }));
}

TEST_F(ConfigurationTest, DebugModeIsOnOnlyForOneAfterTrimming) {
  struct Row {
    const char* value;  // nullptr: the key is absent
    bool on;
  };
  const Row rows[] = {{"1", true},     {"1 ", true},   {"  1\t", true}, {"\"1\"", true},
                      {nullptr, false}, {"0", false},   {"true", false}, {"01", false},
                      {"1x", false},    {"", false},    {"2", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value ? row.value : "(absent)");
    Restart();
    InstallDefaultTools();
    if (row.value) SetIniValue("DebugMode", row.value);
    StartUtility();
    EXPECT_EQ(state.debugMode, row.on);
    EXPECT_EQ(state.debugWindow != nullptr, row.on);
    EXPECT_EQ(fake::FindByTemplate(IDD_DEBUG_WINDOW) != nullptr, row.on);
  }
}

TEST_F(ConfigurationTest, LastFileIsReadoptedOnlyWhenItNamesAReadableFile) {
  struct Row {
    const char* name;
    const char* lastFile;  // nullptr: the key is absent
    const char* existing;  // a file present before start, or nullptr
    bool adopted;
    bool valid;
    const char* savedAs;
  };
  const Row rows[] = {
      {"readable", "C:\\proj\\menu.rc", "C:\\proj\\menu.rc", true, true, "C:\\proj\\menu.rc"},
      {"unreadable", "C:\\gone\\menu.rc", nullptr, false, false, "C:\\gone\\menu.rc"},
      {"None", "None", nullptr, false, false, "None"},
      {"None even when such a file exists", "None", "None", false, false, "None"},
      {"absent", nullptr, nullptr, false, false, "None"},
      {"absent even when !!! exists", nullptr, "!!!", false, false, "None"},
      {"bare name in the working directory", "a.r", "a.r", true, false, "None"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Restart();
    InstallDefaultTools();
    SetIniValue("DebugMode", "1");
    if (row.lastFile) SetIniValue("LastFile", row.lastFile);
    if (row.existing) fake::AddFile(row.existing);

    StartUtility();

    EXPECT_STREQ(state.rcFilePath, row.lastFile ? row.lastFile : "!!!") << "kept as read";
    EXPECT_EQ(state.templateCopyPending, row.adopted);
    std::vector<std::string> trace = DebugLines();
    bool traced = std::count(trace.begin(), trace.end(), "The project resource file is:") > 0;
    EXPECT_EQ(traced, row.adopted) << "a script not adopted leaves no trace";
    EXPECT_EQ(PanelControl(IDC_RC_PATH).text, row.adopted ? row.lastFile : "");
    EXPECT_EQ(PanelControl(IDC_COMPILE).enabled, row.valid);
    EXPECT_FALSE(PanelControl(IDC_RUN_EXE).enabled);

    SaveConfiguration();
    EXPECT_EQ(Ini("LastFile"), row.savedAs);
  }
}

TEST_F(ConfigurationTest, ReadoptedScriptWithItsExeEnablesBothButtons) {
  InstallDefaultTools();
  SetIniValue("LastFile", "C:\\proj\\menu.rc");
  fake::AddFile("C:\\proj\\menu.rc");
  fake::AddFile("C:\\proj\\menu.exe");
  StartUtility();
  EXPECT_STREQ(state.projectDir, "C:\\proj\\");
  EXPECT_STREQ(state.baseName, "menu");
  EXPECT_TRUE(PanelControl(IDC_COMPILE).enabled);
  EXPECT_TRUE(PanelControl(IDC_RUN_EXE).enabled);
}

TEST_F(ConfigurationTest, RunModeOneMarksTheCheckBox) {
  const std::pair<const char*, bool> rows[] = {
      {"1", true}, {" 1 ", true}, {nullptr, false}, {"0", false}, {"yes", false}, {"11", false}};
  for (auto [value, on] : rows) {
    SCOPED_TRACE(value ? value : "(absent)");
    Restart();
    InstallDefaultTools();
    if (value) SetIniValue("RunMode", value);
    StartUtility();
    EXPECT_EQ(state.runAfterCompile, on);
    EXPECT_EQ(state.runModeCheckBox, platform::GetControl(state.mainPanel, IDC_RUN_AFTER_COMPILE));
    EXPECT_EQ(PanelControl(IDC_RUN_AFTER_COMPILE).checked, on);
  }
}

TEST_F(ConfigurationTest, RunDelayIsReadAsADecimalBoundedToTheCap) {
  struct Row {
    const char* value;  // nullptr: the key is absent
    int seconds;
  };
  const Row rows[] = {
      {nullptr, 0},        {"abc", 0},           {"7", 7},           {" 7x", 7},
      {"+12", 12},         {"-5", 0},            {"0", 0},           {"600", kRunDelayCapSeconds},
      {"601", kRunDelayCapSeconds},              {"100000", kRunDelayCapSeconds},
      {"2147483647", kRunDelayCapSeconds},       {"99999999999", kRunDelayCapSeconds},
      {"-99999999999", 0}, {"99999999999999999999999", kRunDelayCapSeconds},
      {"5 6", 5},          {"0x10", 0},          {"", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value ? row.value : "(absent)");
    Restart();
    InstallDefaultTools();
    if (row.value) SetIniValue("RunDelay", row.value);
    StartUtility();
    EXPECT_EQ(state.runDelaySeconds, row.seconds);
    // Only an absent key is written back; a bad value stays as the user left it.
    EXPECT_EQ(Ini("RunDelay"), row.value ? row.value : "0");
    EXPECT_EQ(EventsStartingWith("WriteProfileString RunDelay").size(), row.value ? 0u : 1u);
  }
}

TEST_F(ConfigurationTest, BoundedRunDelayClampsBothEnds) {
  const std::pair<int, int> rows[] = {{INT32_MIN, 0}, {-1, 0}, {0, 0}, {1, 1}, {599, 599},
                                      {600, 600},     {601, 600}, {INT32_MAX, 600}};
  for (auto [seconds, bounded] : rows) EXPECT_EQ(BoundedRunDelay(seconds), bounded) << seconds;
}

TEST_F(ConfigurationTest, AbsentCommandLineIsWrittenEmpty) {
  InstallDefaultTools();
  StartUtility();
  EXPECT_STREQ(state.runParameters, "");
  EXPECT_EQ(PanelControl(IDC_RUN_PARAMETERS).text, "");
  EXPECT_EQ(Ini("CommandLine"), "");
  EXPECT_EQ(EventsStartingWith("WriteProfileString CommandLine"),
            std::vector<std::string>{"WriteProfileString CommandLine="});
}

TEST_F(ConfigurationTest, LongCommandLinesAreCutTo255ThenReadBackAs254AndSavedSo) {
  std::string longLine;
  for (int i = 0; i < 600; ++i) longLine += static_cast<char>('a' + i % 26);
  const size_t lengths[] = {0, 1, 253, 254, 255, 256, 300, 512, 600};
  for (size_t length : lengths) {
    SCOPED_TRACE(length);
    Restart();
    InstallDefaultTools();
    std::string value = longLine.substr(0, length);
    SetIniValue("CommandLine", value);
    StartUtility();

    size_t kept = std::min<size_t>(length, kRunParametersReadCapacity - 1);
    EXPECT_EQ(PanelControl(IDC_RUN_PARAMETERS).text, value.substr(0, kParametersCapacity - 1));
    EXPECT_EQ(state.runParameters, value.substr(0, kept));
    EXPECT_TRUE(EventsStartingWith("WriteProfileString CommandLine").empty())
        << "a present key is not rewritten";

    SaveConfiguration();
    EXPECT_EQ(Ini("CommandLine"), value.substr(0, kept));
  }
}

TEST_F(ConfigurationTest, SavingWritesTheFourSettingsInOrderThenQuits) {
  const char* kHandEdited = "D:\\elsewhere\\Kest.exe";
  InstallDefaultTools();
  fake::AddFile(kHandEdited);
  SetIniValue("MivoKestrix", kHandEdited);
  StartUtility();
  fake::world().events.clear();

  state.runAfterCompile = true;
  state.debugMode = false;
  CopyText(state.rcFilePath, "C:\\proj\\menu.rc");
  CopyText(state.runParameters, "-a \"b c\"");
  CopyText(state.templatePath, "C:\\changed\\in\\memory.exe");
  SaveConfiguration();

  EXPECT_EQ(fake::world().events,
            (std::vector<std::string>{
                "WriteProfileString RunMode=1",
                "WriteProfileString DebugMode=0",
                "WriteProfileString LastFile=C:\\proj\\menu.rc",
                "WriteProfileString CommandLine=-a \"b c\"",
                "PostQuit 0",
            }));
  EXPECT_EQ(fake::world().quitCode, 0);
  EXPECT_EQ(Ini("MivoKestrix"), kHandEdited) << "tool paths are never written at exit";
  EXPECT_EQ(Ini("Sarvex"), kDefaultCheckerPath);
  EXPECT_EQ(Ini("BRC32"), kDefaultBrcPath);

  fake::world().events.clear();
  state.runAfterCompile = false;
  state.debugMode = true;
  SaveConfiguration();
  EXPECT_EQ(EventsStartingWith("WriteProfileString RunMode"),
            std::vector<std::string>{"WriteProfileString RunMode=0"});
  EXPECT_EQ(EventsStartingWith("WriteProfileString DebugMode"),
            std::vector<std::string>{"WriteProfileString DebugMode=1"});
}

TEST_F(ConfigurationTest, LastFileOfFewerThanFourCharactersIsSavedAsNone) {
  const std::pair<const char*, const char*> rows[] = {
      {"", "None"}, {"C:\\", "None"}, {"!!!", "None"}, {"C:\\a", "C:\\a"}, {"None", "None"}};
  for (auto [path, saved] : rows) {
    SCOPED_TRACE(path);
    Restart();
    CreateWindows();
    CopyText(state.rcFilePath, path);
    SaveConfiguration();
    EXPECT_EQ(Ini("LastFile"), saved);
    EXPECT_STREQ(state.rcFilePath, saved);
  }
}

}  // namespace
