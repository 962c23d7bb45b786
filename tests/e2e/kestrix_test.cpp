// The built program as a person meets it: package/sample/Sample.rc built with
// "Mivo Compile" and started with "Run exe..." shows the script's menu bar,
// title and accelerators, and opens the script's dialogs from its resource
// list and from the "/dialog" parameter, with the template's controls. At
// every display scale, the utility's windows and the built program's are whole.

#include "tests/e2e/driver/fixture.h"

#include "package/kestrix/kestrix_ids.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace e2e {
namespace {

// The sample script beside this test's source: tests/e2e/ -> package/sample/.
std::string SampleScript() { return DirectoryOf(ToWindowsPath(__FILE__)) + "..\\..\\package\\sample\\Sample.rc"; }

// Presses modifier+key through the system's input queue, as the keyboard
// does, so that the key state the accelerators read is the real one.
bool PressChord(HWND window, WORD modifier, WORD key) {
  SetForegroundWindow(window);
  if (!WaitUntil([&] { return GetForegroundWindow() == window; }, Ms(3000))) return false;
  INPUT input[4] = {};
  const WORD keys[4] = {modifier, key, key, modifier};
  for (int i = 0; i < 4; ++i) {
    input[i].type = INPUT_KEYBOARD;
    input[i].ki.wVk = keys[i];
    input[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  return SendInput(4, input, sizeof(INPUT)) == 4;
}

class KestrixTest : public UtilityTest {
 protected:
  void TearDown() override {
    for (HWND window : program_) {
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window));
      if (!process) continue;
      TerminateProcess(process, 0xDEAD);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
    UtilityTest::TearDown();
  }

  std::string Built() const { return ScratchPath(name_ + ".exe"); }

  // Copies a script (the sample by default) into the scratch directory, adopts it and builds it.
  ::testing::AssertionResult BuildSample(const std::string& source = SampleScript(), const std::string& name = "Sample") {
    name_ = name;
    auto script = ReadFileBytes(source);
    if (!script) return ::testing::AssertionFailure() << "cannot read " << source;
    if (!WriteFileBytes(ScratchPath(name + ".rc"), *script)) return ::testing::AssertionFailure() << "cannot copy it";
    if (auto written = WriteIni(StandardIni("LastFile=" + ScratchPath(name + ".rc"))); !written) return written;
    if (auto started = StartUtility(); !started) return started;
    HWND compile = utility().Control(IDC_COMPILE);
    if (!WaitUntil([&] { return IsEnabled(compile); })) return ::testing::AssertionFailure() << "not adopted";
    if (!Click(compile) || !WaitUntil([&] { return !IsEnabled(compile); }))
      return ::testing::AssertionFailure() << "cannot press Mivo Compile";
    WaitUntil([&] { return IsEnabled(compile) || FindMessageBox(utility().Id()); });
    if (auto box = FindMessageBox(utility().Id())) return ::testing::AssertionFailure() << "the build failed: " << box->text;
    return FileExists(Built()) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "no " << Built();
  }

  // Types the parameters, presses "Run exe..." and returns the new program's window.
  HWND Run(const std::string& parameters) {
    size_t before = program_.size();
    if (!SetText(utility().Control(IDC_RUN_PARAMETERS), parameters) || !Click(utility().Control(IDC_RUN_EXE)))
      return nullptr;
    WaitUntil([&] {
      HWND found = nullptr;
      for (HWND window = FindWindowW(L"" KESTRIX_WINDOW_CLASS, nullptr); window;
           window = FindWindowExW(nullptr, window, L"" KESTRIX_WINDOW_CLASS, nullptr)) {
        bool known = false;
        for (HWND seen : program_) known = known || seen == window;
        if (!known && IsWindowVisible(window)) found = window;
      }
      if (found) program_.push_back(found);
      return found != nullptr;
    });
    return program_.size() > before ? program_.back() : nullptr;
  }

  std::vector<HWND> program_;
  std::string name_ = "Sample";
};

TEST_F(KestrixTest, TheBuiltSampleHasTheScriptsMenuBarTitleAndAccelerators) {
  ASSERT_TRUE(BuildSample());
  HWND program = Run("");
  ASSERT_NE(program, nullptr) << utility().Describe();
  EXPECT_EQ(Text(program), "Stock Keeper");

  std::vector<MenuItem> bar;
  ASSERT_TRUE(ReadMenuBar(program, &bar));
  std::vector<std::string> popups;
  for (const MenuItem& item : bar) popups.push_back(item.text + (item.rightJustified ? " (right)" : ""));
  EXPECT_EQ(popups, (std::vector<std::string>{"&File", "&Item", "&View", "&Help (right)"}));
  const struct {
    std::vector<std::string> path;
    UINT id;
    bool grayed, checked;
  } kItems[] = {
      {{"&File", "&New\tCtrl+N"}, 1001, false, false},  {{"&File", "&Open...\tCtrl+O"}, 1002, false, false},
      {{"&File", "&Save\tCtrl+S"}, 1003, true, false},  {{"&File", "E&xit"}, 1004, false, false},
      {{"&Item", "&Add...\tIns"}, 100, false, false},   {{"&Item", "&Delete\tDel"}, 1103, false, false},
      {{"&View", "&Toolbar"}, 1201, false, true},       {{"&Help", "&About Stock Keeper..."}, 101, false, false},
  };
  for (const auto& expected : kItems) {
    const MenuItem* item = FindMenuItem(bar, expected.path);
    ASSERT_NE(item, nullptr) << expected.path.back();
    EXPECT_EQ(item->id, expected.id) << expected.path.back();
    EXPECT_EQ(item->grayed, expected.grayed) << expected.path.back();
    EXPECT_EQ(item->checked, expected.checked) << expected.path.back();
  }
  ASSERT_EQ(bar[0].items.size(), 5u);
  EXPECT_TRUE(bar[0].items[3].separator);

  ASSERT_TRUE(PressChord(program, VK_CONTROL, 'N'));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(program, IDC_KESTRIX_STATUS) == "Command 1001: &New\tCtrl+N"; }))
      << ControlText(program, IDC_KESTRIX_STATUS);
}

