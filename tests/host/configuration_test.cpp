// The settings file: what loading reads, writes back, reports and aborts on,
// and what saving writes at exit.
#include "config/configuration.h"

#include <algorithm>

#include "app/text.h"
#include "build/run.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

constexpr const char* kCaption = "MivoCompile Utility - Configuration Error Message";
constexpr const char* kVerdict =
    "Please update the Configuration in MivoCompile.ini  \nbefore restarting this application";
const char* const kToolKeys[] = {"MivoKestrix", "Sarvex", "BRC32"};
const char* const kToolDefaults[] = {kDefaultTemplatePath, kDefaultCheckerPath, kDefaultBrcPath};
const char* const kToolMessages[] = {"The path to MivoKestrix in MivoCompile.ini is incorrect",
                                     "The path to Sarvex in MivoCompile.ini is incorrect",
                                     "The path to BRC32 in MivoCompile.ini is incorrect"};

class ConfigurationTest : public UtilityTest {
 protected:
  // A fresh world for each row of a table.
  void Fresh() {
    fake::Reset();
    ResetUtilityState();
  }

  // Starts with the tools installed and key set to value; nullptr leaves it absent.
  void StartWith(const char* key, const char* value) {
    Fresh();
    InstallDefaultTools();
    if (value) SetIniValue(key, value);
    StartUtility();
  }

  std::string Ini(const std::string& key) {
    std::string value;
    EXPECT_TRUE(IniValue(key, &value)) << key << " is missing";
    return value;
  }

  // Index of the first (or the last) recorded event equal to text, or -1.
  static long EventIndex(const std::string& text, bool last = false) {
    auto& events = fake::world().events;
    long found = -1;
    for (size_t i = 0; i < events.size() && (last || found < 0); ++i)
      if (events[i] == text) found = static_cast<long>(i);
    return found;
  }
};

TEST_F(ConfigurationTest, NoFileAndNoToolsReportsEveryPathThenTheVerdictAbortsAndWritesTheDefaults) {
  StartUtility();

  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{kToolMessages[0], kToolMessages[1],
                                                      kToolMessages[2], kVerdict}));
  for (auto& box : fake::world().messageBoxes) {
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.owner, state.mainPanel);
  }
  // The abort closes the panel after the verdict, which posts the quit message.
  long close = EventIndex("SendCloseRequest");
  EXPECT_GT(close, EventIndex(std::string("MessageBox ") + kCaption, true));
  EXPECT_GT(EventIndex("PostQuit 0"), close);
  EXPECT_EQ(fake::world().quitCode, 0);

  EXPECT_EQ(fake::ProfileLines(kTestIniFile),
            (std::vector<std::string>{
                "Configuration/MivoKestrix=C:\\VORN\\MivoConvert\\Mivokestrix\\KestRix.exe",
                "Configuration/Sarvex=C:\\VORN\\MivoConvert\\Tools\\Sarvex.exe",
                "Configuration/BRC32=C:\\VORN\\MivoConvert\\Bc4\\bin\\brc32.exe",
                "Configuration/RunDelay=0",
                "Configuration/CommandLine=",
            }));
  EXPECT_STREQ(state.brcPath, kDefaultBrcPath);
  // Loading went on after the abort.
  EXPECT_EQ(state.runModeCheckBox, platform::GetControl(state.mainPanel, IDC_RUN_AFTER_COMPILE));
}

TEST_F(ConfigurationTest, EachMissingToolGivesOnlyItsMessageThenTheVerdict) {
  for (int missing = -1; missing < 3; ++missing) {  // -1: every tool present
    SCOPED_TRACE(missing);
    Fresh();
    for (int tool = 0; tool < 3; ++tool) {
      SetIniValue(kToolKeys[tool], kToolDefaults[tool]);
      if (tool != missing) fake::AddFile(kToolDefaults[tool]);
    }
    SetIniValue("RunDelay", "3");
    SetIniValue("CommandLine", "-v");
    StartUtility();

    std::vector<std::string> expected;
    if (missing >= 0) expected = {kToolMessages[missing], kVerdict};
    EXPECT_EQ(MessageTexts(), expected);
    EXPECT_EQ(fake::world().quitPosted, missing >= 0);
    // Present keys are never written back, whatever the verdict.
    EXPECT_EQ(EventsStartingWith("WriteProfileString").size(), 0u);
  }
}

