// Choosing the resource script: validation's trace and verdict for each kind of
// path, the pieces a refused path leaves, the buttons, and the open dialog.
#include "project/script.h"

#include <cstring>

#include "app/shell.h"
#include "app/text.h"
#include "backup/backup.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

constexpr const char* kHeader = "The project resource file is:";
constexpr const char* kMoved = "Warning - The last file used has been moved or renamed";
constexpr const char* kSpaces = "Filepath contains spaces - the Borland compiler will object...";
constexpr const char* kBadPath = "Invalid filepath";
constexpr const char* kNoExtension = "No file extension - type unknown";
constexpr const char* kBadType = "Invalid filetype";
constexpr const char* kNameTooLong = "Filename is longer than 31 characters - it cannot be converted";
constexpr const char* kPathTooLong =
    "Filepath is too long for the conversion files - move the project nearer to Root";

struct Pieces {
  std::string dir, name, base, type;
};

Pieces CurrentPieces() {
  return {state.projectDir, state.rcFileName, state.baseName, state.fileType};
}

void ExpectPieces(const Pieces& expected) {
  EXPECT_STREQ(state.projectDir, expected.dir.c_str());
  EXPECT_STREQ(state.rcFileName, expected.name.c_str());
  EXPECT_STREQ(state.baseName, expected.base.c_str());
  EXPECT_STREQ(state.fileType, expected.type.c_str());
}

class ScriptTest : public UtilityTest {
 protected:
  void SetUp() override {
    UtilityTest::SetUp();
    Open();
  }

  void Open() {
    CreateWindows();
    ShowDebugWindow();
  }

  void Restart() {
    fake::Reset();
    ResetUtilityState();
    Open();
  }

  // Adopts path as LoadConfiguration does; the trace starts empty. Returns the compile button.
  bool Adopt(const std::string& path) {
    ClearDebugLog();
    CopyText(state.rcFilePath, path.c_str());
    state.templateCopyPending = false;
    AdoptResourceScript();
    EXPECT_TRUE(state.templateCopyPending) << "every adoption arms the template copy";
    return PanelControl(IDC_COMPILE).enabled;
  }

  // The open dialog answers with path, or fails with error when path is null.
  void AnswerDialog(const char* path, unsigned error = 0) {
    fake::world().dialogError = error;
    fake::world().onOpenDialog = [path](platform::OpenFileRecord& record) {
      if (path == nullptr) return false;
      CopyText(record.file, record.maxFile, path);
      const char* title = std::strrchr(path, '\\');
      CopyText(record.fileTitle, record.maxFileTitle, title ? title + 1 : path);
      return true;
    };
  }
};

