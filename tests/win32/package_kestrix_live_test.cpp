// Every dialog of a script previews live: pages in a frame of their own with
// the main window still usable, placeholders for classes the application
// registers itself, the Borland controls drawn and behaving as the standard
// ones, rich-edit fields; and damaged or oversized templates answer at once.

#include "package_kestrix_support.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace kestrix_test;
using package::ResEntry;
using package::ResId;

std::vector<ResEntry> LiveEntries() {
  const std::string path = package_test::SourceFile("tests/win32/data/kestrix_live.rc");
  std::string text;
  EXPECT_TRUE(package_test::ReadBytes(path, text));
  return CompiledEntries(text);
}

struct Expected {
  int id;
  const char* cls;
  const wchar_t* text;
};

std::string ClassOf(HWND window) {
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  return cls;
}

::testing::AssertionResult HasControls(HWND dialog, const std::vector<Expected>& expected) {
  size_t i = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++i) {
    if (i >= expected.size()) return ::testing::AssertionFailure() << "an extra control " << ClassOf(child);
    const Expected& e = expected[i];
    std::wstring text;
    if ((GetDlgCtrlID(child) & 0xFFFF) != e.id || _stricmp(ClassOf(child).c_str(), e.cls) != 0 ||
        !ControlText(dialog, e.id, text) || text != e.text)
      return ::testing::AssertionFailure() << "control " << i << ": " << GetDlgCtrlID(child) << " " << ClassOf(child)
                                           << " \"" << std::string(text.begin(), text.end()) << "\"";
  }
  if (i != expected.size()) return ::testing::AssertionFailure() << i << " controls";
  return ::testing::AssertionSuccess();
}

