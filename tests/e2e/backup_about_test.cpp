// File > Save Copy As Backup and the About box seen from outside: the dated
// copy beside the adopted script, the refusals and failures a person is told
// of, and the modal box with the program's name, version, author and build.

#include "tests/e2e/driver/fixture.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <regex>

namespace e2e {
namespace {

constexpr char kBackupCaption[] = "Backup Copy Failed";
constexpr char kNoScriptText[] = "There is no resource script to back up. \nSelect an RC file first";

class BackupTest : public UtilityTest {
 protected:
  std::string ProjectDir() const { return ScratchPath("proj\\"); }
  std::string WorkDir() const { return ScratchPath("work\\"); }
  std::string Script() const { return ProjectDir() + "menu.rc"; }

  // Starts with the debug window open and a separate working directory, so a
  // copy made there would show.
  ::testing::AssertionResult Start(const std::string& extraIni = "") {
    if (!MakeDirectories(ProjectDir()) || !MakeDirectories(WorkDir()) ||
        !WriteFileBytes(Script(), "Menu MENU\r\nBEGIN\r\nEND\r\n")) {
      return ::testing::AssertionFailure() << "cannot prepare " << Scratch() << ": " << LastErrorText();
    }
    if (auto written = WriteIni(StandardIni("DebugMode=1\n" + extraIni)); !written) return written;
    LaunchOptions options;
    options.workingDirectory = WorkDir();
    return StartUtility(options);
  }

  // Chooses path in File > Open; true once the panel shows it.
  ::testing::AssertionResult Open(const std::string& path, bool cancel = false) {
    if (!utility().Command(IDM_OPEN)) return ::testing::AssertionFailure() << "File > Open cannot be chosen";
    HWND dialog = WaitForOpenDialog(utility().Id());
    if (!dialog) return ::testing::AssertionFailure() << "no open dialog:\n" << utility().Describe();
    if (auto typed = TypeFileName(dialog, path); !typed) return typed;
    if (!(cancel ? PressCancel(dialog) : PressOpen(dialog))) return ::testing::AssertionFailure() << "no answer";
    if (auto gone = WaitForWindowGone(dialog); !gone) return gone;
    if (!WaitUntil([&] { return utility().ControlText(IDC_RC_PATH) == path; })) {
      return ::testing::AssertionFailure() << "the panel shows \"" << utility().ControlText(IDC_RC_PATH) << "\"";
    }
    return ::testing::AssertionSuccess();
  }

  // Chooses Save Copy As Backup and waits for the box it must show.
  std::optional<MessageBoxInfo> BackupFails() {
    if (!utility().Command(IDM_BACKUP)) return std::nullopt;
    return WaitForMessageBox(utility().Id(), kBackupCaption);
  }
};

std::vector<std::string> BackupsIn(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "*.bak").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(dir + found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// The backup names of dir + base for every local second from first to last.
std::vector<std::string> NamesBetween(const std::string& stem, std::time_t first, std::time_t last) {
  std::vector<std::string> names;
  for (std::time_t moment = first; moment <= last; ++moment) {
    std::tm local = *std::localtime(&moment);
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, "_%02d%02d%04d_%02d%02d%02d.bak", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    names.push_back(stem + suffix);
  }
  return names;
}

TEST_F(BackupTest, CopiesTheScriptBesideItUnderTheMomentItWasTakenQuietly) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Open(Script()));
  ASSERT_TRUE(Open(Script(), /*cancel=*/true)) << "a cancelled choice keeps the script";
  std::vector<std::string> traceBefore = utility().DebugLines();
  std::time_t before = std::time(nullptr);
  ASSERT_TRUE(utility().Command(IDM_BACKUP));
  std::vector<std::string> saved;
  WaitUntil([&] { return !(saved = BackupsIn(ProjectDir())).empty(); });
  // The copy's name appears before its bytes: the command has ended once the utility answers again.
  ASSERT_TRUE(utility().Answers());
  std::time_t after = std::time(nullptr);
  ASSERT_EQ(1u, saved.size()) << utility().Describe();

