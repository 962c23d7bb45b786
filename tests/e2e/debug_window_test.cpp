// The debug window seen from outside: Debug ON/OFF and the close box, the menu's
// check mark, the window's place and list box, the trace lines it shows within
// their limits of 160 characters and 500 lines, and that the screen shows the
// trace up to its newest line once the utility waits (after a build, behind a
// message box).

#include "tests/e2e/driver/fixture.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace e2e {
namespace {

class DebugWindowTest : public UtilityTest {
 protected:
  // The check mark of Debug > Debug ON/OFF as the menu shows it now.
  ::testing::AssertionResult DebugItemChecked(bool expected) {
    std::vector<MenuItem> bar;
    if (auto read = utility().ReadMenu(&bar); !read) return read;
    const MenuItem* item = FindMenuItem(bar, {"Debug", "Debug ON/OFF"});
    if (!item) return ::testing::AssertionFailure() << "no Debug > Debug ON/OFF item";
    if (item->checked != expected) {
      return ::testing::AssertionFailure() << "Debug ON/OFF is " << (item->checked ? "" : "not ") << "checked";
    }
    return ::testing::AssertionSuccess();
  }

  // Starts with DebugMode=1, so the window opens with the configuration's trace.
  ::testing::AssertionResult StartInDebugMode(const std::string& moreLines = "", LaunchOptions extra = {}) {
    if (auto written = WriteIni(StandardIni("DebugMode=1\n" + moreLines)); !written) return written;
    return StartUtility(extra);
  }

  // Starts in debug mode with a small script adopted, and presses "Mivo Compile".
  ::testing::AssertionResult StartAndCompile(LaunchOptions extra = {}) {
    std::string script = ScratchPath("paint.rc");
    if (!WriteFileBytes(script, "1 MENU\nBEGIN\n  MENUITEM \"E&xit\", 101\nEND\n")) {
      return ::testing::AssertionFailure() << "cannot write the script";
    }
    if (auto started = StartInDebugMode("LastFile=" + script, extra); !started) return started;
    HWND compile = utility().Control(IDC_COMPILE);
    if (!WaitUntil([&] { return IsEnabled(compile); }) || !Click(compile)) {
      return ::testing::AssertionFailure() << "cannot press Mivo Compile";
    }
    return ::testing::AssertionSuccess();
  }
};

// What the screen shows of the list: the newest line selected, in view, and
// drawn highlighted at its row, the row above it not; nothing left to paint.
::testing::AssertionResult ShowsTheNewestLine(HWND list) {
  int count = ListCount(list), selected = ListSelection(list);
  if (count <= 0 || selected != count - 1) {
    return ::testing::AssertionFailure() << "line " << selected << " of " << count << " is selected";
  }
  DWORD_PTR top = 0, height = 0;
  SendMessageTimeoutW(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 5000, &top);
  SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height);
  RECT client = ClientRect(list);
  int rows = height ? client.bottom / static_cast<int>(height) : 0;
  int row = selected - static_cast<int>(top);
  if (row < 0 || row >= rows) {
    return ::testing::AssertionFailure() << "the newest line " << selected << " is out of view: top " << top
                                         << ", " << rows << " rows";
  }
  if (!IsVisible(list) || GetUpdateRect(list, nullptr, FALSE)) {
    return ::testing::AssertionFailure() << "the list is hidden or waits to be painted";
  }
  // The highlight's share of each row's pixels, read from the screen.
  POINT origin{0, 0};
  ClientToScreen(list, &origin);
  HDC screen = GetDC(nullptr);
  COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  auto highlighted = [&](int atRow) {
    int lit = 0, all = 0;
    for (int x = 2; x < client.right - 2; x += 4) {
      for (int y = 1; y < static_cast<int>(height) - 1; y += 2, ++all) {
        lit += GetPixel(screen, origin.x + x, origin.y + atRow * static_cast<int>(height) + y) == highlight;
      }
    }
    return all ? static_cast<double>(lit) / all : 0.0;
  };
  double newest = highlighted(row), above = row > 0 ? highlighted(row - 1) : 0.0;
  ReleaseDC(nullptr, screen);
  if (newest < 0.5 || above > 0.1) {
    return ::testing::AssertionFailure() << "highlight on screen: row " << row << " " << newest << ", the row above "
                                         << above;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(DebugWindowTest, DebugOnOpensAnOwnedPopupWithItsCaptionAndListBox) {
  ASSERT_TRUE(StartUtility());
  EXPECT_EQ(nullptr, utility().DebugWindow());
  ASSERT_TRUE(DebugItemChecked(false));

  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  HWND window = utility().WaitForDebugWindow();
  ASSERT_NE(nullptr, window) << utility().Describe();
  EXPECT_EQ("MivoCompile Utility - Debug Window", Text(window));
  EXPECT_EQ("#32770", ClassName(window));
  EXPECT_EQ(utility().MainWindow(), Owner(window));
  LONG style = Style(window);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CHILD);
  EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU) << "it has a close box";
  EXPECT_TRUE(DebugItemChecked(true));

