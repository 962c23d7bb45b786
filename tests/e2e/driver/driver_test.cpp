// The driver checked against its own target program (tools/target_main.cpp),
// whose behaviour is known: if these fail, the utility's e2e results mean nothing.

#include "tests/e2e/driver/driver.h"
#include "tests/e2e/tools/target_ids.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

std::string TargetPath() { return DirectoryOf(ThisExecutablePath()) + E2E_TARGET_FILE; }

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    scratch_ = std::string(temp) + "e2e-driver\\";
    RemoveTree(scratch_);
    ASSERT_TRUE(MakeDirectories(scratch_));
  }
  void TearDown() override {
    target_.Terminate();
    RemoveTree(scratch_);
  }

  // Starts the target and finds its main window and panel.
  ::testing::AssertionResult StartTarget(LaunchOptions options = {}) {
    options.program = TargetPath();
    if (options.workingDirectory.empty()) options.workingDirectory = scratch_;
    if (auto launched = target_.Launch(options); !launched) return launched;
    main_ = WaitForTopLevel(target_.Id(), WindowMatch{TARGET_CLASS, TARGET_TITLE});
    if (!main_) return ::testing::AssertionFailure() << "no target window:\n" << DescribeWindows(target_.Id());
    panel_ = WaitForChild(main_, WindowMatch{"#32770", {}});
    if (!panel_) return ::testing::AssertionFailure() << "no panel";
    return ::testing::AssertionSuccess();
  }

  HWND Control(int id) const { return GetDlgItem(panel_, id); }
  bool StatusIs(const std::string& text) const {
    return WaitUntil([&] { return ControlText(panel_, IDC_T_STATUS) == text; });
  }

  std::string scratch_;
  Process target_;
  HWND main_ = nullptr;
  HWND panel_ = nullptr;
};

TEST(DriverPaths, UnixPathsBecomeDriveZAndWindowsPathsKeepTheirDrive) {
  EXPECT_EQ("Z:\\work\\out\\bin", ToWindowsPath("/work/out/bin"));
  EXPECT_EQ("C:\\windows\\x.ini", ToWindowsPath("C:/windows/x.ini"));
  EXPECT_EQ("C:\\a\\", DirectoryOf("C:\\a\\b.exe"));
  EXPECT_EQ("", DirectoryOf("b.exe"));
}

TEST(DriverPaths, Utf8RoundTripKeepsNonAsciiText) {
  std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC";
  EXPECT_EQ(text, ToUtf8(ToWide(text)));
  EXPECT_EQ(std::wstring(L"Gr\u00FC\u00DFe \u20AC"), ToWide(text));
}

TEST(DriverEnvironment, AdditionsReplaceVariablesOfAnyCaseAndTheBlockIsSorted) {
  SetEnvironmentVariableW(L"E2E_DRIVER_PROBE", L"old");
  std::wstring block = BuildEnvironmentBlock({{"e2e_driver_probe", "new"}, {"E2E_ADDED", "x"}});
  std::vector<std::wstring> entries;
  for (const wchar_t* entry = block.c_str(); *entry; entry += wcslen(entry) + 1) entries.emplace_back(entry);
  EXPECT_EQ(1, std::count(entries.begin(), entries.end(), L"e2e_driver_probe=new"));
  EXPECT_EQ(0, std::count(entries.begin(), entries.end(), L"E2E_DRIVER_PROBE=old"));
  EXPECT_EQ(1, std::count(entries.begin(), entries.end(), L"E2E_ADDED=x"));
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.substr(0, a.find(L'=', 1)).c_str(), b.substr(0, b.find(L'=', 1)).c_str()) < 0;
  }));
  SetEnvironmentVariableW(L"E2E_DRIVER_PROBE", nullptr);
}

TEST(DriverWaits, WaitUntilStopsAtTheBoundAndChecksOnceMoreAtTheDeadline) {
  int calls = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WaitUntil([&] { return ++calls < 0; }, Ms(200)));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, Ms(200));
  EXPECT_LT(took, Ms(2000));
  EXPECT_GE(calls, 2);
  int countdown = 3;
  EXPECT_TRUE(WaitUntil([&] { return --countdown == 0; }, Ms(5000)));
}