TEST_F(ConfigurationTest, HandEditedToolPathsAreUsedAndCompareCaseBlindOnDisk) {
  SetIniValue("MivoKestrix", " \"D:\\kit\\Kest.exe\" ");
  fake::AddFile("d:\\KIT\\kest.EXE");
  fake::AddFile(kDefaultCheckerPath);
  fake::AddFile(kDefaultBrcPath);
  StartUtility();
  EXPECT_STREQ(state.templatePath, "D:\\kit\\Kest.exe");
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(ConfigurationTest, DebugModeOneOpensTheWindowBeforeAnyTraceAndListsTheFiles) {
  StartWith("DebugMode", "1");
  EXPECT_LT(EventIndex("CreateModelessDialog 104"), EventIndex("GetProfileString MivoKestrix"));
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{
                              "The configuration file for this application is:",
                              "MivoCompile.ini",
                              "The Mivo conversion files associated with this application are:",
                              kDefaultTemplatePath, kDefaultCheckerPath, kDefaultBrcPath}));
}

TEST_F(ConfigurationTest, DebugModeAndRunModeAreOnOnlyForOneAfterTrimming) {
  const std::pair<const char*, bool> rows[] = {
      {"1", true},      {"1 ", true},   {"  1\t", true}, {"\"1\"", true}, {nullptr, false},
      {"0", false},     {"true", false}, {"01", false},  {"1x", false},   {"", false}};
  for (auto [value, on] : rows) {
    SCOPED_TRACE(value ? value : "(absent)");
    StartWith("DebugMode", value);
    EXPECT_EQ(state.debugMode, on);
    EXPECT_EQ(fake::FindByTemplate(IDD_DEBUG_WINDOW) != nullptr, on);

    StartWith("RunMode", value);
    EXPECT_EQ(state.runAfterCompile, on);
    EXPECT_EQ(state.runModeCheckBox, platform::GetControl(state.mainPanel, IDC_RUN_AFTER_COMPILE));
    EXPECT_EQ(PanelControl(IDC_RUN_AFTER_COMPILE).checked, on);
  }
}

TEST_F(ConfigurationTest, LastFileIsReadoptedWhenReadableAndADeviceNameIsRefusedUnopened) {
  struct Row {
    const char* lastFile;  // nullptr: the key is absent
    const char* existing;  // a file present before start
    bool adopted, valid;
    const char* savedAs;
  };
  const Row rows[] = {
      {"C:\\proj\\menu.rc", "C:\\proj\\menu.rc", true, true, "C:\\proj\\menu.rc"},
      {"C:\\gone\\menu.rc", "C:\\else.rc", false, false, "C:\\gone\\menu.rc"},
      {"None", "None", false, false, "None"},
      {nullptr, "!!!", false, false, "None"},
      {"a.r", "a.r", true, false, "None"},  // a bare name in the working directory
      // Never opened (the double has no such file), but adopted so that its refusal shows.
      {"C:\\p1\\AUX.rc", "C:\\else.rc", true, false, "C:\\p1\\AUX.rc"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lastFile ? row.lastFile : "(absent)");
    Fresh();
    InstallDefaultTools();
    fake::AddFile(row.existing);
    SetIniValue("DebugMode", "1");
    if (row.lastFile) SetIniValue("LastFile", row.lastFile);
    StartUtility();

    EXPECT_STREQ(state.rcFilePath, row.lastFile ? row.lastFile : "!!!") << "kept as read";
    EXPECT_EQ(state.templateCopyPending, row.adopted);
    std::vector<std::string> trace = DebugLines();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "The project resource file is:"),
              row.adopted ? 1 : 0)
        << "a script not adopted leaves no trace";
    EXPECT_EQ(PanelControl(IDC_RC_PATH).text, row.adopted ? row.lastFile : "");
    EXPECT_EQ(PanelControl(IDC_COMPILE).enabled, row.valid);

    SaveConfiguration();
    EXPECT_EQ(Ini("LastFile"), row.savedAs);
  }
}