  std::vector<std::string> expected = NamesBetween(ProjectDir() + "menu", before, after);
  EXPECT_EQ(1, std::count(expected.begin(), expected.end(), saved[0]))
      << saved[0] << " is not named by a second between " << expected.front() << " and " << expected.back();
  EXPECT_EQ(saved, BackupsIn(ProjectDir()));
  EXPECT_EQ(ReadFileBytes(Script()), ReadFileBytes(saved[0]));
  EXPECT_TRUE(BackupsIn(WorkDir()).empty());
  ASSERT_TRUE(utility().Answers());
  EXPECT_FALSE(FindMessageBox(utility().Id())) << utility().Describe();
  EXPECT_EQ(traceBefore, utility().DebugLines()) << "a backup that succeeds writes no trace line";
}

TEST_F(BackupTest, TwoBackupsInOneSecondLeaveOneFileHoldingTheSecond) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Open(Script()));
  // Retried when the two copies straddle a second boundary.
  for (size_t attempt = 0; attempt < 5; ++attempt) {
    for (const std::string& old : BackupsIn(ProjectDir())) DeleteFileA(old.c_str());
    std::vector<std::string> saved;
    ASSERT_TRUE(WriteFileBytes(Script(), "first"));
    ASSERT_TRUE(utility().Command(IDM_BACKUP));
    ASSERT_TRUE(WaitUntil([&] { return (saved = BackupsIn(ProjectDir())).size() == 1; }));
    // The copy still holds the script open when its name appears.
    ASSERT_TRUE(utility().Answers());
    ASSERT_TRUE(WriteFileBytes(Script(), "second"));
    ASSERT_TRUE(utility().Command(IDM_BACKUP));
    // Two files, or the one rewritten with the second text.
    ASSERT_TRUE(WaitUntil([&] {
      saved = BackupsIn(ProjectDir());
      return saved.size() == 2 || (saved.size() == 1 && ReadFileBytes(saved[0]) == std::string("second"));
    })) << utility().Describe();
    ASSERT_TRUE(utility().Answers());
    if (saved.size() == 2) continue;

    EXPECT_EQ(1u, BackupsIn(ProjectDir()).size());
    EXPECT_FALSE(FindMessageBox(utility().Id())) << "the second copy replaces the first";
    return;
  }
  FAIL() << "no two backups landed in the same second";
}

TEST_F(BackupTest, NothingIsCopiedUnlessThePanelShowsAnAdoptedScript) {
  // A file named like the remembered "None" sits in the working directory.
  ASSERT_TRUE(Start("LastFile=None"));
  ASSERT_TRUE(WriteFileBytes(WorkDir() + "None", "not a script"));
  std::optional<MessageBoxInfo> box = BackupFails();
  EXPECT_TRUE(BackupsIn(WorkDir()).empty());
  ASSERT_TRUE(box) << utility().Describe();
  EXPECT_EQ(kNoScriptText, box->text);
  EXPECT_EQ(utility().MainWindow(), box->owner) << "owned by the panel, so by its top-level parent";
  ASSERT_TRUE(AnswerMessageBox(box->window));

  // After a script that validated: too long a name is refused before the
  // pieces are replaced, a wrong type after every piece is the new file's.
  std::string longName = ProjectDir() + "a_name_of_forty_characters_exactly_xx.rc";
  std::string wrongType = ProjectDir() + "menu.rc2";
  for (const std::string& refused : {longName, wrongType}) {
    SCOPED_TRACE(refused);
    ASSERT_TRUE(WriteFileBytes(refused, "other"));
    ASSERT_TRUE(Open(Script()));
    ASSERT_TRUE(Open(refused));
    box = BackupFails();
    EXPECT_TRUE(BackupsIn(ProjectDir()).empty()) << "no copy of either file";
    ASSERT_TRUE(box) << utility().Describe();
    EXPECT_EQ(kNoScriptText, box->text);
    ASSERT_TRUE(AnswerMessageBox(box->window));
  }
}

TEST_F(BackupTest, AScriptGoneSinceItWasChosenIsReportedByName) {
  // A read-only script still copies; a missing one is what really fails.
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Open(Script()));
  ASSERT_TRUE(DeleteFileA(Script().c_str()));
  std::optional<MessageBoxInfo> box = BackupFails();
  ASSERT_TRUE(box) << utility().Describe();
  EXPECT_EQ("The backup copy of " + Script() + " could not be made", box->text);
  EXPECT_EQ(utility().MainWindow(), box->owner);
  EXPECT_TRUE(BackupsIn(ProjectDir()).empty());
}

// ---- The About box ------------------------------------------------------------

// "Date : Nov 27 2007 - 10:21:46" as a local moment.
std::optional<std::time_t> ParseBuildMoment(const std::string& line) {
  static const std::string kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
  char month[4] = "";
  std::tm moment{};
  if (std::sscanf(line.c_str(), "Date : %3s %d %d - %d:%d:%d", month, &moment.tm_mday, &moment.tm_year,
                  &moment.tm_hour, &moment.tm_min, &moment.tm_sec) != 6) {
    return std::nullopt;
  }
  size_t index = kMonths.find(month);
  if (index == std::string::npos || index % 3 != 0) return std::nullopt;
  moment.tm_mon = static_cast<int>(index / 3);
  moment.tm_year -= 1900;
  moment.tm_isdst = -1;
  return std::mktime(&moment);
}