TEST_F(DriverTest, LaunchUsesTheGivenDirectoryAndEnvironment) {
  LaunchOptions options;
  options.environment = {{"E2E_TARGET_VALUE", "from the driver"}};
  ASSERT_TRUE(StartTarget(options));
  std::string shownDirectory = ControlText(panel_, IDC_T_DIRECTORY);
  EXPECT_EQ(_stricmp((scratch_.substr(0, scratch_.size() - 1)).c_str(), shownDirectory.c_str()), 0)
      << shownDirectory;
  EXPECT_EQ("from the driver", ControlText(panel_, IDC_T_VARIABLE));
}

TEST_F(DriverTest, LaunchOfAMissingProgramSaysWhy) {
  Process process;
  LaunchOptions options;
  options.program = scratch_ + "absent.exe";
  auto result = process.Launch(options);
  EXPECT_FALSE(result);
  EXPECT_NE(std::string(result.message()).find("absent.exe"), std::string::npos) << result.message();
  EXPECT_FALSE(process.Started());
}

TEST_F(DriverTest, FindsWindowsByClassAndTitleOnlyWithinTheProcess) {
  ASSERT_TRUE(StartTarget());
  EXPECT_EQ(main_, FindTopLevel(target_.Id(), WindowMatch{TARGET_CLASS, {}}));
  EXPECT_EQ(nullptr, FindTopLevel(target_.Id(), WindowMatch{TARGET_CLASS, "another title"}));
  EXPECT_EQ(nullptr, FindTopLevel(GetCurrentProcessId(), WindowMatch{TARGET_CLASS, {}}));
  EXPECT_EQ(target_.Id(), ProcessOf(main_));
  EXPECT_EQ(main_, Parent(panel_));
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(nullptr, WaitForTopLevel(target_.Id(), WindowMatch{"NoSuchClass", {}}, Ms(300)));
  EXPECT_LT(std::chrono::steady_clock::now() - started, Ms(3000));
}

TEST_F(DriverTest, ReadsTextsStatesStylesAndIds) {
  ASSERT_TRUE(StartTarget());
  EXPECT_EQ(TARGET_TITLE, Text(main_));
  EXPECT_EQ("Show Box", ControlText(panel_, IDC_T_SHOW_BOX));
  EXPECT_TRUE(IsEnabled(Control(IDC_T_SHOW_BOX)));
  EXPECT_FALSE(IsEnabled(Control(IDC_T_DISABLED)));
  EXPECT_TRUE(IsVisible(Control(IDC_T_OPTION)));
  EXPECT_EQ(BS_CHECKBOX, Style(Control(IDC_T_OPTION)) & BS_TYPEMASK);
  EXPECT_TRUE(Style(Control(IDC_T_DIRECTORY)) & ES_READONLY);
  EXPECT_EQ(IDC_T_ADD_LINES, ControlId(Control(IDC_T_ADD_LINES)));
  EXPECT_EQ("Edit", ClassName(Control(IDC_T_VARIABLE)));
  LONG style = Style(main_);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  RECT rect = WindowRect(main_);
  EXPECT_EQ(480, rect.right - rect.left);
  EXPECT_EQ(200, rect.bottom - rect.top);
}

TEST_F(DriverTest, ChildrenComeInCreationOrderAndTabOrderSkipsWhatTheDialogManagerSkips) {
  ASSERT_TRUE(StartTarget());
  std::vector<int> ids;
  for (HWND child : Children(panel_)) ids.push_back(ControlId(child));
  EXPECT_EQ((std::vector<int>{IDC_T_SHOW_BOX, IDC_T_DISABLED, IDC_T_OPTION, IDC_T_DIRECTORY, IDC_T_VARIABLE, -1,
                              IDC_T_ADD_LINES, IDC_T_HANG, IDC_T_OPEN, IDC_T_STATUS}),
            ids);
  EXPECT_EQ((std::vector<int>{IDC_T_SHOW_BOX, IDC_T_OPTION, IDC_T_DIRECTORY, IDC_T_VARIABLE, IDC_T_ADD_LINES,
                              IDC_T_OPEN}),
            TabOrder(panel_));
}