// The item dialog's controls as the script places them, in dialog units.
struct Placed {
  int id;
  const char* cls;
  const char* text;
  int x, y, cx, cy;  // cy -1: a drop-down list's height is its own
};
const Placed kItemDialog[] = {
    {0xFFFF, "Static", "&Code:", 7, 9, 50, 8},       {2001, "Edit", "", 60, 7, 60, 12},
    {0xFFFF, "Static", "&Name:", 7, 27, 50, 8},      {2002, "Edit", "", 60, 25, 110, 12},
    {0xFFFF, "Static", "&Quantity:", 7, 45, 50, 8},  {2003, "Edit", "", 60, 43, 40, 12},
    {0xFFFF, "Static", "&Unit:", 7, 63, 50, 8},      {2004, "ComboBox", "", 60, 61, 60, -1},
    {0xFFFF, "Button", "Reordering", 7, 80, 163, 30},
    {2005, "Button", "&Reorder when the quantity falls below 10", 14, 93, 150, 10},
    {IDOK, "Button", "OK", 178, 7, 45, 14},          {IDCANCEL, "Button", "Cancel", 178, 25, 45, 14},
};

// The dialog's controls match the table for one pair of dialog base units.
::testing::AssertionResult HasTheItemDialogsControls(HWND dialog) {
  std::vector<HWND> children = Children(dialog);
  if (children.size() != sizeof kItemDialog / sizeof kItemDialog[0])
    return ::testing::AssertionFailure() << children.size() << " controls";
  std::vector<RECT> rects;
  for (size_t i = 0; i < children.size(); ++i) {
    const Placed& p = kItemDialog[i];
    if ((ControlId(children[i]) & 0xFFFF) != p.id || _stricmp(ClassName(children[i]).c_str(), p.cls) != 0 ||
        (p.text[0] && Text(children[i]) != p.text))
      return ::testing::AssertionFailure() << "control " << i << ": " << ControlId(children[i]) << " "
                                           << ClassName(children[i]) << " \"" << Text(children[i]) << "\"";
    RECT r = WindowRect(children[i]);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    rects.push_back(r);
  }
  for (int bx = 4; bx <= 40; ++bx) {
    for (int by = 8; by <= 80; ++by) {
      bool all = true;
      for (size_t i = 0; i < rects.size() && all; ++i) {
        const Placed& p = kItemDialog[i];
        const RECT& r = rects[i];
        all = r.left == MulDiv(p.x, bx, 4) && r.top == MulDiv(p.y, by, 8) &&
              r.right - r.left == MulDiv(p.cx, bx, 4) && (p.cy < 0 || r.bottom - r.top == MulDiv(p.cy, by, 8));
      }
      if (all) return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "no dialog base units place every control as the script does";
}

TEST_F(KestrixTest, DialogsOpenFromTheResourceListAndFromTheDialogParameter) {
  ASSERT_TRUE(BuildSample());
  HWND program = Run("");
  ASSERT_NE(program, nullptr) << utility().Describe();

  // Double-click the row of DIALOG 100.
  HWND list = GetDlgItem(program, IDC_KESTRIX_RESOURCES);
  std::vector<std::string> lines = ListLines(list);
  int row = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("type #5 DIALOG, name #100,", 0) == 0) row = static_cast<int>(i);
  }
  ASSERT_GE(row, 0);
  DWORD_PTR height = 0, top = 0;
  ASSERT_TRUE(SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height));
  ASSERT_TRUE(SendMessageTimeoutW(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 5000, &top));
  const LPARAM at = MAKELPARAM(10, static_cast<int>((row - static_cast<int>(top)) * height + height / 2));
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);

  HWND dialog = WaitForTopLevel(ProcessOf(program), {"#32770", "Stock Item"});
  ASSERT_NE(dialog, nullptr) << DescribeWindows(ProcessOf(program));
  EXPECT_TRUE(HasTheItemDialogsControls(dialog));
  EXPECT_EQ(Owner(dialog), program);
  ASSERT_TRUE(Click(GetDlgItem(dialog, IDCANCEL)));
  EXPECT_TRUE(WaitForWindowGone(dialog));

  // Started with /dialog 100 among other parameters, it opens at once.
  HWND second = Run("-x /dialog 100 /what");
  ASSERT_NE(second, nullptr) << utility().Describe();
  EXPECT_EQ(ControlText(second, IDC_KESTRIX_PARAMETERS), "-x /dialog 100 /what");
  HWND startup = WaitForTopLevel(ProcessOf(second), {"#32770", "Stock Item"});
  ASSERT_NE(startup, nullptr) << DescribeWindows(ProcessOf(second));
  EXPECT_TRUE(HasTheItemDialogsControls(startup));
}

