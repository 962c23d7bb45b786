// The template application seen from outside, as a person sees a built
// program: started the way the utility starts it, it answers the input-idle
// wait, shows its parameters, lists the resources bound into it, and shows
// them live: menu bar, accelerators, dialogs, text and image views, each
// from a .res of our compiler and one of another, and broken resources as a
// status line while it keeps running.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_ids.h"
#include "package/rc/rc_compile.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"
#include "package_test_support.h"

namespace {

using package::ResEntry;
using package::ResId;
using package_test::Launched;
using package_test::ScratchDir;

constexpr DWORD kMessageTimeoutMs = 5000;
constexpr DWORD kWindowTimeoutMs = 10000;

struct Search {
  DWORD processId;
  const char* cls;
  const wchar_t* title;  // nullptr: any
  HWND found;
};

// A visible top-level window of the process with that class (and title).
HWND FindTopLevel(DWORD processId, const char* cls, const wchar_t* title = nullptr) {
  Search search{processId, cls, title, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        Search& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        char cls[64] = "";
        GetClassNameA(window, cls, sizeof cls);
        wchar_t title[256] = L"";
        GetWindowTextW(window, title, 256);
        if (pid == s.processId && strcmp(cls, s.cls) == 0 && IsWindowVisible(window) &&
            (!s.title || wcscmp(title, s.title) == 0)) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The text of a control, read with WM_GETTEXT into a poisoned buffer.
::testing::AssertionResult ControlText(HWND window, int id, std::wstring& text) {
  HWND control = GetDlgItem(window, id);
  if (!control) return ::testing::AssertionFailure() << "no control " << id;
  wchar_t buffer[1024];
  wmemset(buffer, 0xCCCC, sizeof buffer / sizeof buffer[0]);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
    return ::testing::AssertionFailure() << "control " << id << " does not answer";
  if (copied >= sizeof buffer / sizeof buffer[0] || buffer[copied] != L'\0')
    return ::testing::AssertionFailure() << "text of control " << id << " is not terminated where reported";
  text.assign(buffer, copied);
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult ListLines(HWND window, std::vector<std::wstring>& lines) {
  HWND list = GetDlgItem(window, IDC_KESTRIX_RESOURCES);
  if (!list) return ::testing::AssertionFailure() << "no resource list";
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count))
    return ::testing::AssertionFailure() << "the list does not answer";
  lines.clear();
  for (WPARAM i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length);
    std::vector<wchar_t> buffer(length + 2, 0xCCCC);
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &copied);
    if (copied != length) return ::testing::AssertionFailure() << "line " << i << " changed length";
    lines.emplace_back(buffer.data(), copied);
  }
  return ::testing::AssertionSuccess();
}

class PackageKestrix : public ::testing::Test {
 protected:
  void TearDown() override { End(); }

  void End() {
    if (launched_.process) {
      if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
      EXPECT_TRUE(package_test::WaitForExit(launched_, kWindowTimeoutMs)) << "the window did not close";
    }
    window_ = nullptr;
  }

  // A copy with the entries bound in, under a new name each time: a program
  // that just ended may hold its file for a moment.
  std::string BoundCopy(const std::vector<ResEntry>& entries) {
    const std::string exe = dir_ / ("demo" + std::to_string(++copies_) + ".exe").c_str();
    EXPECT_TRUE(CopyFileA(package_test::PackageProgram("KestRix.exe").c_str(), exe.c_str(), FALSE));
    package::BindReport report;
    std::string error;
    if (!entries.empty()) {
      EXPECT_TRUE(package::BindResources(entries, exe, report, error)) << error;
    }
    return exe;
  }

  // Starts the program as the utility runs a built one: path, one blank,
  // the parameters, in a normal window.
  void Start(const std::string& exe, const std::string& parameters) {
    End();
    launched_ = package_test::LaunchAsUtility(exe + " " + parameters, SW_SHOWNORMAL);
    ASSERT_TRUE(launched_.started);
    ASSERT_EQ(launched_.idleResult, 0u) << "WaitForInputIdle failed";
    EXPECT_LT(launched_.idleMs, package_test::kInputIdleTimeoutMs / 3) << "idle came late";
    ASSERT_TRUE(package_test::WaitUntil([&] { return (window_ = FindTopLevel(launched_.processId, KESTRIX_WINDOW_CLASS)) != nullptr; },
                                        kWindowTimeoutMs));
  }

