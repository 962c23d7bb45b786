// The utility's shell seen from outside: the main window, its panel and menu,
// the keyboard in the panel, and the two ways out that save the configuration.

#include "tests/e2e/driver/fixture.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

using ShellTest = UtilityTest;

struct ExpectedControl {
  int id;
  const char* className;
  const char* text;
};

// The panel's controls in creation order, which is also their Tab order.
const ExpectedControl kPanelControls[] = {
    {IDC_SELECT_RC, "Button", "Select RC File"},
    {IDC_COMPILE, "Button", "Mivo Compile"},
    {IDC_RUN_AFTER_COMPILE, "Button", "Compile and Run"},
    {IDC_RC_PATH, "Edit", ""},
    {IDC_RUN_EXE, "Button", "Run exe..."},
    {IDC_RUN_PARAMETERS, "Edit", ""},
    {-1, "Static", "Command Line Parameters"},
};

TEST_F(ShellTest, MainWindowHasItsClassTitlePlaceSizeAndFixedFrame) {
  ASSERT_TRUE(StartUtility());
  HWND main = utility().MainWindow();
  EXPECT_EQ("VORN Mivo Compile Utility", ClassName(main));
  EXPECT_EQ("VORN Mivo Compile Utility  - A1.00.04", Text(main));
  EXPECT_TRUE(IsVisible(main));
  EXPECT_EQ(nullptr, Owner(main));
  RECT rect = WindowRect(main);
  EXPECT_EQ(0, rect.left);
  EXPECT_EQ(0, rect.top);
  EXPECT_EQ(456, rect.right - rect.left);
  EXPECT_EQ(148, rect.bottom - rect.top);
  LONG style = Style(main);
  EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "no maximise box";
  EXPECT_FALSE(style & WS_THICKFRAME) << "no sizing border";
  EXPECT_FALSE(style & (WS_CHILD | WS_POPUP));
}

TEST_F(ShellTest, PanelIsAVisibleChildAtTheClientOriginThatClipsItsChildren) {
  ASSERT_TRUE(StartUtility());
  HWND panel = utility().Panel();
  EXPECT_EQ(utility().MainWindow(), Parent(panel));
  LONG style = Style(panel);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  EXPECT_NE(WS_CAPTION, style & WS_CAPTION) << "the panel has no caption";
  POINT origin{0, 0};
  ClientToScreen(utility().MainWindow(), &origin);
  RECT rect = WindowRect(panel);
  EXPECT_EQ(origin.x, rect.left);
  EXPECT_EQ(origin.y, rect.top);
}

TEST_F(ShellTest, PanelHoldsItsSevenControlsInOrderWithTheirKindsAndTexts) {
  ASSERT_TRUE(StartUtility());
  std::vector<HWND> children = Children(utility().Panel());
  ASSERT_EQ(std::size(kPanelControls), children.size());
  for (size_t index = 0; index < children.size(); ++index) {
    const ExpectedControl& expected = kPanelControls[index];
    SCOPED_TRACE("control " + std::to_string(expected.id) + " \"" + expected.text + "\"");
    HWND control = children[index];
    EXPECT_EQ(expected.id, ControlId(control));
    EXPECT_EQ(expected.className, ClassName(control));
    EXPECT_EQ(expected.text, Text(control));
    EXPECT_TRUE(IsVisible(control));
  }
}