// The share of a window's client pixels, read from the screen, that have
// one colour, and the share that are black (the bare desktop under Xvfb).
struct Shares {
  double colour = 0, black = 0;
};
Shares ScreenShares(HWND window, COLORREF colour) {
  RECT client = ClientRect(window);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  HDC screen = GetDC(nullptr);
  int all = 0, same = 0, black = 0;
  for (int x = 2; x < client.right - 2; x += 3) {
    for (int y = 2; y < client.bottom - 2; y += 3, ++all) {
      const COLORREF pixel = GetPixel(screen, origin.x + x, origin.y + y);
      same += pixel == colour;
      black += pixel == RGB(0, 0, 0);
    }
  }
  ReleaseDC(nullptr, screen);
  return all ? Shares{static_cast<double>(same) / all, static_cast<double>(black) / all} : Shares{};
}

// A Borland-style dialog and a property page of a script built with the
// utility open from "/dialog <id>" and are painted on screen: the dialog in
// the Borland grey, the page in the frame's face colour.
TEST_F(KestrixTest, ABorlandDialogAndAPageArePaintedOnScreen) {
  const std::string script = DirectoryOf(ToWindowsPath(__FILE__)) + "..\\win32\\data\\kestrix_live.rc";
  ASSERT_TRUE(BuildSample(script, "Live"));
  const struct {
    const char* parameters;
    const char* cls;
    const char* title;
    COLORREF face;
  } kCases[] = {
      {"/dialog 230", "BorDlg", "Borland Style", RGB(192, 192, 192)},
      {"/dialog 200", KESTRIX_PAGE_FRAME_CLASS, "DIALOG #200", GetSysColor(COLOR_BTNFACE)},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.parameters);
    HWND program = Run(c.parameters);
    ASSERT_NE(program, nullptr) << utility().Describe();
    HWND preview = WaitForTopLevel(ProcessOf(program), {c.cls, c.title});
    ASSERT_NE(preview, nullptr) << DescribeWindows(ProcessOf(program));
    Shares shares;
    EXPECT_TRUE(WaitUntil([&] {
      shares = ScreenShares(preview, c.face);
      return shares.colour > 0.4 && shares.black < 0.2;
    })) << "face " << shares.colour << ", black " << shares.black;
  }
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// The display's scale of the tests' prefix (its LogPixels), which every program
// started afterwards takes; the last scale is put back to 96 however the test ends.
class DisplayScale {
 public:
  ~DisplayScale() { Set(96); }
  static bool Set(DWORD dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return false;
    const bool set = RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                                    sizeof dpi) == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
  }
};

