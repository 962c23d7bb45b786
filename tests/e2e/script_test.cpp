// Choosing the resource script in the real open dialog: the trace of each
// check, the compile and run buttons, the path shown in the panel, and what a
// cancelled dialog keeps.

#include "tests/e2e/driver/fixture.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace e2e {
namespace {

enum class Opener { kButton, kMenu };

class ScriptTest : public UtilityTest {
 protected:
  // Starts with the debug window open, in a scratch directory whose path has no blanks.
  void SetUp() override {
    UtilityTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(std::string::npos, Scratch().find(' ')) << Scratch();
    ASSERT_TRUE(WriteIni(StandardIni("DebugMode=1")));
    ASSERT_TRUE(StartUtility());
    ASSERT_NE(nullptr, utility().WaitForDebugWindow());
  }

  // A script file at a path under the scratch directory; returns its full path.
  std::string PutScript(const std::string& relative) {
    std::string path = ScratchPath(relative);
    EXPECT_TRUE(MakeDirectories(DirectoryOf(path))) << path;
    EXPECT_TRUE(WriteFileBytes(path, "// menu\n")) << path;
    return path;
  }

  // Opens the dialog, checks the trace was emptied for it, chooses path (an
  // empty path cancels) and returns once the program has handled the answer.
  ::testing::AssertionResult Choose(const std::string& path, Opener opener) {
    bool opened = opener == Opener::kButton ? Click(utility().Control(IDC_SELECT_RC)) : utility().Command(IDM_OPEN);
    if (!opened) return ::testing::AssertionFailure() << "cannot open the dialog: " << LastErrorText();
    HWND dialog = WaitForOpenDialog(utility().Id());
    if (!dialog) return ::testing::AssertionFailure() << "no open dialog; windows:\n" << utility().Describe();
    if (int count = ListCount(utility().DebugList()); count != 0) {
      return ::testing::AssertionFailure() << "the trace holds " << count << " lines while the dialog is up";
    }
    if (!path.empty()) {
      if (auto typed = TypeFileName(dialog, path); !typed) return typed;
    }
    if (!(path.empty() ? PressCancel(dialog) : PressOpen(dialog))) {
      return ::testing::AssertionFailure() << "cannot answer the dialog: " << LastErrorText();
    }
    if (auto gone = WaitForWindowGone(dialog); !gone) return gone << "; windows:\n" << utility().Describe();
    // A sent message is handled only once the command handler has returned.
    if (!utility().Answers()) return ::testing::AssertionFailure() << "the program does not answer";
    return ::testing::AssertionSuccess();
  }