TEST_F(ShellTest, ControlStylesAreTheOnesAPersonSees) {
  ASSERT_TRUE(StartUtility());
  for (int button : {IDC_SELECT_RC, IDC_COMPILE, IDC_RUN_EXE}) {
    SCOPED_TRACE("button " + std::to_string(button));
    LONG style = Style(utility().Control(button));
    EXPECT_EQ(BS_PUSHBUTTON, style & BS_TYPEMASK) << "a plain push button, none is the default";
    EXPECT_TRUE(style & WS_TABSTOP);
  }
  LONG check = Style(utility().Control(IDC_RUN_AFTER_COMPILE));
  EXPECT_EQ(BS_CHECKBOX, check & BS_TYPEMASK) << "non-automatic: the program sets the mark";
  EXPECT_TRUE(check & WS_TABSTOP);

  LONG path = Style(utility().Control(IDC_RC_PATH));
  EXPECT_TRUE(path & ES_READONLY);
  EXPECT_TRUE(path & ES_AUTOHSCROLL);
  EXPECT_TRUE((path & WS_BORDER) || (ExStyle(utility().Control(IDC_RC_PATH)) & WS_EX_CLIENTEDGE));
  EXPECT_TRUE(path & WS_TABSTOP);

  LONG parameters = Style(utility().Control(IDC_RUN_PARAMETERS));
  EXPECT_FALSE(parameters & ES_READONLY);
  EXPECT_TRUE(parameters & ES_AUTOHSCROLL);
  EXPECT_TRUE((parameters & WS_BORDER) || (ExStyle(utility().Control(IDC_RUN_PARAMETERS)) & WS_EX_CLIENTEDGE));
  EXPECT_TRUE(parameters & WS_TABSTOP);

  HWND label = Children(utility().Panel()).back();
  EXPECT_TRUE(Style(label) & WS_GROUP);
  EXPECT_FALSE(Style(label) & WS_TABSTOP);
}

TEST_F(ShellTest, CompileAndRunButtonsAreDisabledAtStartAndTabSkipsThem) {
  ASSERT_TRUE(StartUtility());
  EXPECT_FALSE(IsEnabled(utility().Control(IDC_COMPILE)));
  EXPECT_FALSE(IsEnabled(utility().Control(IDC_RUN_EXE)));
  for (int enabled : {IDC_SELECT_RC, IDC_RUN_AFTER_COMPILE, IDC_RC_PATH, IDC_RUN_PARAMETERS}) {
    EXPECT_TRUE(IsEnabled(utility().Control(enabled))) << "control " << enabled;
  }
  EXPECT_EQ((std::vector<int>{IDC_SELECT_RC, IDC_RUN_AFTER_COMPILE, IDC_RC_PATH, IDC_RUN_PARAMETERS}),
            TabOrder(utility().Panel()));
  EXPECT_EQ(BST_UNCHECKED, CheckState(utility().Control(IDC_RUN_AFTER_COMPILE)));
}

TEST_F(ShellTest, SelectRcFileHasTheFirstFocus) {
  ASSERT_TRUE(StartUtility());
  HWND focus = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (focus = FocusOf(utility().MainWindow())) == utility().Control(IDC_SELECT_RC); }))
      << "focus is on control " << (focus ? ControlId(focus) : 0);
}

TEST_F(ShellTest, MenuHasFileDebugAndAboutAtTheRightEndWithTheirCommandIds) {
  ASSERT_TRUE(StartUtility());
  std::vector<MenuItem> bar;
  ASSERT_TRUE(utility().ReadMenu(&bar));
  ASSERT_EQ(3u, bar.size());

  EXPECT_EQ("File", bar[0].text);
  ASSERT_TRUE(bar[0].popup);
  ASSERT_EQ(3u, bar[0].items.size());
  EXPECT_EQ("Open", bar[0].items[0].text);
  EXPECT_EQ(40004u, bar[0].items[0].id);
  EXPECT_EQ("Save Copy As Backup", bar[0].items[1].text);
  EXPECT_EQ(40005u, bar[0].items[1].id);
  EXPECT_EQ("Exit", bar[0].items[2].text);
  EXPECT_EQ(40001u, bar[0].items[2].id);

  EXPECT_EQ("Debug", bar[1].text);
  ASSERT_TRUE(bar[1].popup);
  ASSERT_EQ(1u, bar[1].items.size());
  EXPECT_EQ("Debug ON/OFF", bar[1].items[0].text);
  EXPECT_EQ(40003u, bar[1].items[0].id);
  EXPECT_FALSE(bar[1].items[0].checked);

  EXPECT_EQ("About", bar[2].text);
  EXPECT_FALSE(bar[2].popup);
  EXPECT_EQ(40002u, bar[2].id);
  EXPECT_TRUE(bar[2].rightJustified);
  // Drawn at the right-hand end of the bar: its right edge meets the client area's.
  POINT clientRight{ClientRect(utility().MainWindow()).right, 0};
  ClientToScreen(utility().MainWindow(), &clientRight);
  EXPECT_GT(bar[2].rect.left, bar[1].rect.right + 100);
  EXPECT_NEAR(clientRight.x, bar[2].rect.right, 4);
}