// The widths of texts as a program started at the current scale draws them in
// the font of a dialog ("dialog") or of the built program's main window ("gui").
std::vector<int> TextWidths(const std::string& scratch, const std::string& font, const std::vector<std::string>& texts) {
  const std::string output = scratch + "widths.txt";
  std::string arguments = "\"" + output + "\" " + font;
  for (const std::string& text : texts) arguments += " \"" + text + "\"";
  Process measure;
  DWORD code = 1;
  std::vector<int> widths;
  if (!measure.Launch({DirectoryOf(ThisExecutablePath()) + "e2e_measure_text.exe", arguments, "", {}, Ms(0)}) ||
      !measure.WaitForExit(DefaultTimeout(), &code) || code != 0)
    return widths;
  std::istringstream lines(ReadFileBytes(output).value_or(""));
  int width = 0, height = 0;
  while (lines >> width >> height) widths.push_back(width);
  return widths;
}

RECT ScreenClient(HWND window) {
  RECT r = ClientRect(window);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top) + ")";
}

// A window as a person sees it at one scale: every visible control inside the
// window's client area, no two overlapping, and every static text as wide as
// its text in font. Controls are the direct children, or a dialog child's.
void ExpectWhole(HWND window, const std::string& font, const std::string& scratch) {
  SCOPED_TRACE(ClassName(window) + " \"" + Text(window) + "\"");
  ASSERT_NE(window, nullptr);
  const RECT client = ScreenClient(window);
  std::vector<HWND> controls;
  for (HWND child : Children(window)) {
    if (!IsVisible(child)) continue;
    if (ClassName(child) == "#32770") {
      for (HWND inner : Children(child))
        if (IsVisible(inner)) controls.push_back(inner);
    } else {
      controls.push_back(child);
    }
  }
  ASSERT_FALSE(controls.empty());
  std::vector<HWND> statics;
  std::vector<std::string> texts;
  for (size_t i = 0; i < controls.size(); ++i) {
    const RECT r = WindowRect(controls[i]);
    const std::string name = ClassName(controls[i]) + " " + std::to_string(ControlId(controls[i])) + " \"" +
                             Text(controls[i]) + "\" " + Describe(r);
    RECT inside;
    IntersectRect(&inside, &r, &client);
    EXPECT_TRUE(EqualRect(&inside, &r)) << name << " lies outside the client area " << Describe(client);
    // A group box frames the controls of its group.
    const auto framesOthers = [](HWND c) { return ClassName(c) == "Button" && (Style(c) & BS_TYPEMASK) == BS_GROUPBOX; };
    for (size_t j = i + 1; j < controls.size() && !framesOthers(controls[i]); ++j) {
      if (framesOthers(controls[j])) continue;
      const RECT other = WindowRect(controls[j]);
      RECT both;
      EXPECT_FALSE(IntersectRect(&both, &r, &other))
          << name << " overlaps " << ClassName(controls[j]) << " " << ControlId(controls[j]) << " " << Describe(other);
    }
    const LONG kind = Style(controls[i]) & SS_TYPEMASK;
    // A path shown with an ellipsis is meant to be cut; the others must show their whole text.
    if (ClassName(controls[i]) == "Static" && kind <= SS_RIGHT && !(Style(controls[i]) & SS_PATHELLIPSIS) &&
        !Text(controls[i]).empty()) {
      statics.push_back(controls[i]);
      texts.push_back(Text(controls[i]));
    }
  }
  const std::vector<int> widths = TextWidths(scratch, font, texts);
  ASSERT_EQ(widths.size(), texts.size());
  for (size_t i = 0; i < statics.size(); ++i) {
    const RECT r = ClientRect(statics[i]);
    EXPECT_GE(r.right - r.left, widths[i]) << "static \"" << texts[i] << "\" is cut";
  }
}