  std::vector<HWND> children = Children(window);
  ASSERT_EQ(1u, children.size());
  HWND list = children[0];
  EXPECT_EQ(IDC_DEBUG_LIST, ControlId(list));
  EXPECT_EQ("ListBox", ClassName(list));
  LONG listStyle = Style(list);
  EXPECT_TRUE((listStyle & WS_BORDER) || (ExStyle(list) & WS_EX_CLIENTEDGE));
  EXPECT_FALSE(listStyle & LBS_SORT) << "unsorted";
  EXPECT_FALSE(listStyle & LBS_NOTIFY) << "sends no notifications";
  EXPECT_TRUE(listStyle & LBS_NOINTEGRALHEIGHT) << "keeps its exact height";
  EXPECT_EQ(0, ListCount(list)) << "shown from the menu, the list starts empty";
}

TEST_F(DebugWindowTest, SitsBelowThePanelAtItsTemplatePlaceAndSize) {
  ASSERT_TRUE(StartUtility());
  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  HWND window = utility().WaitForDebugWindow();
  ASSERT_NE(nullptr, window);
  // Both templates use MS Sans Serif 8: the panel (300 x 69 units) gives the unit's size in pixels.
  RECT panel = ClientRect(utility().Panel());
  double unitX = panel.right / 300.0, unitY = panel.bottom / 69.0;
  // The template places the dialog's client area relative to the owner's client area.
  POINT origin{0, 0}, placed{0, 0};
  ClientToScreen(utility().MainWindow(), &origin);
  ClientToScreen(window, &placed);
  EXPECT_NEAR(origin.x, placed.x, 2);
  EXPECT_NEAR(origin.y + 66 * unitY, placed.y, 2);
  RECT client = ClientRect(window);
  EXPECT_NEAR(298 * unitX, client.right, 2);
  EXPECT_NEAR(189 * unitY, client.bottom, 2);
}

TEST_F(DebugWindowTest, DebugOnOffTwiceClosesTheWindowAndTheCheckMarkFollows) {
  ASSERT_TRUE(StartUtility());
  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  HWND first = utility().WaitForDebugWindow();
  ASSERT_NE(nullptr, first);
  ASSERT_TRUE(DebugItemChecked(true));

  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  EXPECT_TRUE(WaitForWindowGone(first));
  EXPECT_TRUE(DebugItemChecked(false));
  EXPECT_TRUE(utility().process().Running());

  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  HWND second = utility().WaitForDebugWindow();
  ASSERT_NE(nullptr, second);
  EXPECT_NE(first, second) << "each showing is a new window";
  EXPECT_TRUE(DebugItemChecked(true));
}

TEST_F(DebugWindowTest, DebugModeOneOpensTheWindowAtStartWithTheConfigurationTrace) {
  ASSERT_TRUE(StartInDebugMode());
  ASSERT_NE(nullptr, utility().WaitForDebugWindow());
  EXPECT_TRUE(DebugItemChecked(true));
  std::vector<std::string> lines = utility().DebugLines();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ("The configuration file for this application is:", lines[0]);
  EXPECT_EQ("MivoCompile.ini", lines[1]);
  EXPECT_EQ("The Mivo conversion files associated with this application are:", lines[2]);
  EXPECT_EQ(Tools().kestrix, lines[3]);
  EXPECT_EQ(Tools().sarvex, lines[4]);
  EXPECT_EQ(Tools().brc32, lines[5]);
  EXPECT_EQ(static_cast<int>(lines.size()) - 1, ListSelection(utility().DebugList())) << "the newest line is selected";
}

TEST_F(DebugWindowTest, CloseBoxThenDebugOnGivesAnEmptyWindow) {
  ASSERT_TRUE(StartInDebugMode());
  HWND first = utility().WaitForDebugWindow();
  ASSERT_NE(nullptr, first);
  ASSERT_GT(ListCount(utility().DebugList()), 0);

  ASSERT_TRUE(PostMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0));  // the close box
  ASSERT_TRUE(WaitForWindowGone(first));
  EXPECT_TRUE(DebugItemChecked(false));
  EXPECT_TRUE(utility().process().Running());

  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  HWND second = utility().WaitForDebugWindow();
  ASSERT_NE(nullptr, second);
  EXPECT_TRUE(DebugItemChecked(true));
  EXPECT_EQ(0, ListCount(GetDlgItem(second, IDC_DEBUG_LIST)));
}

TEST_F(DebugWindowTest, ClosedByItsCloseBoxTheDebugModeIsSavedAsZero) {
  ASSERT_TRUE(StartInDebugMode());
  HWND window = utility().WaitForDebugWindow();
  ASSERT_NE(nullptr, window);
  ASSERT_TRUE(PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0));
  ASSERT_TRUE(WaitForWindowGone(window));
  DWORD code = 1;
  ASSERT_TRUE(utility().Exit(&code));
  EXPECT_EQ(0u, code);
  EXPECT_EQ("0", IniValue("DebugMode"));
}

