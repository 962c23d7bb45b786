// The configuration file seen from outside: the start without an INI or tools,
// the last script taken up again or left alone, the settings as the profile
// services trim and cut them, and what the two ways out write back.

#include "tests/e2e/driver/fixture.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <sstream>

namespace e2e {
namespace {

using ConfigurationTest = UtilityTest;

constexpr char kErrorCaption[] = "MivoCompile Utility - Configuration Error Message";

// The INI's lines without their line ends, as a person reads the file.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

TEST_F(ConfigurationTest, WithoutIniOrToolsEachPathIsReportedThenTheStartEndsLeavingTheDefaults) {
  ASSERT_FALSE(DirectoryExists("C:\\VORN")) << "the default tool paths must not exist in this prefix";
  RemoveIni();
  ASSERT_TRUE(LaunchUtility());

  for (const char* text : {"The path to MivoKestrix in MivoCompile.ini is incorrect",
                           "The path to Sarvex in MivoCompile.ini is incorrect",
                           "The path to BRC32 in MivoCompile.ini is incorrect",
                           "Please update the Configuration in MivoCompile.ini  \nbefore restarting this application"}) {
    SCOPED_TRACE(text);
    auto box = WaitForMessageBox(utility().Id());
    ASSERT_TRUE(box) << utility().Describe();
    EXPECT_EQ(kErrorCaption, box->caption);
    EXPECT_EQ(text, box->text);
    EXPECT_EQ(mivo::kClassName, ClassName(box->owner)) << "owned by the panel's top-level window";
    ASSERT_TRUE(AnswerMessageBox(box->window));
  }
  DWORD code = 1;
  ASSERT_TRUE(utility().process().WaitForExit(DefaultTimeout(), &code)) << utility().Describe();
  EXPECT_EQ(0u, code);

  // Written during the load, in key order; the abort saves nothing more.
  auto ini = ReadIni();
  ASSERT_TRUE(ini);
  EXPECT_EQ((std::vector<std::string>{"[Configuration]",
                                      "MivoKestrix=C:\\VORN\\MivoConvert\\Mivokestrix\\KestRix.exe",
                                      "Sarvex=C:\\VORN\\MivoConvert\\Tools\\Sarvex.exe",
                                      "BRC32=C:\\VORN\\MivoConvert\\Bc4\\bin\\brc32.exe", "RunDelay=0",
                                      "CommandLine="}),
            Lines(*ini));
}

TEST_F(ConfigurationTest, LastFileIsTakenUpOnlyWhenReadableAndSavedBackByBothWaysOut) {
  std::string script = ScratchPath("menu.rc");
  ASSERT_TRUE(WriteFileBytes(script, "// menu\n"));
  ASSERT_TRUE(WriteFileBytes(ScratchPath("menu.exe"), "MZ"));
  std::string gone = ScratchPath("moved.rc");
  struct Case {
    const char* name;
    std::string line;  // the LastFile line, or none
    bool adopted;
    std::string saved;
    bool closeBox;  // WM_CLOSE to the main window instead of File > Exit
  };
  const Case cases[] = {
      {"readable", "LastFile=" + script, true, script, false},
      {"None", "LastFile=None", false, "None", true},
      {"absent", "", false, "None", false},
      {"unreadable", "LastFile=" + gone, false, gone, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteIni(StandardIni("DebugMode=1\n" + c.line)));
    ASSERT_TRUE(StartUtility());
    ASSERT_NE(nullptr, utility().WaitForDebugWindow());
    EXPECT_EQ(c.adopted, IsEnabled(utility().Control(IDC_COMPILE)));
    EXPECT_EQ(c.adopted, IsEnabled(utility().Control(IDC_RUN_EXE))) << "menu.exe lies beside the script";
    EXPECT_EQ(c.adopted ? script : "", utility().ControlText(IDC_RC_PATH));
    // The configuration's six lines, then the validation's only when the script is taken up.
    std::vector<std::string> lines = utility().DebugLines();
    std::vector<std::string> after(lines.size() > 6 ? lines.begin() + 6 : lines.end(), lines.end());
    std::vector<std::string> expected;
    if (c.adopted) {
      expected = {"The project resource file is:", script, "Filepath is '" + Scratch() + "'",
                  "Filename is 'menu.rc'", "File base name is 'menu'", "File type is 'RC'"};
    }
    EXPECT_EQ(expected, after);

    DWORD code = 1;
    if (c.closeBox) {
      ASSERT_TRUE(PostClose(utility().MainWindow()));
      ASSERT_TRUE(utility().process().WaitForExit(DefaultTimeout(), &code));
    } else {
      ASSERT_TRUE(utility().Exit(&code));
    }
    EXPECT_EQ(0u, code);
    EXPECT_EQ("0", IniValue("RunMode")) << "absent until the settings are saved";
    EXPECT_EQ(c.saved, IniValue("LastFile"));
  }
}

TEST_F(ConfigurationTest, SettingsAreReadTrimmedAndCutAndOnlyThePanelsValuesAreSaved) {
  std::string parameters;
  for (int index = 0; index < 300; ++index) parameters.push_back(static_cast<char>('a' + index % 26));
  ASSERT_TRUE(WriteIni(StandardIni("RunMode=1 \nRunDelay=abc\nCommandLine=" + parameters)));
  ASSERT_TRUE(StartUtility());
  EXPECT_EQ(BST_CHECKED, CheckState(utility().Control(IDC_RUN_AFTER_COMPILE))) << "\"1 \" is trimmed to \"1\"";
  EXPECT_EQ(parameters.substr(0, 255), utility().ControlText(IDC_RUN_PARAMETERS));
  EXPECT_EQ("abc", IniValue("RunDelay")) << "a present value is not rewritten";
  EXPECT_EQ(parameters, IniValue("CommandLine")) << "written only at exit";

  DWORD code = 1;
  ASSERT_TRUE(utility().Exit(&code));
  EXPECT_EQ(0u, code);
  EXPECT_EQ("1", IniValue("RunMode"));
  EXPECT_EQ("abc", IniValue("RunDelay"));
  EXPECT_EQ(parameters.substr(0, 254), IniValue("CommandLine"));
}

}  // namespace
}  // namespace e2e
