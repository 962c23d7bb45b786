// Choosing the resource script: validation's trace and verdict for each kind of
// path, the pieces a refused path leaves, the buttons, and the open dialog.
#include "project/script.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "app/shell_services.h"
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
constexpr const char* kDevice = "Filename is a reserved device name - it cannot be converted";
constexpr const char* kPercent =
    "Filepath contains a percent sign - the command interpreter would change it";
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

  // The open dialog fills in path and its title, then reports success or failure.
  void AnswerDialog(const char* path, bool succeeds = true) {
    fake::world().onOpenDialog = [path, succeeds](platform::OpenFileRecord& record) {
      CopyText(record.file, record.maxFile, path);
      CopyText(record.fileTitle, record.maxFileTitle, std::strrchr(path, '\\') + 1);
      return succeeds;
    };
  }
};

// The trace lines of the pieces validation got as far as: directory, name, base, type.
std::vector<std::string> Split(const char* dir, const char* name, const char* base = nullptr,
                               const char* type = nullptr) {
  std::vector<std::string> lines{std::string("Filepath is '") + dir + "'",
                                 std::string("Filename is '") + name + "'"};
  if (base) lines.push_back(std::string("File base name is '") + base + "'");
  if (type) lines.push_back(std::string("File type is '") + type + "'");
  return lines;
}

TEST_F(ScriptTest, EachPathGivesItsTraceAndVerdict) {
  struct Row {
    const char* path;
    bool exists;
    std::vector<std::string> trace;  // after the header and the path
    const char* refusal;             // nullptr: valid
  };
  const Row rows[] = {
      {"C:\\proj\\menu.rc", true, Split("C:\\proj\\", "menu.rc", "menu", "RC"), nullptr},
      {"C:\\proj\\menu.RC", true, Split("C:\\proj\\", "menu.RC", "menu", "RC"), nullptr},
      {"C:\\a.b\\menu.old.rc", true, Split("C:\\a.b\\", "menu.old.rc", "menu.old", "RC"), nullptr},
      {"C:\\proj\\sub/menu.rc", true, Split("C:\\proj\\", "sub/menu.rc", "sub/menu", "RC"), nullptr},
      {"C:\\proj\\menu.rc", false, {}, kMoved},
      {"C:\\My Projects\\menu.rc", true, {}, kSpaces},
      {"menu.rc", true, {}, kBadPath},
      {"C:/proj/menu.rc", true, {}, kBadPath},
      {"\\menu.rc", true, {}, kBadPath},
      {"C:\\proj\\.rc", true, Split("C:\\proj\\", ".rc"), kNoExtension},
      {"C:\\proj.d\\menu", true, Split("C:\\proj.d\\", "menu"), kNoExtension},
      {"C:\\proj\\menu.rc2", true, Split("C:\\proj\\", "menu.rc2", "menu", "RC2"), kBadType},
      {"C:\\proj\\menu.", true, Split("C:\\proj\\", "menu.", "menu", ""), kBadType},
      // Device names, in any case and before any extension, even when nothing answers there.
      {"C:\\p1\\AUX.rc", true, {}, kDevice},
      {"C:\\p1\\con.rc", true, {}, kDevice},
      {"C:\\p1\\Nul.old.rc", true, {}, kDevice},
      {"C:\\p1\\COM1.rc", false, {}, kDevice},
      {"C:\\p1\\lpt9.rc", true, {}, kDevice},
      {"C:\\p1\\sub/PRN.rc", true, {}, kDevice},
      {"C:\\p1\\COM0.rc", true, Split("C:\\p1\\", "COM0.rc", "COM0", "RC"), nullptr},
      {"C:\\p1\\LPT10.rc", true, Split("C:\\p1\\", "LPT10.rc", "LPT10", "RC"), nullptr},
      {"C:\\p1\\CONIN$.rc", true, {}, kDevice},
      {"C:\\p1\\conout$.old.rc", false, {}, kDevice},
      {"C:\\p1\\ConOut$", true, {}, kDevice},
      {"C:\\p1\\conin.rc", true, Split("C:\\p1\\", "conin.rc", "conin", "RC"), nullptr},
      {"C:\\p1\\CONOUT$2.rc", true, Split("C:\\p1\\", "CONOUT$2.rc", "CONOUT$2", "RC"), nullptr},
      {"C:\\p1\\console.rc", true, Split("C:\\p1\\", "console.rc", "console", "RC"), nullptr},
      {"C:\\p1\\menu.aux.rc", true, Split("C:\\p1\\", "menu.aux.rc", "menu.aux", "RC"), nullptr},
      // A percent sign anywhere; the command interpreter's other signs pass inside quotes.
      {"C:\\p%TEMP%x\\menu.rc", true, {}, kPercent},
      {"C:\\p\\100%.rc", true, {}, kPercent},
      {"C:\\p(1)&x!\\a^b.rc", true, Split("C:\\p(1)&x!\\", "a^b.rc", "a^b", "RC"), nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.path) + (row.exists ? "" : " (absent)"));
    Restart();
    if (row.exists) fake::AddFile(row.path);
    std::vector<std::string> expected{kHeader, row.path};
    expected.insert(expected.end(), row.trace.begin(), row.trace.end());
    if (row.refusal) expected.push_back(row.refusal);

    EXPECT_EQ(Adopt(row.path), row.refusal == nullptr);
    EXPECT_EQ(DebugLines(), expected);
    EXPECT_EQ(PanelControl(IDC_RC_PATH).text, row.path);
    EXPECT_TRUE(MessageTexts().empty()) << "validation only traces";
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
      {"C:\\new\\AUX.rc", earlier},                                 // device
      {"C:\\n%w%\\menu.rc", earlier},                               // percent sign
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
  fake::FindFile("C:\\proj\\menu.exe")->locked = true;  // a running program still reads
  EXPECT_TRUE(Adopt("C:\\proj\\menu.rc"));
  EXPECT_TRUE(PanelControl(IDC_RUN_EXE).enabled);
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
    auto zero = [](char c) { return c == 0; };
    EXPECT_TRUE(std::all_of(state.rcFilePath, std::end(state.rcFilePath), zero));
    EXPECT_TRUE(std::all_of(state.rcFileTitle, std::end(state.rcFileTitle), zero));
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
    AnswerDialog("C:\\half\\way.rc", false);  // what a failing dialog may leave behind
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
