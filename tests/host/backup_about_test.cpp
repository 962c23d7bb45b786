// The timestamped backup copy of the script, and the About box.
#include <cstring>
#include <functional>
#include <memory>
#include <regex>

#include "app/about.h"
#include "app/text.h"
#include "backup/backup.h"
#include "diag/debug_log.h"
#include "project/script.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

using platform::Message;

constexpr const char* kScript = "C:\\proj\\menu.rc";

class BackupTest : public UtilityTest {
 protected:
  void SetUp() override {
    UtilityTest::SetUp();
    InstallDefaultTools();
    StartUtility();
    ShowDebugWindow();
  }
  // Re-adopts path as a new choice in the open dialog would (the file must exist for that).
  void Choose(const std::string& path) {
    CopyText(state.rcFilePath, path.c_str());
    AdoptResourceScript();
  }
  void StartClean() {
    ClearDebugLog();
    fake::world().events.clear();
    fake::world().messageBoxes.clear();
  }
  static size_t BackupFiles() {
    size_t count = 0;
    for (auto& [name, file] : fake::world().files)
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bak") == 0) ++count;
    return count;
  }
};

TEST_F(BackupTest, TheNameCarriesDayMonthYearAndTimeOfTheLocalClock) {
  struct Case {
    platform::LocalTime moment;
    std::string name;
  };
  const std::vector<Case> cases = {
      {{2007, 11, 27, 10, 21, 46}, "C:\\proj\\menu_27112007_102146.bak"},
      {{2009, 3, 5, 7, 8, 9}, "C:\\proj\\menu_05032009_070809.bak"},
      {{2010, 1, 1, 0, 0, 0}, "C:\\proj\\menu_01012010_000000.bak"},
      {{1999, 12, 31, 23, 59, 59}, "C:\\proj\\menu_31121999_235959.bak"},
  };
  AdoptScript(kScript);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartClean();
    fake::world().localTime = c.moment;
    SaveBackupCopy();
    EXPECT_EQ(EventsStartingWith("CopyFile"),
              std::vector<std::string>{"CopyFile C:\\proj\\menu.rc -> " + c.name});
    ASSERT_TRUE(fake::HasFile(c.name));
    EXPECT_EQ(fake::FindFile(c.name)->content, fake::FindFile(kScript)->content);
    EXPECT_TRUE(DebugLines().empty()) << "a backup that succeeds is silent";
    EXPECT_TRUE(fake::world().messageBoxes.empty());
  }
}

TEST_F(BackupTest, ABackupInTheSameSecondReplacesTheEarlierOne) {
  AdoptScript(kScript);
  const std::string name = "C:\\proj\\menu_27112007_102146.bak";
  fake::AddFile(name, "an older copy");
  SaveBackupCopy();
  fake::FindFile(kScript)->content = "edited";
  SaveBackupCopy();
  EXPECT_EQ(BackupFiles(), 1u);
  EXPECT_EQ(fake::FindFile(name)->content, "edited");
  EXPECT_TRUE(fake::world().messageBoxes.empty());
}