  ScratchDir dir_;
  int copies_ = 0;
  Launched launched_;
  HWND window_ = nullptr;
};

TEST_F(PackageKestrix, ShowsItsParametersAndTheBoundResources) {
  ResEntry data;
  data.type = ResId::Number(package::kRtRcData);
  data.name = ResId::Number(101);
  data.language = 0x0409;
  data.data.assign(12, 'd');
  ResEntry config;
  config.type = ResId::Text("CONFIG");
  config.name = ResId::Text("SETTINGS");
  config.language = 0x0407;
  config.data.assign(3, 'c');
  Start(BoundCopy({data, config}), "alpha \"beta gamma\"  -x");

  std::wstring parameters;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_PARAMETERS, parameters));
  EXPECT_EQ(parameters, L"alpha \"beta gamma\"  -x");

  std::vector<std::wstring> lines;
  ASSERT_TRUE(ListLines(window_, lines));
  ASSERT_EQ(lines.size(), 3u);
  auto has = [&lines](const std::wstring& line) {
    for (const std::wstring& l : lines) {
      if (l == line) return true;
    }
    return false;
  };
  EXPECT_TRUE(has(L"type #10 RCDATA, name #101, language 0409, 12 bytes"));
  EXPECT_TRUE(has(L"type CONFIG, name SETTINGS, language 0407, 3 bytes"));
  bool version = false;
  for (const std::wstring& l : lines) version = version || l.rfind(L"type #16 VERSION, name #1, language 0409, ", 0) == 0;
  EXPECT_TRUE(version);

  std::wstring summary;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_SUMMARY, summary));
  EXPECT_EQ(summary, L"3 resource(s) bound");
}

TEST_F(PackageKestrix, TheTemplateAloneHasOnlyItsVersionAndNoParameters) {
  // The utility's run line always has a blank after ".exe".
  Start(BoundCopy({}), "");

  std::wstring parameters;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_PARAMETERS, parameters));
  EXPECT_EQ(parameters, L"");
  std::vector<std::wstring> lines;
  ASSERT_TRUE(ListLines(window_, lines));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind(L"type #16 VERSION, name #1, language 0409, ", 0), 0u) << lines[0].c_str();
}

TEST_F(PackageKestrix, ARunningProgramCannotBeOpenedForUpdate) {
  const std::string exe = BoundCopy({});
  Start(exe, "");
  // What the utility's target check sees while a built program runs.
  EXPECT_TRUE(package_test::Opens(exe, "r"));
  EXPECT_FALSE(package_test::Opens(exe, "r+"));
}

// ---- The previews ---------------------------------------------------------------

enum class Source { kOurs, kWindres };

// package/sample/Sample.rc compiled by our compiler, or the fixture another compiler made.
std::vector<ResEntry> SampleEntries(Source source) {
  std::vector<ResEntry> entries;
  std::string error;
  if (source == Source::kWindres) {
    EXPECT_TRUE(package::ReadResFile(package_test::SourceFile("tests/win32/data/package_sample.res"), entries, error))
        << error;
    return entries;
  }
  const std::string path = package_test::SourceFile("package/sample/Sample.rc");
  std::string text;
  EXPECT_TRUE(package_test::ReadBytes(path, text));
  package::CompiledScript compiled;
  EXPECT_TRUE(package::CompileScript(path, text, package::ReadTextFile, compiled));
  return compiled.entries;
}

std::vector<ResEntry> CompiledEntries(const std::string& script) {
  package::CompiledScript compiled;
  EXPECT_TRUE(package::CompileScript("C:\\broken.rc", script, package::ReadTextFile, compiled)) << script;
  return compiled.entries;
}

class KestrixPreview : public PackageKestrix {
 protected:
  HWND Control(int id) { return GetDlgItem(window_, id); }

  std::wstring Status() {
    std::wstring text;
    EXPECT_TRUE(ControlText(window_, IDC_KESTRIX_STATUS, text));
    return text;
  }

  bool StatusBecomes(const std::wstring& expected) {
    return package_test::WaitUntil([&] { return Status() == expected; }, kWindowTimeoutMs);
  }