TEST_F(DriverTest, ClickTogglesACheckBoxAndRefusesADisabledButton) {
  ASSERT_TRUE(StartTarget());
  HWND option = Control(IDC_T_OPTION);
  EXPECT_EQ(BST_UNCHECKED, CheckState(option));
  ASSERT_TRUE(Click(option));
  EXPECT_TRUE(WaitUntil([&] { return CheckState(option) == BST_CHECKED; }));
  ASSERT_TRUE(Click(option));
  EXPECT_TRUE(WaitUntil([&] { return CheckState(option) == BST_UNCHECKED; }));
  EXPECT_FALSE(Click(Control(IDC_T_DISABLED)));
  // The sent form returns after the handler ran: no wait needed.
  ASSERT_TRUE(ClickAndWait(option));
  EXPECT_EQ(BST_CHECKED, CheckState(option));
  EXPECT_FALSE(ClickAndWait(Control(IDC_T_DISABLED)));
}

TEST_F(DriverTest, SetTextChangesAnEditControl) {
  ASSERT_TRUE(StartTarget());
  ASSERT_TRUE(SetText(Control(IDC_T_VARIABLE), "typed \xC3\xA9"));
  EXPECT_EQ("typed \xC3\xA9", ControlText(panel_, IDC_T_VARIABLE));
}

TEST_F(DriverTest, EscapeGoesThroughTheProgramsDialogHandling) {
  ASSERT_TRUE(StartTarget());
  HWND focus = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (focus = FocusOf(main_)) != nullptr; }));
  EXPECT_EQ(panel_, Parent(focus));
  ASSERT_TRUE(PressKey(focus, VK_ESCAPE));
  EXPECT_TRUE(StatusIs("cancel pressed"));
}

TEST_F(DriverTest, ReadsTheLiveMenuWithItsCheckMarks) {
  ASSERT_TRUE(StartTarget());
  std::vector<MenuItem> bar;
  ASSERT_TRUE(ReadMenuBar(main_, &bar));
  ASSERT_EQ(3u, bar.size());
  EXPECT_EQ("File", bar[0].text);
  EXPECT_TRUE(bar[0].popup);
  ASSERT_EQ(4u, bar[0].items.size());
  EXPECT_EQ("Show Box", bar[0].items[0].text);
  EXPECT_EQ(static_cast<UINT>(IDM_T_SHOW_BOX), bar[0].items[0].id);
  EXPECT_TRUE(bar[0].items[2].separator);
  EXPECT_EQ(static_cast<UINT>(IDM_T_EXIT), bar[0].items[3].id);
  EXPECT_EQ("Help", bar[2].text);
  EXPECT_TRUE(bar[2].rightJustified);
  EXPECT_FALSE(bar[0].rightJustified);
  // The right-justified item ends at the window's right edge, left of it the others.
  EXPECT_GT(bar[2].rect.left, bar[1].rect.right);
  const MenuItem* log = FindMenuItem(bar, {"View", "Log ON/OFF"});
  ASSERT_NE(nullptr, log);
  EXPECT_FALSE(log->checked);

  ASSERT_TRUE(PostCommand(main_, IDM_T_LOG));
  ASSERT_NE(nullptr, WaitForTopLevel(target_.Id(), WindowMatch{"#32770", TARGET_LOG_CAPTION}));
  ASSERT_TRUE(ReadMenuBar(main_, &bar));
  log = FindMenuItem(bar, {"View", "Log ON/OFF"});
  ASSERT_NE(nullptr, log);
  EXPECT_TRUE(log->checked);
  EXPECT_EQ(nullptr, FindMenuItem(bar, {"View", "Absent"}));
}

TEST_F(DriverTest, ReadsListLinesAndSelection) {
  ASSERT_TRUE(StartTarget());
  ASSERT_TRUE(PostCommand(main_, IDM_T_LOG));
  HWND log = WaitForTopLevel(target_.Id(), WindowMatch{"#32770", TARGET_LOG_CAPTION});
  ASSERT_NE(nullptr, log);
  EXPECT_EQ(main_, Owner(log));
  HWND list = GetDlgItem(log, IDC_T_LOG_LIST);
  EXPECT_EQ(0, ListCount(list));
  EXPECT_EQ(LB_ERR, ListSelection(list));
  ASSERT_TRUE(Click(Control(IDC_T_ADD_LINES)));
  ASSERT_TRUE(WaitUntil([&] { return ListCount(list) == 3; }));
  EXPECT_EQ((std::vector<std::string>{"line 1", "line 2", "line 3"}), ListLines(list));
  EXPECT_EQ(2, ListSelection(list));
  ASSERT_TRUE(PostClose(log));
  EXPECT_TRUE(WaitForWindowGone(log));
}