TEST_F(ScriptTest, EachPathGivesItsTraceAndVerdict) {
  struct Row {
    const char* path;
    bool exists;
    std::vector<std::string> trace;  // after the header and the path
    bool valid;
  };
  const Row rows[] = {
      {"C:\\proj\\menu.rc", true,
       {"Filepath is 'C:\\proj\\'", "Filename is 'menu.rc'", "File base name is 'menu'",
        "File type is 'RC'"},
       true},
      {"C:\\proj\\menu.RC", true,
       {"Filepath is 'C:\\proj\\'", "Filename is 'menu.RC'", "File base name is 'menu'",
        "File type is 'RC'"},
       true},
      {"C:\\proj\\menu.rC", true,
       {"Filepath is 'C:\\proj\\'", "Filename is 'menu.rC'", "File base name is 'menu'",
        "File type is 'RC'"},
       true},
      {"C:\\a.b\\menu.old.rc", true,
       {"Filepath is 'C:\\a.b\\'", "Filename is 'menu.old.rc'", "File base name is 'menu.old'",
        "File type is 'RC'"},
       true},
      {"C:\\proj\\sub/menu.rc", true,
       {"Filepath is 'C:\\proj\\'", "Filename is 'sub/menu.rc'", "File base name is 'sub/menu'",
        "File type is 'RC'"},
       true},
      {"C:\\proj\\menu.rc", false, {kMoved}, false},
      {"C:\\My Projects\\menu.rc", true, {kSpaces}, false},
      {"C:\\proj\\my menu.rc", false, {kMoved}, false},
      {"menu.rc", true, {kBadPath}, false},
      {"C:/proj/menu.rc", true, {kBadPath}, false},
      {"\\menu.rc", true, {kBadPath}, false},
      {"C:\\proj\\.rc", true, {"Filepath is 'C:\\proj\\'", "Filename is '.rc'", kNoExtension}, false},
      {"C:\\proj\\menu", true, {"Filepath is 'C:\\proj\\'", "Filename is 'menu'", kNoExtension}, false},
      {"C:\\proj.d\\menu", true,
       {"Filepath is 'C:\\proj.d\\'", "Filename is 'menu'", kNoExtension}, false},
      {"C:\\proj\\menu.rc2", true,
       {"Filepath is 'C:\\proj\\'", "Filename is 'menu.rc2'", "File base name is 'menu'",
        "File type is 'RC2'", kBadType},
       false},
      {"C:\\proj\\menu.", true,
       {"Filepath is 'C:\\proj\\'", "Filename is 'menu.'", "File base name is 'menu'",
        "File type is ''", kBadType},
       false},
      {"C:\\proj\\menu.rc.txt", true,
       {"Filepath is 'C:\\proj\\'", "Filename is 'menu.rc.txt'", "File base name is 'menu.rc'",
        "File type is 'TXT'", kBadType},
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.path) + (row.exists ? "" : " (absent)"));
    Restart();
    if (row.exists) fake::AddFile(row.path);
    std::vector<std::string> expected{kHeader, row.path};
    expected.insert(expected.end(), row.trace.begin(), row.trace.end());

    ClearDebugLog();
    CopyText(state.rcFilePath, row.path);
    EXPECT_EQ(ValidateResourceScript(), row.valid);
    EXPECT_EQ(DebugLines(), expected);
    EXPECT_EQ(PanelControl(IDC_RC_PATH).text, row.path);
    EXPECT_TRUE(MessageTexts().empty()) << "validation only traces";

    EXPECT_EQ(Adopt(row.path), row.valid);
  }
}

TEST_F(ScriptTest, ARefusedPathLeavesThePiecesAsFarAsValidationGot) {
  const Pieces earlier{"C:\\old\\", "first.rc", "first", "RC"};
  const std::string longName = "C:\\new\\" + std::string(29, 'n') + ".rc";  // 32 characters
  const std::string longDir = "C:\\" + std::string(996, 'd') + "\\";
  struct Row {
    std::string path;
    Pieces left;
  };
  const Row rows[] = {
      {"C:\\new\\gone.rc", earlier},                                   // not readable
      {"C:\\new dir\\menu.rc", earlier},                               // blanks
      {"menu.rc", earlier},                                            // no directory
      {longName, earlier},                                             // name too long
      {longDir + "menu.rc", earlier},                                  // path too long
      {"C:\\new\\noext", {"C:\\new\\", "noext", "first", "RC"}},       // extension
      {"C:\\new\\menu.txt", {"C:\\new\\", "menu.txt", "menu", "TXT"}}, // type
  };
  for (const Row& row : rows) {
    for (bool exeExists : {false, true}) {
      SCOPED_TRACE(row.path.substr(0, 40) + (exeExists ? " with" : " without") + " its exe");
      Restart();
      fake::AddFile("C:\\old\\first.rc");
      fake::AddFile("C:\\old\\first.exe");
      ASSERT_TRUE(Adopt("C:\\old\\first.rc"));
      ASSERT_TRUE(PanelControl(IDC_RUN_EXE).enabled);

      if (row.path != "C:\\new\\gone.rc") fake::AddFile(row.path);
      std::string exe = row.left.dir + row.left.base + ".exe";
      if (exeExists) fake::AddFile(exe);
      else fake::RemoveFile(exe);

      EXPECT_FALSE(Adopt(row.path));
      ExpectPieces(row.left);
      EXPECT_EQ(PanelControl(IDC_RUN_EXE).enabled, exeExists) << "Run exe... follows " << exe;
      EXPECT_STREQ(state.workBuffer, exe.c_str());
    }
  }
}