  // Selects the first row that starts with prefix and presses Enter on it.
  ::testing::AssertionResult Activate(const std::wstring& prefix) {
    std::vector<std::wstring> lines;
    if (!ListLines(window_, lines)) return ::testing::AssertionFailure() << "no list";
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind(prefix, 0) != 0) continue;
      DWORD_PTR ignored = 0;
      HWND list = Control(IDC_KESTRIX_RESOURCES);
      SendMessageTimeoutW(list, LB_SETCURSEL, i, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &ignored);
      PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no row starts with the prefix";
  }

  HWND WaitForTopLevel(const char* cls, const wchar_t* title) {
    HWND found = nullptr;
    package_test::WaitUntil([&] { return (found = FindTopLevel(launched_.processId, cls, title)) != nullptr; },
                            kWindowTimeoutMs);
    return found;
  }

  bool StillRuns() {
    DWORD_PTR ignored = 0;
    return WaitForSingleObject(launched_.process, 0) == WAIT_TIMEOUT &&
           SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &ignored);
  }
};

// The title is string 1; menu commands and accelerators name their item in the status bar.
TEST_F(KestrixPreview, MenuBarAndAcceleratorsReportTheirCommands) {
  const struct {
    Source source;
    const wchar_t* title;
    UINT command;  // posted as a menu command
    UINT key;      // an accelerator without modifiers
    const wchar_t* commandStatus;
    const wchar_t* keyStatus;
  } kCases[] = {
      {Source::kOurs, L"Stock Keeper", 1001, VK_DELETE, L"Command 1001: &New\tCtrl+N", L"Command 1103: &Delete\tDel"},
      {Source::kWindres, L"First string", 103, VK_F1, L"Command 103: E&xit", L"Command 104: &About"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.commandStatus);
    Start(BoundCopy(SampleEntries(c.source)), "");
    wchar_t title[128] = L"";
    GetWindowTextW(window_, title, 128);
    EXPECT_STREQ(title, c.title);
    EXPECT_EQ(Status(), L"Ready");
    PostMessageW(window_, WM_COMMAND, c.command, 0);
    EXPECT_TRUE(StatusBecomes(c.commandStatus)) << Status().c_str();
    PostMessageW(Control(IDC_KESTRIX_RESOURCES), WM_KEYDOWN, c.key, 0);
    EXPECT_TRUE(StatusBecomes(c.keyStatus)) << Status().c_str();
  }
}

// A dialog opens live from its row, its command or /dialog, with the
// template's caption and controls, and closes on OK, Cancel or Escape.
TEST_F(KestrixPreview, DialogsOpenLiveAndCloseOnOkCancelOrEscape) {
  const struct {
    Source source;
    const char* parameters;
    const wchar_t* row;  // activated when set
    UINT command;        // posted when set
    const wchar_t* caption;
    std::vector<int> ids;
    int close;  // IDOK, IDCANCEL, or 0 for Escape
  } kCases[] = {
      {Source::kOurs, "", L"type #5 DIALOG, name #100,", 0, L"Stock Item",
       {0xFFFF, 2001, 0xFFFF, 2002, 0xFFFF, 2003, 0xFFFF, 2004, 0xFFFF, 2005, IDOK, IDCANCEL}, 0},
      {Source::kOurs, "", nullptr, 101, L"About Stock Keeper", {0xFFFF, 0xFFFF, IDOK}, IDOK},
      {Source::kOurs, "-x /dialog 100 /unknown", nullptr, 0, L"Stock Item", {}, IDCANCEL},
      {Source::kWindres, "/DIALOG 300", nullptr, 0, L"Extended", {301, 302}, 0},
      {Source::kWindres, "", L"type #5 DIALOG, name #200,", 0, L"Sample dialog",
       {0xFFFF, 201, 202, 203, 204, 205, 206, 207, IDOK, IDCANCEL}, IDCANCEL},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.caption);
    Start(BoundCopy(SampleEntries(c.source)), c.parameters);
    if (c.row) {
      ASSERT_TRUE(Activate(c.row));
    }
    if (c.command) PostMessageW(window_, WM_COMMAND, c.command, 0);
    HWND dialog = WaitForTopLevel("#32770", c.caption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(window_)) << "the preview is modal";
    if (!c.ids.empty()) {
      std::vector<int> ids;
      for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ids.push_back(GetDlgCtrlID(child) & 0xFFFF);
      EXPECT_EQ(ids, c.ids);
    }
    if (c.close)
      PostMessageW(dialog, WM_COMMAND, c.close, 0);
    else
      PostMessageW(GetNextDlgTabItem(dialog, nullptr, FALSE), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(package_test::WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); },
                                        kWindowTimeoutMs));
    EXPECT_TRUE(package_test::WaitUntil([&] { return IsWindowEnabled(window_) != FALSE; }, kWindowTimeoutMs));
  }
}