TEST_F(ConfigurationTest, RunDelayIsReadAsADecimalBoundedToTheCap) {
  const std::pair<const char*, int> rows[] = {
      {nullptr, 0},       {"abc", 0},     {" 7x", 7},   {"+12", 12},  {"-5", 0},
      {"59", 59},         {"60", 60},     {"61", 60},   {"600", 60},  {"100000", 60},
      {"2147483647", 60}, {"99999999999", 60},              {"-99999999999", 0},
      {"5 6", 5},         {"4294967295", 60},               {"-4294967295", 0}};  // wrap to -1 and 1 if cut to int
  for (auto [value, seconds] : rows) {
    SCOPED_TRACE(value ? value : "(absent)");
    StartWith("RunDelay", value);
    EXPECT_EQ(state.runDelaySeconds, seconds);
    // Only an absent key is written back; a bad value stays as the user left it.
    EXPECT_EQ(Ini("RunDelay"), value ? value : "0");
    EXPECT_EQ(EventsStartingWith("WriteProfileString RunDelay").size(), value ? 0u : 1u);
  }
}

TEST_F(ConfigurationTest, CommandLineIsCutTo255ThenReadBackAs254AndSavedSo) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += static_cast<char>('a' + i % 26);
  const int lengths[] = {-1, 0, 254, 255, 256, 300, 600};  // -1: the key is absent
  for (int length : lengths) {
    SCOPED_TRACE(length);
    std::string value = text.substr(0, std::max(length, 0));
    StartWith("CommandLine", length < 0 ? nullptr : value.c_str());

    size_t kept = std::min<size_t>(value.size(), kRunParametersReadCapacity - 1);
    EXPECT_EQ(PanelControl(IDC_RUN_PARAMETERS).text, value.substr(0, kParametersCapacity - 1));
    EXPECT_EQ(state.runParameters, value.substr(0, kept));
    EXPECT_EQ(EventsStartingWith("WriteProfileString CommandLine"),
              length < 0 ? std::vector<std::string>{"WriteProfileString CommandLine="}
                         : std::vector<std::string>{});
    SaveConfiguration();
    EXPECT_EQ(Ini("CommandLine"), value.substr(0, kept));
  }
}

TEST_F(ConfigurationTest, SavingWritesTheFourSettingsInOrderThenQuitsButNeverTheToolPaths) {
  StartWith("MivoKestrix", kDefaultTemplatePath);
  fake::world().events.clear();
  state.runAfterCompile = true;
  state.debugMode = false;
  CopyText(state.rcFilePath, "C:\\proj\\menu.rc");
  CopyText(state.runParameters, "-a \"b c\"");
  CopyText(state.templatePath, "C:\\changed\\in\\memory.exe");
  SaveConfiguration();

  EXPECT_EQ(fake::world().events,
            (std::vector<std::string>{"WriteProfileString RunMode=1", "WriteProfileString DebugMode=0",
                                      "WriteProfileString LastFile=C:\\proj\\menu.rc",
                                      "WriteProfileString CommandLine=-a \"b c\"", "PostQuit 0"}));
  EXPECT_EQ(fake::world().quitCode, 0);
  EXPECT_EQ(Ini("MivoKestrix"), kDefaultTemplatePath);

  state.runAfterCompile = false;
  state.debugMode = true;
  SaveConfiguration();
  EXPECT_EQ(Ini("RunMode"), "0");
  EXPECT_EQ(Ini("DebugMode"), "1");
}

TEST_F(ConfigurationTest, LastFileOfFewerThanFourCharactersIsSavedAsNone) {
  const std::pair<const char*, const char*> rows[] = {
      {"", "None"}, {"C:\\", "None"}, {"!!!", "None"}, {"C:\\a", "C:\\a"}};
  CreateWindows();
  for (auto [path, saved] : rows) {
    CopyText(state.rcFilePath, path);
    SaveConfiguration();
    EXPECT_EQ(Ini("LastFile"), saved) << path;
    EXPECT_STREQ(state.rcFilePath, saved);
  }
}

}  // namespace