TEST_F(BackupTest, OnlyAScriptThatPassedValidationIsCopied) {
  // After menu.rc, a choice that fails validation: its pieces may name another
  // file, or the refused file itself.
  struct Case {
    const char* name;
    std::string choice;  // empty: nothing adopted at all
    bool choiceExists;
  };
  const std::vector<Case> cases = {
      {"no script adopted", "", false},
      {"script not found", "C:\\gone\\other.rc", false},
      {"path with spaces", "C:\\My Projects\\menu.rc", true},
      {"no backslash", "menu.rc", true},
      {"no extension: new directory, earlier base name", "C:\\other\\noext", true},
      {"no extension: same directory, earlier base name and type", "C:\\proj\\menu_rc", true},
      {"wrong type: every piece new", "C:\\proj\\menu.rc2", true},
      {"reserved device name", "C:\\proj\\nul.rc", true},
      {"percent sign", "C:\\p%OS%\\menu.rc", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (!c.choice.empty()) {
      AdoptScript(kScript);
      if (c.choiceExists) fake::AddFile(c.choice);
      Choose(c.choice);
    }
    StartClean();
    SaveBackupCopy();
    EXPECT_TRUE(EventsStartingWith("CopyFile").empty());
    EXPECT_EQ(BackupFiles(), 0u);
    ASSERT_EQ(fake::world().messageBoxes.size(), 1u);
    EXPECT_EQ(fake::world().messageBoxes[0].caption, "Backup Copy Failed");
    EXPECT_EQ(fake::world().messageBoxes[0].owner, state.mainPanel);
    EXPECT_EQ(DebugLines().size(), 1u);
  }
}

TEST_F(BackupTest, ACopyThatFailsIsToldNamingTheScript) {
  struct Case {
    const char* name;
    std::string script;
    std::function<void(const std::string& script)> arrange;
  };
  // A directory this long still validates, but the message naming it must be cut to 255.
  const std::string longScript = "C:\\" + std::string(900, 'd') + "\\menu.rc";
  const std::string bak = "C:\\proj\\menu_27112007_102146.bak";
  const std::vector<Case> cases = {
      {"script removed since", kScript, [](const std::string& s) { fake::RemoveFile(s); }},
      {"same-named backup read-only", kScript,
       [&](const std::string&) {
         fake::AddFile(bak, "kept");
         fake::FindFile(bak)->readOnly = true;
       }},
      {"long path, script removed", longScript, [](const std::string& s) { fake::RemoveFile(s); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    AdoptScript(c.script);
    ASSERT_TRUE(PanelControl(IDC_COMPILE).enabled) << "the script validates";
    c.arrange(c.script);
    StartClean();
    SaveBackupCopy();

    ASSERT_EQ(fake::world().messageBoxes.size(), 1u);
    const fake::MessageBoxCall& box = fake::world().messageBoxes[0];
    EXPECT_EQ(box.caption, "Backup Copy Failed");
    EXPECT_EQ(box.owner, state.mainPanel);
    std::string expected = "The backup copy of " + c.script + " could not be made";
    EXPECT_EQ(box.text, expected.substr(0, 255));
    ASSERT_EQ(DebugLines().size(), 1u);
    EXPECT_NE(DebugLines()[0].find(c.script.substr(0, 100)), std::string::npos) << DebugLines()[0];
  }
}

// ---- About box

class AboutTest : public UtilityTest {
 protected:
  void SetUp() override {
    UtilityTest::SetUp();
    CreateWindows();
  }
};

std::vector<std::pair<int, std::string>>* writes = nullptr;

// Stands in for the box's owner of the statics: each text written is reported
// back as an edit control would, so the order of the writes can be seen.
intptr_t RecordWrites(platform::Window dialog, Message message, uintptr_t wParam, intptr_t) {
  int id = static_cast<int>(wParam & 0xFFFF);
  if (message == Message::Command) writes->emplace_back(id, fake::Find(dialog)->controls[id].text);
  return 0;
}

TEST_F(AboutTest, InitFillsTheFourTextsInOrder) {
  std::vector<std::pair<int, std::string>> seen;
  writes = &seen;
  auto box = std::make_unique<fake::Window>();
  box->templateId = IDD_ABOUT;
  box->procedure = RecordWrites;
  for (int id : {IDC_ABOUT_NAME, IDC_ABOUT_AUTHOR, IDC_ABOUT_VERSION, IDC_ABOUT_DATE})
    box->controls[id].isEdit = true;
  fake::world().windows.push_back(std::move(box));
  platform::Window handle = fake::world().windows.back().get();

  EXPECT_EQ(AboutBoxProc(handle, Message::Init, 0, 0), 1);
  writes = nullptr;
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], std::make_pair(1002, std::string("VORN Mivo Compile Utility")));
  EXPECT_EQ(seen[1], std::make_pair(1003, std::string("Version: A1.00.04")));
  EXPECT_EQ(seen[2], std::make_pair(1004, std::string("Author: ") + MIVO_AUTHOR_CREDIT));
  EXPECT_EQ(seen[3].first, 1005);
  // The compiler's build date and time: "Nov 27 2007" (day blank-padded) and "10:21:46".
  EXPECT_TRUE(std::regex_match(
      seen[3].second, std::regex("Date : [A-Z][a-z]{2} [ 123][0-9] [0-9]{4} - "
                                 "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
      << seen[3].second;
}

TEST_F(AboutTest, TheBoxIsModalOwnedByTheMainWindowAndSilent) {
  size_t beeps = fake::world().beeps.size();
  ShowAboutBox();
  EXPECT_EQ(EventsStartingWith("RunModalDialog"), std::vector<std::string>{"RunModalDialog 102"});
  fake::Window* box = fake::FindByTemplate(IDD_ABOUT);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->modal);
  EXPECT_EQ(box->parent, state.mainWindow);
  EXPECT_EQ(box->controls[IDC_ABOUT_NAME].text, "VORN Mivo Compile Utility");
  EXPECT_EQ(box->controls[IDC_ABOUT_VERSION].text, "Version: A1.00.04");
  EXPECT_EQ(fake::world().beeps.size(), beeps);
}

TEST_F(AboutTest, EveryCommandEndsTheBoxWithOne) {
  for (int id : {static_cast<int>(platform::kIdOk), static_cast<int>(platform::kIdCancel),
                 IDC_ABOUT_DATE, IDM_EXIT}) {
    SCOPED_TRACE(id);
    intptr_t handled = -1;
    intptr_t otherMessage = -1;
    fake::world().onModalDialog = [&](platform::Window dialog) {
      otherMessage = AboutBoxProc(dialog, Message::Other, 0, 0);
      EXPECT_FALSE(fake::Find(dialog)->ended);
      handled = fake::SendCommand(dialog, id);
    };
    ShowAboutBox();
    fake::Window* box = fake::FindByTemplate(IDD_ABOUT);
    EXPECT_EQ(otherMessage, 0);
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(box->ended);
    EXPECT_EQ(box->endResult, 1);
  }
}

}  // namespace