TEST_F(KestrixPreview, ADialogsOtherCommandsGoToTheStatusBar) {
  Start(BoundCopy(SampleEntries(Source::kOurs)), "/dialog 100");
  HWND dialog = WaitForTopLevel("#32770", L"Stock Item");
  ASSERT_NE(dialog, nullptr);
  PostMessageW(GetDlgItem(dialog, 2005), BM_CLICK, 0, 0);
  EXPECT_TRUE(StatusBecomes(L"DIALOG #100: command 2005, notification 0")) << Status().c_str();
}

// Strings, version records, accelerators and raw data open as read-only text.
TEST_F(KestrixPreview, TextViewsShowStringsVersionKeysAndBytes) {
  const struct {
    Source source;
    const wchar_t* row;
    const wchar_t* title;
    std::vector<std::wstring> lines;
  } kCases[] = {
      {Source::kOurs, L"type #6 STRING, name #1,", L"STRING #1", {L"1: Stock Keeper", L"3: %d item(s) in stock"}},
      {Source::kOurs, L"type #6 STRING, name #2,", L"STRING #2", {L"16: Delete the selected item?"}},
      {Source::kWindres, L"type #6 STRING, name #1, language 0409", L"STRING #1", {L"2: Second\\tstring"}},
      {Source::kWindres, L"type #16 VERSION", L"VERSION #1",
       {L"FILEVERSION 2.1.0.7", L"PRODUCTVERSION 2.1.0.0", L"StringFileInfo\\040904B0\\CompanyName = VORN",
        L"VarFileInfo\\Translation = 0409 04B0"}},
      {Source::kOurs, L"type #9 ACCELERATOR", L"ACCELERATOR #1",
       {L"Ctrl+N: command 1001", L"Ins: command 100", L"Enter: command 1102"}},
      {Source::kWindres, L"type #9 ACCELERATOR", L"ACCELERATOR IDR_KEYS",
       {L"Ctrl+O: command 101", L"F1: command 104", L"Alt+\"a\": command 102"}},
      {Source::kWindres, L"type #10 RCDATA, name #400", L"RCDATA #400", {L"00000000  6F 64 64 01 00 34 12 70 11 01 00"}},
      {Source::kWindres, L"type CONFIG", L"CONFIG SETTINGS", {L"  key=value."}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.title);
    Start(BoundCopy(SampleEntries(c.source)), "");
    ASSERT_TRUE(Activate(c.row));
    HWND view = WaitForTopLevel(KESTRIX_TEXT_VIEW_CLASS, c.title);
    ASSERT_NE(view, nullptr) << Status().c_str();
    std::wstring text;
    ASSERT_TRUE(ControlText(view, IDC_KESTRIX_VIEW_TEXT, text));
    for (const std::wstring& line : c.lines) EXPECT_NE(text.find(line), std::wstring::npos) << text.c_str();
    EXPECT_EQ(GetWindowLongW(GetDlgItem(view, IDC_KESTRIX_VIEW_TEXT), GWL_STYLE) & ES_READONLY, ES_READONLY);
  }
}

// A device-independent bitmap: header, then `pixelBytes` bytes of pixels (and mask).
std::string Dib(int32_t width, int32_t height, uint16_t bpp, size_t pixelBytes) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bpp;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  return bytes + std::string(pixelBytes, '\x7f');
}