  bool CompileEnabled() { return IsEnabled(utility().Control(IDC_COMPILE)); }
  bool RunEnabled() { return IsEnabled(utility().Control(IDC_RUN_EXE)); }
};

// The trace of a path: its two heading lines, then what the checks wrote.
std::vector<std::string> Trace(const std::string& path, const std::vector<std::string>& checks) {
  std::vector<std::string> lines{"The project resource file is:", path};
  lines.insert(lines.end(), checks.begin(), checks.end());
  return lines;
}

// The four pieces of a script that passes every check up to its type, then the refusal if any.
std::vector<std::string> Pieces(const std::string& dir, const std::string& name, const std::string& base,
                                const std::string& type, const std::string& refusal = "") {
  std::vector<std::string> lines{"Filepath is '" + dir + "'", "Filename is '" + name + "'",
                                 "File base name is '" + base + "'", "File type is '" + type + "'"};
  if (!refusal.empty()) lines.push_back(refusal);
  return lines;
}

TEST_F(ScriptTest, EachChoiceIsTracedCheckByCheckAndSetsTheButtons) {
  const std::string plain = ScratchPath("plain\\");
  const std::string name31 = std::string(28, 'n') + ".rc";
  const std::string name32 = std::string(29, 'n') + ".rc";
  struct Case {
    std::string file;  // under the scratch directory
    Opener opener;
    std::vector<std::string> checks;
    bool compiles;
    bool runs;
  };
  const Case cases[] = {
      {"bare\\menu.rc", Opener::kButton, Pieces(ScratchPath("bare\\"), "menu.rc", "menu", "RC"), true, false},
      {"plain\\menu.rc", Opener::kMenu, Pieces(plain, "menu.rc", "menu", "RC"), true, true},
      {"upper\\menu.RC", Opener::kButton, Pieces(ScratchPath("upper\\"), "menu.RC", "menu", "RC"), true, false},
      // Refused at the type: every piece is the new script's, so Run follows plain\menu.exe.
      {"plain\\menu.rc2", Opener::kMenu, Pieces(plain, "menu.rc2", "menu", "RC2", "Invalid filetype"), false, true},
      {"a.b\\menu.old.rc", Opener::kButton, Pieces(ScratchPath("a.b\\"), "menu.old.rc", "menu.old", "RC"), true,
       false},
      {"spaced dir\\menu.rc", Opener::kMenu, {"Filepath contains spaces - the Borland compiler will object..."},
       false, false},
      // Refused at the extension: the new directory with the earlier base name menu.old.
      {"plain\\.rc", Opener::kButton,
       {"Filepath is '" + plain + "'", "Filename is '.rc'", "No file extension - type unknown"}, false, false},
      {"long\\" + name31, Opener::kMenu, Pieces(ScratchPath("long\\"), name31, name31.substr(0, 28), "RC"), true,
       false},
      {"long\\" + name32, Opener::kButton, {"Filename is longer than 31 characters - it cannot be converted"}, false,
       false},
  };
  ASSERT_TRUE(MakeDirectories(plain));
  ASSERT_TRUE(WriteFileBytes(plain + "menu.exe", "MZ"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string path = PutScript(c.file);
    ASSERT_TRUE(Choose(path, c.opener));
    EXPECT_EQ(Trace(path, c.checks), utility().DebugLines());
    EXPECT_EQ(c.compiles, CompileEnabled());
    EXPECT_EQ(c.runs, RunEnabled());
    EXPECT_EQ(path, utility().ControlText(IDC_RC_PATH));
  }
}

TEST_F(ScriptTest, ADeviceNameOrAPercentSignIsRefusedBeforeTheFileIsTouched) {
  // Adopted as the last file at start; a device would open like a readable file,
  // and the command interpreter would expand %TEMP% inside the tool command lines.
  const std::string device = "Filename is a reserved device name - it cannot be converted";
  const std::string percent = "Filepath contains a percent sign - the command interpreter would change it";
  const std::pair<std::string, std::string> cases[] = {
      {ScratchPath("p1\\AUX.rc"), device},
      {ScratchPath("p1\\com1.rc"), device},
      {ScratchPath("p1\\Nul.rc"), device},
      {PutScript("p%TEMP%x\\menu.rc"), percent},
  };
  ASSERT_TRUE(MakeDirectories(ScratchPath("p1\\")));
  for (const auto& [path, refusal] : cases) {
    SCOPED_TRACE(path);
    utility().process().Terminate();
    ASSERT_TRUE(WriteIni(StandardIni("DebugMode=1\nLastFile=" + path)));
    ASSERT_TRUE(StartUtility());
    ASSERT_NE(nullptr, utility().WaitForDebugWindow());
    std::vector<std::string> lines = utility().DebugLines();
    auto header = std::find(lines.begin(), lines.end(), "The project resource file is:");
    EXPECT_EQ(Trace(path, {refusal}), std::vector<std::string>(header, lines.end()));
    EXPECT_FALSE(CompileEnabled());
    EXPECT_FALSE(RunEnabled());
    EXPECT_EQ(path, utility().ControlText(IDC_RC_PATH));
    EXPECT_TRUE(utility().Answers());
  }
}

TEST_F(ScriptTest, CancelKeepsTheCurrentScriptWhichExitSavesAsLastFile) {
  std::string path = PutScript("proj\\menu.rc");
  ASSERT_TRUE(WriteFileBytes(ScratchPath("proj\\menu.exe"), "MZ"));
  ASSERT_TRUE(Choose(path, Opener::kButton));
  ASSERT_TRUE(CompileEnabled());

  for (Opener opener : {Opener::kMenu, Opener::kButton}) {
    ASSERT_TRUE(Choose("", opener));
    EXPECT_EQ(path, utility().ControlText(IDC_RC_PATH));
    EXPECT_TRUE(CompileEnabled());
    EXPECT_TRUE(RunEnabled());
    EXPECT_TRUE(utility().DebugLines().empty()) << "the trace was emptied for the dialog";
    EXPECT_FALSE(FindMessageBox(utility().Id())) << "cancelling is no error";
  }
  DWORD code = 1;
  ASSERT_TRUE(utility().Exit(&code));
  EXPECT_EQ(0u, code);
  EXPECT_EQ(path, IniValue("LastFile"));
}

}  // namespace
}  // namespace e2e