TEST_F(ScriptTest, RunExeFollowsTheExeOfTheAdoptedScript) {
  fake::AddFile("C:\\proj\\menu.rc");
  EXPECT_TRUE(Adopt("C:\\proj\\menu.rc"));
  EXPECT_FALSE(PanelControl(IDC_RUN_EXE).enabled);

  fake::AddFile("c:\\PROJ\\Menu.EXE");
  EXPECT_TRUE(Adopt("C:\\proj\\menu.rc"));
  EXPECT_TRUE(PanelControl(IDC_RUN_EXE).enabled);

  // A locked or read-only program can still be opened for reading.
  fake::FindFile("C:\\proj\\menu.exe")->locked = true;
  fake::FindFile("C:\\proj\\menu.exe")->readOnly = true;
  EXPECT_TRUE(Adopt("C:\\proj\\menu.rc"));
  EXPECT_TRUE(PanelControl(IDC_RUN_EXE).enabled);

  fake::RemoveFile("C:\\proj\\menu.exe");
  fake::AddFile("C:\\proj\\menu.rc.exe");  // not the name the pieces form
  EXPECT_TRUE(Adopt("C:\\proj\\menu.rc"));
  EXPECT_FALSE(PanelControl(IDC_RUN_EXE).enabled);
}

TEST_F(ScriptTest, NamesUpTo31CharactersAreAccepted) {
  for (size_t length : {30u, 31u, 32u, 40u}) {
    SCOPED_TRACE(length);
    Restart();
    std::string name = std::string(length - 3, 'x') + ".rc";
    std::string path = "C:\\p\\" + name;
    fake::AddFile(path);
    bool fits = length < kNameCapacity;
    EXPECT_EQ(Adopt(path), fits);
    std::vector<std::string> trace = DebugLines();
    ASSERT_GE(trace.size(), 3u);
    if (fits) {
      EXPECT_STREQ(state.rcFileName, name.c_str());
      EXPECT_EQ(state.baseName, name.substr(0, length - 3));
    } else {
      EXPECT_EQ(trace, (std::vector<std::string>{kHeader, path, kNameTooLong}));
      ExpectPieces({"", "", "", ""});
    }
  }
}

TEST_F(ScriptTest, TheLongestDerivedNameMustFitTheWorkBuffer) {
  // projectDir + baseName + "_DDMMYYYY_HHMMSS.bak" with its terminator, exactly at the edge.
  const size_t base = 4;  // "menu"
  const size_t edgeDir = kPathCapacity - 1 - kLongestProjectSuffix - base;
  for (size_t dirLength : {edgeDir - 1, edgeDir, edgeDir + 1}) {
    SCOPED_TRACE(dirLength);
    Restart();
    std::string dir = "C:\\" + std::string(dirLength - 4, 'd') + "\\";
    ASSERT_EQ(dir.size(), dirLength);
    std::string path = dir + "menu.rc";
    fake::AddFile(path);

    bool fits = dirLength <= edgeDir;
    EXPECT_EQ(Adopt(path), fits);
    char name[kPathCapacity];
    EXPECT_EQ(FormatBackupName(name, sizeof name, dir.c_str(), "menu", platform::GetLocalTime()),
              fits)
        << "the bound is the backup name's own";
    if (fits) {
      EXPECT_EQ(state.projectDir, dir);
    } else {
      EXPECT_EQ(DebugLines().back(), kPathTooLong);
      EXPECT_EQ(DebugLines().size(), 3u);
      EXPECT_STREQ(state.projectDir, "");
    }
  }
}