// A file's last write as a moment.
std::optional<std::time_t> LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  ULARGE_INTEGER ticks;
  ticks.LowPart = data.ftLastWriteTime.dwLowDateTime;
  ticks.HighPart = data.ftLastWriteTime.dwHighDateTime;
  return static_cast<std::time_t>(ticks.QuadPart / 10000000ULL - 11644473600ULL);  // from 1601 to 1970
}

using AboutTest = UtilityTest;

// The About box: the program's only top-level dialog without a caption.
HWND WaitForAboutBox(Utility& utility) {
  return WaitForTopLevel(utility.Id(), WindowMatch{mivo::kDialogClass, ""});
}

TEST_F(AboutTest, ShowsNameVersionAuthorAndBuildMomentOverTheDisabledMainWindow) {
  ASSERT_TRUE(StartUtility());
  ASSERT_TRUE(utility().Command(IDM_ABOUT));
  HWND box = WaitForAboutBox(utility());
  ASSERT_NE(nullptr, box) << utility().Describe();
  EXPECT_EQ(utility().MainWindow(), Owner(box));
  EXPECT_TRUE(Style(box) & WS_POPUP);
  EXPECT_NE(WS_CAPTION, Style(box) & WS_CAPTION);
  EXPECT_FALSE(IsEnabled(utility().MainWindow())) << "the box is modal";

  EXPECT_EQ("VORN Mivo Compile Utility", ControlText(box, IDC_ABOUT_NAME));
  EXPECT_EQ("Version: A1.00.04", ControlText(box, IDC_ABOUT_VERSION));
  std::string title = Text(utility().MainWindow());
  EXPECT_EQ(" - A1.00.04", title.substr(title.size() - 11)) << "the title shows the same version";
  EXPECT_EQ(std::string("Author: ") + MIVO_AUTHOR_CREDIT, ControlText(box, IDC_ABOUT_AUTHOR));

  // The build moment in the compiler's forms: "Nov 27 2007", "Nov  7 2007" and "10:21:46".
  const std::regex dateLine("Date : (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 123][0-9] 20[0-9][0-9]"
                            " - [0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
  std::string date = ControlText(box, IDC_ABOUT_DATE);
  EXPECT_TRUE(std::regex_match(date, dateLine)) << date;
  // It is the moment the program file was linked, not that of an older compile.
  std::optional<std::time_t> built = ParseBuildMoment(date);
  std::optional<std::time_t> linked = LastWriteTime(UtilityPath());
  ASSERT_TRUE(built && linked) << date;
  EXPECT_LE(std::abs(std::difftime(*linked, *built)), 60.0) << date << " for a program linked at "
                                                            << std::asctime(std::localtime(&*linked));

  HWND ok = GetDlgItem(box, IDOK);
  ASSERT_NE(nullptr, ok);
  EXPECT_EQ("OK", Text(ok));
  EXPECT_EQ(BS_DEFPUSHBUTTON, Style(ok) & BS_TYPEMASK);
}

TEST_F(AboutTest, EnterEscapeAndOkEachCloseTheBoxAndTheUtilityCarriesOn) {
  ASSERT_TRUE(StartUtility());
  for (UINT key : {UINT{VK_RETURN}, UINT{VK_ESCAPE}, 0u}) {
    SCOPED_TRACE(key == VK_RETURN ? "Enter" : key == VK_ESCAPE ? "Escape" : "OK");
    ASSERT_TRUE(utility().Command(IDM_ABOUT));
    HWND box = WaitForAboutBox(utility());
    ASSERT_NE(nullptr, box) << utility().Describe();
    if (key == 0) {
      ASSERT_TRUE(Click(GetDlgItem(box, IDOK)));
    } else {
      HWND focus = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (focus = FocusOf(box)) != nullptr && Parent(focus) == box; }));
      ASSERT_TRUE(PressKey(focus, key));
    }
    ASSERT_TRUE(WaitForWindowGone(box));
    EXPECT_TRUE(WaitUntil([&] { return IsEnabled(utility().MainWindow()); }));
    EXPECT_TRUE(utility().Answers());
    EXPECT_TRUE(utility().process().Running());
  }
}

}  // namespace
}  // namespace e2e