TEST_F(DriverTest, FindsAndAnswersAMessageBoxWithoutBlocking) {
  ASSERT_TRUE(StartTarget());
  EXPECT_FALSE(FindMessageBox(target_.Id()));
  ASSERT_TRUE(Click(Control(IDC_T_SHOW_BOX)));
  auto box = WaitForMessageBox(target_.Id(), std::string(TARGET_BOX_CAPTION));
  ASSERT_TRUE(box.has_value()) << DescribeWindows(target_.Id());
  EXPECT_EQ("Box text\nsecond line", box->text);
  EXPECT_EQ(main_, box->owner);  // the target names its panel; the system takes its top-level parent
  EXPECT_NE(std::string::npos, DescribeWindows(target_.Id()).find("second line"));
  EXPECT_FALSE(WaitForMessageBox(target_.Id(), std::string("Other caption"), Ms(100)).has_value());
  ASSERT_TRUE(AnswerMessageBox(box->window));
  EXPECT_TRUE(StatusIs("box answered"));
}

TEST_F(DriverTest, TypesAPathIntoTheOpenDialogAndPressesOpen) {
  std::string file = scratch_ + "chosen.txt";
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  ASSERT_TRUE(StartTarget());
  ASSERT_TRUE(Click(Control(IDC_T_OPEN)));
  HWND dialog = WaitForOpenDialog(target_.Id());
  ASSERT_NE(nullptr, dialog) << DescribeWindows(target_.Id());
  ASSERT_NE(nullptr, FileNameField(dialog));
  ASSERT_TRUE(TypeFileName(dialog, file));
  ASSERT_TRUE(PressOpen(dialog));
  EXPECT_TRUE(WaitForWindowGone(dialog));
  EXPECT_TRUE(StatusIs("opened " + file)) << ControlText(panel_, IDC_T_STATUS);
}

TEST_F(DriverTest, CancelClosesTheOpenDialog) {
  ASSERT_TRUE(StartTarget());
  ASSERT_TRUE(PostCommand(main_, IDM_T_OPEN));
  HWND dialog = WaitForOpenDialog(target_.Id());
  ASSERT_NE(nullptr, dialog);
  ASSERT_TRUE(PressCancel(dialog));
  EXPECT_TRUE(WaitForWindowGone(dialog));
  EXPECT_TRUE(StatusIs("cancelled"));
}

TEST_F(DriverTest, AHungProgramFailsQueriesWithinTheirBoundInsteadOfHanging) {
  ASSERT_TRUE(StartTarget());
  ASSERT_TRUE(Click(Control(IDC_T_HANG)));  // the target sleeps 3 s in the handler
  ASSERT_TRUE(WaitUntil([&] {
    DWORD_PTR ignored;
    return !SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 50, &ignored);
  }, Ms(2000)));
  auto started = std::chrono::steady_clock::now();
  std::string text = ControlText(panel_, IDC_T_STATUS);
  auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, kAnswerTimeout + Ms(1000));
  // Either the bound expired or the sleep ended first; the call never waits longer.
  EXPECT_TRUE(text == "<no answer>" || text.empty()) << text;
}

TEST_F(DriverTest, ExitCodeIsReportedAndAStillRunningProgramIsSaidToRun) {
  ASSERT_TRUE(StartTarget());
  auto early = target_.WaitForExit(Ms(100));
  EXPECT_FALSE(early);
  EXPECT_NE(std::string::npos, std::string(early.message()).find(TARGET_TITLE)) << early.message();
  ASSERT_TRUE(PostCommand(main_, IDM_T_EXIT));
  DWORD code = 0;
  ASSERT_TRUE(target_.WaitForExit(DefaultTimeout(), &code));
  EXPECT_EQ(static_cast<DWORD>(TARGET_EXIT_CODE), code);
  EXPECT_FALSE(target_.Running());
}

TEST_F(DriverTest, DestroyingAProcessObjectEndsAProgramThatStillRuns) {
  HANDLE copy = nullptr;
  {
    Process process;
    LaunchOptions options;
    options.program = TargetPath();
    ASSERT_TRUE(process.Launch(options));
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), process.Handle(), GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
  }
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy, 0));
  DWORD code = 0;
  GetExitCodeProcess(copy, &code);
  EXPECT_EQ(0xDEADu, code);
  CloseHandle(copy);
}

}  // namespace
}  // namespace e2e