TEST_F(KestrixPreview, EveryDialogOpensLiveWithAllItsControls) {
  constexpr const char* kHolder = "KestrixPlaceholder";
  const struct {
    const char* dialog;
    const char* window;  // the top-level window's class; a page's frame holds the page
    const wchar_t* title;
    std::vector<Expected> controls;
    const wchar_t* status;
    int focusId;      // a focus notification from this control must not reach the status bar
    UINT focusCode;
    int click;        // clicked: the status names it, and then `checked` are the checked buttons
    std::vector<int> checked;
    std::vector<std::pair<int, COLORREF>> faces = {};  // the colour at the centre of these controls
  } kCases[] = {
      {"/dialog 200", KESTRIX_PAGE_FRAME_CLASS, L"DIALOG #200",
       {{201, "Static", L"&Name:"}, {202, "Edit", L""}, {203, "Button", L"&Shared"}}, L"Ready", 202, EN_SETFOCUS,
       203, {203}},
      {"/dialog 210", KESTRIX_PAGE_FRAME_CLASS, L"DIALOG #210",
       {{211, "Static", L"Choose where to install."}, {212, "ListBox", L""}}, L"Ready", 212, LBN_KILLFOCUS, 0, {}},
      {"/dialog 220", "#32770", L"Contacts",
       {{221, kHolder, L"people"}, {222, kHolder, L"Colour"}, {223, kHolder, L"Later"}, {IDOK, "Button", L"OK"}},
       L"DIALOG #220: shown with placeholders for CONTACTLIST, COLORBUTTON", IDOK, BN_SETFOCUS, 0, {}},
      {"/dialog 230", "BorDlg", L"Borland Style",
       {{231, "BorShade", L""}, {232, "BorRadio", L"&Fast"}, {233, "BorRadio", L"&Careful"},
        {234, "BorCheck", L"&Verbose"}, {235, "BorCheck", L"&Manual"}, {236, "BorStatic", L"Options"},
        {237, "BorShade", L""}, {238, "BorShade", L""}, {239, "BorShade", L""}, {240, "BorShade", L""},
        {241, "BorShade", L"Summary"}, {IDOK, "BorBtn", L"OK"}, {IDCANCEL, "BorBtn", L"Cancel"}, {IDHELP, "BorBtn", L"Help"},
        {IDRETRY, "BorBtn", L"Retry"}},
       L"Ready", 234, BN_KILLFOCUS, 233, {233}},
      {"/dialog 250", "#32770", L"Notes",
       {{251, "RichEdit20W", L"plain"}, {252, "RichEdit20A", L"narrow"}, {253, "RICHEDIT50W", L"newest"}}, L"Ready", 251,
       EN_SETFOCUS, 0, {}},
      {"/dialog 260", "#32770", L"Hosts",
       {{261, kHolder, L"own"}, {262, kHolder, L"note"}, {263, kHolder, L"frame"}, {IDCANCEL, "Button", L"Cancel"}},
       L"DIALOG #260: shown with the standard dialog class for MDIClient; shown with placeholders for KestrixWindow, "
       L"Message, #32770",
       IDCANCEL, BN_KILLFOCUS, 0, {}},
      {"/dialog 270", "BorDlg", L"Plain Grey", {{271, "BorStatic", L"Grey"}, {272, "BorBtn", L"Face"}, {273, "BorBtn", L""}},
       L"Ready", 271, BN_KILLFOCUS, 0, {}, {{272, RGB(255, 0, 0)}, {273, RGB(0, 0, 255)}}},
  };
  const std::vector<ResEntry> entries = LiveEntries();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.dialog);
    Start(BoundCopy(entries), c.dialog);
    HWND top = WaitForTopLevel(c.window, c.title);
    ASSERT_NE(top, nullptr) << Status().c_str();
    const bool page = strcmp(c.window, KESTRIX_PAGE_FRAME_CLASS) == 0;
    HWND dialog = page ? GetWindow(top, GW_CHILD) : top;
    EXPECT_TRUE(HasControls(dialog, c.controls));
    EXPECT_TRUE(StatusBecomes(c.status)) << Status().c_str();
    if (page) {
      EXPECT_TRUE(IsWindowEnabled(window_) && IsWindowEnabled(dialog)) << "a page leaves the main window usable";
    }
    DWORD_PTR ignored = 0;
    const WPARAM focus = MAKEWPARAM(c.focusId, c.focusCode);
    SendMessageTimeoutW(dialog, WM_COMMAND, focus, reinterpret_cast<LPARAM>(GetDlgItem(dialog, c.focusId)), SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &ignored);
    EXPECT_EQ(Status(), c.status) << "a focus notification went to the status bar";
    if (c.click) {
      SendMessageTimeoutW(GetDlgItem(dialog, c.click), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &ignored);
      const std::string number = c.dialog + strlen("/dialog ");
      EXPECT_EQ(Status(), L"DIALOG #" + std::wstring(number.begin(), number.end()) + L": command " +
                              std::to_wstring(c.click) + L", notification 0");
      for (const Expected& e : c.controls) {
        const bool checked = std::find(c.checked.begin(), c.checked.end(), e.id) != c.checked.end();
        const bool choice = strstr(e.cls, "Radio") || strstr(e.cls, "Check") ||
                            (strcmp(e.cls, "Button") == 0 && e.id != IDOK && e.id != IDCANCEL);
        if (choice) {
          EXPECT_EQ(IsDlgButtonChecked(dialog, e.id) == BST_CHECKED, checked) << e.id;
        }
      }
    }
    for (const auto& face : c.faces) {
      RECT r = {};
      GetWindowRect(GetDlgItem(dialog, face.first), &r);
      HDC screen = GetDC(nullptr);
      EXPECT_TRUE(package_test::WaitUntil(
          [&] { return GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2) == face.second; }, kWindowTimeoutMs))
          << face.first;
      ReleaseDC(nullptr, screen);
    }
    PostMessageW(top, WM_CLOSE, 0, 0);
    EXPECT_TRUE(package_test::WaitUntil([&] { return !IsWindow(top); }, kWindowTimeoutMs));
    EXPECT_TRUE(StillRuns());
  }
}

// One case per file of the folder the build makes (make_kestrix_damaged.py):
// bound as the dialog or menu of a copy, it is named in the status bar, the
// program answers within a second, and it closes.
TEST_F(KestrixPreview, DamagedTemplatesAnswerWithinASecondAndClose) {
  const std::string dir = package_test::WindowsPath(MIVO_BIN_DIR) + "\\kestrix_damaged\\";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "*.bin").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << dir;
  int cases = 0;
  do {
    const std::string name(found.cFileName, strlen(found.cFileName) - 4);
    SCOPED_TRACE(name);
    const bool dialog = name.rfind("dialog", 0) == 0;
    std::string bytes, menu, status;
    ASSERT_TRUE(package_test::ReadBytes(dir + name + ".bin", bytes));
    ASSERT_TRUE(package_test::ReadBytes(dir + name + ".status", status));
    std::vector<ResEntry> entries = {package_test::Entry(ResId::Number(dialog ? 5 : 4), ResId::Number(1), bytes)};
    if (package_test::ReadBytes(dir + name + ".menu", menu)) entries.push_back(package_test::Entry(ResId::Number(4), ResId::Number(1), menu));
    Start(BoundCopy(entries), dialog ? "/dialog 1" : "/menu 1");
    EXPECT_TRUE(StatusBecomes(std::wstring(status.begin(), status.end()))) << Status().c_str();
    DWORD_PTR ignored = 0;
    const DWORD before = GetTickCount();
    EXPECT_TRUE(SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored));
    EXPECT_LT(GetTickCount() - before, 1000u);
    End();
    ++cases;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  EXPECT_GE(cases, 10);
}

}  // namespace