TEST_F(ShellTest, MenuHasNoMnemonicsSeparatorsOrGreyedItems) {
  ASSERT_TRUE(StartUtility());
  std::vector<MenuItem> bar;
  ASSERT_TRUE(utility().ReadMenu(&bar));
  std::function<void(const std::vector<MenuItem>&)> check = [&](const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
      SCOPED_TRACE(item.text);
      EXPECT_EQ(std::string::npos, item.text.find('&'));
      EXPECT_EQ(std::string::npos, item.text.find('\t')) << "no accelerator text";
      EXPECT_FALSE(item.separator);
      EXPECT_FALSE(item.grayed);
      check(item.items);
    }
  };
  check(bar);
}

TEST_F(ShellTest, EscapeInThePanelDoesNothing) {
  ASSERT_TRUE(StartUtility());
  HWND focus = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (focus = FocusOf(utility().MainWindow())) != nullptr; }));
  ASSERT_EQ(utility().Panel(), Parent(focus)) << "the focus is not in the panel";
  ASSERT_TRUE(PressKey(focus, VK_ESCAPE));
  // Posted messages are handled in order: once the debug window is up, Escape was handled.
  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  ASSERT_NE(nullptr, utility().WaitForDebugWindow()) << utility().Describe();
  EXPECT_TRUE(utility().process().Running());
  EXPECT_TRUE(IsVisible(utility().Panel()));
  EXPECT_TRUE(IsVisible(utility().MainWindow()));
  EXPECT_FALSE(FindMessageBox(utility().Id()));
}

TEST_F(ShellTest, ExitEndsWithCodeZeroAndSavesTheSettings) {
  ASSERT_TRUE(StartUtility());
  ASSERT_TRUE(SetText(utility().Control(IDC_RUN_PARAMETERS), "alpha beta"));
  ASSERT_TRUE(ClickAndWait(utility().Control(IDC_RUN_AFTER_COMPILE)));
  ASSERT_TRUE(utility().Command(IDM_DEBUG));
  ASSERT_NE(nullptr, utility().WaitForDebugWindow());
  DWORD code = 1;
  ASSERT_TRUE(utility().Exit(&code));
  EXPECT_EQ(0u, code);
  EXPECT_EQ("1", IniValue("RunMode"));
  EXPECT_EQ("1", IniValue("DebugMode"));
  EXPECT_EQ("None", IniValue("LastFile"));
  EXPECT_EQ("alpha beta", IniValue("CommandLine"));
  EXPECT_EQ("0", IniValue("RunDelay"));
  EXPECT_EQ(Tools().sarvex, IniValue("Sarvex")) << "tool paths are never rewritten";
}

TEST_F(ShellTest, ExitWithDefaultsSavesZerosNoneAndEmptyParameters) {
  ASSERT_TRUE(StartUtility());
  ASSERT_EQ("!!!", IniValue("RunMode")) << "written only at exit";
  DWORD code = 1;
  ASSERT_TRUE(utility().Exit(&code));
  EXPECT_EQ(0u, code);
  EXPECT_EQ("0", IniValue("RunMode"));
  EXPECT_EQ("0", IniValue("DebugMode"));
  EXPECT_EQ("None", IniValue("LastFile"));
  EXPECT_EQ("", IniValue("CommandLine"));
}

TEST_F(ShellTest, TheCloseBoxAlsoSavesTheSettingsAndEndsWithCodeZero) {
  ASSERT_TRUE(StartUtility());
  ASSERT_TRUE(SetText(utility().Control(IDC_RUN_PARAMETERS), "-x"));
  ASSERT_TRUE(PostMessageW(utility().MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0));
  DWORD code = 1;
  ASSERT_TRUE(utility().process().WaitForExit(DefaultTimeout(), &code));
  EXPECT_EQ(0u, code);
  EXPECT_EQ("-x", IniValue("CommandLine"));
  EXPECT_EQ("0", IniValue("DebugMode"));
  EXPECT_EQ("None", IniValue("LastFile"));
}

}  // namespace
}  // namespace e2e