TEST_F(ScriptTest, SelectingEmptiesTheTraceBeforeTheDialogAndAdoptsItsAnswer) {
  LogDebug("left over");
  bool sawDialog = false;
  fake::world().onOpenDialog = [&](platform::OpenFileRecord& record) {
    sawDialog = true;
    EXPECT_TRUE(DebugLines().empty());
    EXPECT_EQ(record.file, state.rcFilePath);
    EXPECT_EQ(record.fileTitle, state.rcFileTitle);
    EXPECT_EQ(record.owner, state.mainPanel);
    for (size_t i = 0; i < kPathCapacity; ++i) {
      if (state.rcFilePath[i] != 0 || state.rcFileTitle[i] != 0) {
        ADD_FAILURE() << "byte " << i << " not cleared";
        break;
      }
    }
    CopyText(record.file, record.maxFile, "C:\\proj\\menu.rc");
    CopyText(record.fileTitle, record.maxFileTitle, "menu.rc");
    return true;
  };
  fake::AddFile("C:\\proj\\menu.rc");
  CopyText(state.rcFilePath, "C:\\a\\much\\longer\\earlier\\path.rc");

  SelectResourceScript();

  EXPECT_TRUE(sawDialog);
  EXPECT_STREQ(state.rcFilePath, "C:\\proj\\menu.rc");
  EXPECT_STREQ(state.rcFileTitle, "menu.rc");
  ExpectPieces({"C:\\proj\\", "menu.rc", "menu", "RC"});
  EXPECT_TRUE(PanelControl(IDC_COMPILE).enabled);
  EXPECT_TRUE(state.templateCopyPending);
  EXPECT_EQ(DebugLines().front(), kHeader);
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(ScriptTest, ButtonAndMenuBothOpenTheDialog) {
  AnswerDialog(nullptr);
  fake::SendCommand(state.mainPanel, IDC_SELECT_RC);
  MainWindowProc(state.mainWindow, platform::Message::Command, IDM_OPEN, 0);
  EXPECT_EQ(EventsStartingWith("GetOpenFileName").size(), 2u);
}

TEST_F(ScriptTest, AFailedOrCancelledDialogKeepsTheCurrentScript) {
  struct Row {
    unsigned error;
    const char* text;  // nullptr: no box
    const char* caption;
  };
  const Row rows[] = {
      {0, nullptr, nullptr},
      {platform::kFnErrInvalidFileName, "The File Name you selected has not been recognised",
       "! Invalid File Name !"},
      {platform::kFnErrBufferTooSmall,
       "File Path too long or too many Files selected. \n Select fewer Files and retry",
       "! Buffer Overflow !"},
      {0x3001, "An error has occured", "! ERROR !"},
      {0xFFFF, "An error has occured", "! ERROR !"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    Restart();
    fake::AddFile("C:\\proj\\menu.rc");
    fake::AddFile("C:\\proj\\menu.exe");
    AnswerDialog("C:\\proj\\menu.rc");
    SelectResourceScript();
    ASSERT_TRUE(PanelControl(IDC_COMPILE).enabled);
    Pieces before = CurrentPieces();

    fake::world().dialogError = row.error;
    fake::world().onOpenDialog = [](platform::OpenFileRecord& record) {
      CopyText(record.file, record.maxFile, "C:\\half");  // what a failing dialog may leave
      return false;
    };
    fake::world().events.clear();
    SelectResourceScript();

    EXPECT_STREQ(state.rcFilePath, "C:\\proj\\menu.rc");
    EXPECT_STREQ(state.rcFileTitle, "menu.rc");
    ExpectPieces(before);
    EXPECT_TRUE(PanelControl(IDC_COMPILE).enabled);
    EXPECT_TRUE(PanelControl(IDC_RUN_EXE).enabled);
    EXPECT_EQ(PanelControl(IDC_RC_PATH).text, "C:\\proj\\menu.rc");
    EXPECT_TRUE(DebugLines().empty()) << "the trace is emptied all the same";
    EXPECT_TRUE(EventsStartingWith("EnableControl").empty());

    auto& boxes = fake::world().messageBoxes;
    if (row.text == nullptr) {
      EXPECT_TRUE(boxes.empty());
      continue;
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, row.text);
    EXPECT_EQ(boxes[0].caption, row.caption);
    EXPECT_EQ(boxes[0].owner, state.mainWindow);
  }
}

}  // namespace