TEST_F(DebugWindowTest, ToggleLinesAreTracedOnlyWhileTheWindowIsOpen) {
  ASSERT_TRUE(StartUtility());
  HWND check = utility().Control(IDC_RUN_AFTER_COMPILE);
  ASSERT_TRUE(ClickAndWait(check));  // traced into no window: discarded
  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  ASSERT_NE(nullptr, utility().WaitForDebugWindow());
  ASSERT_TRUE(ClickAndWait(check));
  ASSERT_TRUE(ClickAndWait(check));
  EXPECT_EQ((std::vector<std::string>{"Run Flag = 0", "Run Flag = 1"}), utility().DebugLines());
  EXPECT_EQ(1, ListSelection(utility().DebugList()));
}

TEST_F(DebugWindowTest, ALineLongerThan160CharactersShowsItsFirst160) {
  // A tool path of about 200 characters: the trace prints it whole, the list shows its first 160.
  std::string dir = Scratch();
  while (dir.size() < 190) dir += std::string(30, 'd') + "\\";
  ASSERT_TRUE(MakeDirectories(dir));
  std::string longTool = dir + "Sarvex.exe";
  ASSERT_TRUE(CopyFileW(ToWide(Tools().sarvex).c_str(), ToWide(longTool).c_str(), FALSE)) << LastErrorText();
  ASSERT_GT(longTool.size(), 200u);
  ASSERT_TRUE(WriteIni("[Configuration]\nMivoKestrix=" + Tools().kestrix + "\nSarvex=" + longTool +
                       "\nBRC32=" + Tools().brc32 + "\nDebugMode=1\n"));
  ASSERT_TRUE(StartUtility());
  ASSERT_NE(nullptr, utility().WaitForDebugWindow());
  std::vector<std::string> lines = utility().DebugLines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(longTool.substr(0, 160), lines[4]);
  for (const std::string& line : lines) EXPECT_LE(line.size(), 160u) << line;
}

TEST_F(DebugWindowTest, After600LinesTheListHoldsTheNewest500WithTheLastSelected) {
  ASSERT_TRUE(StartInDebugMode());
  ASSERT_NE(nullptr, utility().WaitForDebugWindow());
  HWND check = utility().Control(IDC_RUN_AFTER_COMPILE);
  // The configuration's lines, then 600 toggles from clear: "Run Flag = 1", "= 0", ...
  int atStart = ListCount(utility().DebugList());
  ASSERT_GE(atStart, 6);
  ASSERT_LE(atStart, 100);
  for (int toggle = 1; toggle <= 600; ++toggle) {
    ASSERT_TRUE(ClickAndWait(check)) << "toggle " << toggle;
  }
  std::vector<std::string> lines = utility().DebugLines();
  ASSERT_EQ(500u, lines.size());
  // atStart + 600 lines were written: the oldest went first, the start-up lines and toggles 1 to 100.
  for (size_t index = 0; index < lines.size(); ++index) {
    int toggle = 101 + static_cast<int>(index);
    ASSERT_EQ(toggle % 2 ? "Run Flag = 1" : "Run Flag = 0", lines[index]) << "line " << index;
  }
  EXPECT_EQ(499, ListSelection(utility().DebugList()));
  // The system shows the scroll bar (and sets WS_VSCROLL) only once the lines
  // overflow, when the list paints after the last toggle.
  EXPECT_TRUE(WaitUntil([&] { return (Style(utility().DebugList()) & WS_VSCROLL) != 0; }));
  EXPECT_EQ(BST_UNCHECKED, CheckState(check));
}

TEST_F(DebugWindowTest, AfterABuildTheScreenShowsTheTraceUpToItsNewestLine) {
  ASSERT_TRUE(StartAndCompile());
  HWND compile = utility().Control(IDC_COMPILE);
  ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(compile); }) && WaitUntil([&] { return IsEnabled(compile); }))
      << utility().Describe();
  std::vector<std::string> lines = utility().DebugLines();
  ASSERT_FALSE(lines.empty());
  ASSERT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("New .exe file ") == 0;
  })) << "the build completed";
  HWND list = utility().DebugList();
  EXPECT_TRUE(WaitUntil([&] { return ShowsTheNewestLine(list); })) << ShowsTheNewestLine(list).message();
  EXPECT_TRUE(Style(list) & WS_VSCROLL) << "the trace overflows the list";
}

TEST_F(DebugWindowTest, BehindAFailedBuildsMessageBoxTheScreenShowsTheTraceUpToTheFailure) {
  LaunchOptions extra;
  extra.environment = {{"SARVEX_NO_LOG", "1"}};  // the checker writes no log: ten polls, then the box
  ASSERT_TRUE(StartAndCompile(extra));
  auto box = WaitForMessageBox(utility().Id(), "****   Conversion Process Failed    ****");
  ASSERT_TRUE(box) << utility().Describe();
  std::vector<std::string> lines = utility().DebugLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(std::string::npos, lines.back().find(" not available yet, 10 of 10 tries")) << lines.back();
  HWND list = utility().DebugList();
  EXPECT_TRUE(WaitUntil([&] { return ShowsTheNewestLine(list); })) << ShowsTheNewestLine(list).message();
  EXPECT_TRUE(AnswerMessageBox(box->window));
}

}  // namespace
}  // namespace e2e