// One table over the display's scales: the utility with its debug window and
// About box, and a built program with its dialog, each started at that scale.
TEST_F(KestrixTest, EveryWindowIsWholeAtEveryDisplayScale) {
  ASSERT_TRUE(BuildSample());
  ASSERT_TRUE(utility().Exit(nullptr));
  ASSERT_TRUE(WriteIni(StandardIni("LastFile=" + ScratchPath("Sample.rc") + "\nDebugMode=1")));
  DisplayScale restore;
  for (DWORD dpi : {96u, 120u, 144u, 192u}) {
    SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
    ASSERT_TRUE(DisplayScale::Set(dpi));
    ASSERT_TRUE(StartUtility());
    const RECT main = WindowRect(utility().MainWindow());
    std::cout << dpi << " DPI: main window " << Describe(main) << ", panel "
              << Describe(WindowRect(utility().Panel())) << std::endl;
    if (dpi == 96) {
      EXPECT_EQ(456, main.right - main.left);
      EXPECT_EQ(148, main.bottom - main.top);
    }
    ExpectWhole(utility().MainWindow(), "dialog", Scratch());
    ExpectWhole(utility().WaitForDebugWindow(), "dialog", Scratch());
    ASSERT_TRUE(utility().Command(IDM_ABOUT));
    HWND about = WaitForTopLevel(utility().Id(), {mivo::kDialogClass, ""});
    ExpectWhole(about, "dialog", Scratch());
    PostClose(about);
    ASSERT_TRUE(WaitForWindowGone(about));

    HWND program = Run("/dialog 100");
    ASSERT_NE(program, nullptr) << utility().Describe();
    std::cout << dpi << " DPI: built program " << Describe(WindowRect(program)) << std::endl;
    ExpectWhole(program, "gui", Scratch());
    ExpectWhole(WaitForTopLevel(ProcessOf(program), {"#32770", "Stock Item"}), "dialog", Scratch());
    PostClose(program);
    ASSERT_TRUE(WaitForWindowGone(program));
    ASSERT_TRUE(utility().Exit(nullptr));
  }
}

}  // namespace
}  // namespace e2e