std::string Words(std::initializer_list<uint16_t> words) {
  std::string bytes;
  for (uint16_t w : words) bytes += std::string{static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
  return bytes;
}

TEST_F(KestrixPreview, ImagesAreDrawnInTheirOwnWindow) {
  using package_test::Entry;
  const std::string icon = Dib(2, 4, 32, 2 * 2 * 4 + 2 * 4);  // colour rows, then the mask's
  const std::vector<ResEntry> entries = {
      Entry(ResId::Number(2), ResId::Number(1), Dib(2, 2, 24, 2 * 8)),
      Entry(ResId::Number(3), ResId::Number(1), icon),
      // A group of one: its entry's last field is the image's id.
      Entry(ResId::Number(14), ResId::Number(5),
            Words({0, 1, 1, 0x0202, 0, 1, 32, static_cast<uint16_t>(icon.size()), 0, 1})),
      Entry(ResId::Number(1), ResId::Number(2), Words({1, 1}) + icon),
  };
  const struct {
    const wchar_t* row;
    const wchar_t* title;
    const wchar_t* status;
  } kCases[] = {
      {L"type #2 BITMAP", L"BITMAP #1", L"BITMAP #1: 2 x 2, 24 bits per pixel"},
      {L"type #3 ICON", L"ICON #1", L"ICON #1: 2 x 2, 32 bits per pixel"},
      {L"type #14 GROUP_ICON", L"GROUP_ICON #5", L"GROUP_ICON #5: 2 x 2, 32 bits per pixel"},
      {L"type #1 CURSOR", L"CURSOR #2", L"CURSOR #2: 2 x 2, 32 bits per pixel"},
  };
  Start(BoundCopy(entries), "");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.title);
    ASSERT_TRUE(Activate(c.row));
    EXPECT_TRUE(StatusBecomes(c.status)) << Status().c_str();
    EXPECT_NE(WaitForTopLevel(KESTRIX_IMAGE_VIEW_CLASS, c.title), nullptr);
  }
}

// A resource the system would refuse, or that is not there, gives a status
// line naming it and the reason; the program keeps running.
TEST_F(KestrixPreview, BrokenResourcesGiveAStatusLineAndTheProgramRuns) {
  using package_test::Entry;
  const std::string headerOnly = Words({0, 0x80C8, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0});  // three controls promised
  const struct {
    std::vector<ResEntry> entries;
    const char* parameters;
    const wchar_t* row;  // activated when set
    const wchar_t* status;
  } kCases[] = {
      {{Entry(ResId::Number(5), ResId::Number(7), "\x01\x02\x03")}, "", L"type #5 DIALOG, name #7,",
       L"DIALOG #7: the dialog template is malformed (its header runs past its end)"},
      {{Entry(ResId::Number(5), ResId::Number(10), headerOnly)}, "/dialog 10", nullptr,
       L"DIALOG #10: the dialog template is malformed (control 1 runs past its end)"},
      {CompiledEntries("8 DIALOG 0, 0, 100, 50\nBEGIN\n  CONTROL \"x\", 1, \"NoSuchClass\", 0, 0, 0, 10, 10\nEND\n"),
       "/dialog 8", nullptr, L"DIALOG #8: control 1 has class \"NoSuchClass\", which is not registered"},
      {CompiledEntries("9 DIALOG 0, 0, 100, 50\nMENU 77\nBEGIN\nEND\n"), "", L"type #5 DIALOG, name #9,",
       L"DIALOG #9: its menu #77 is missing"},
      {{Entry(ResId::Number(4), ResId::Number(1), Words({0, 0, MF_POPUP, 'F'}))}, "", nullptr,
       L"MENU #1: the menu template is malformed (an item runs past its end)"},
      {{}, "-q /menu 5 /dialog", nullptr, L"MENU #5: no such menu; /dialog needs a resource id"},
      {{}, "/dialog 999", nullptr, L"DIALOG #999: no such dialog"},
      {{Entry(ResId::Number(9), ResId::Number(1), "\x01\x00\x4E")}, "", nullptr,
       L"ACCELERATOR #1: the accelerator table is empty"},
      {{Entry(ResId::Number(6), ResId::Number(1), Words({5, 'A'}))}, "", L"type #6 STRING",
       L"STRING #1: the string block is malformed"},
      {{Entry(ResId::Number(16), ResId::Number(2), Words({16}))}, "", L"type #16 VERSION, name #2",
       L"VERSION #2: the version record is malformed"},
      {{Entry(ResId::Number(2), ResId::Number(3), Dib(64, 64, 8, 10))}, "", L"type #2 BITMAP",
       L"BITMAP #3: the image's pixels run past its end"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.status);
    Start(BoundCopy(c.entries), c.parameters);
    if (c.row) {
      ASSERT_TRUE(Activate(c.row));
    }
    EXPECT_TRUE(StatusBecomes(c.status)) << Status().c_str();
    EXPECT_TRUE(StillRuns());
  }
}

}  // namespace
