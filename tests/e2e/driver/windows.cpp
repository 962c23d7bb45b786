// The driver's windows: finding, reading and working them, list boxes,
// message boxes and the open dialog. Menus are in menu.cpp.

#include "tests/e2e/driver/driver.h"

#include <algorithm>
#include <sstream>

namespace e2e {
namespace {

// SendMessageTimeoutW with the driver's bound; false if the window did not answer.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                           ToDword(kAnswerTimeout), &answer)) {
    return false;
  }
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

std::string InternalTitle(HWND window) {
  wchar_t title[512];
  int length = InternalGetWindowText(window, title, 512);
  return ToUtf8(std::wstring(title, length > 0 ? static_cast<size_t>(length) : 0));
}

bool Matches(HWND window, const WindowMatch& match) {
  if (match.visibleOnly && !IsWindowVisible(window)) return false;
  if (match.className && ClassName(window) != *match.className) return false;
  if (match.title && InternalTitle(window) != *match.title) return false;
  return true;
}

struct EnumState {
  DWORD pid;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter) {
  auto* state = reinterpret_cast<EnumState*>(parameter);
  if (ProcessOf(window) == state->pid) state->windows->push_back(window);
  return TRUE;
}

std::string Describe(HWND window) {
  std::ostringstream out;
  out << "\"" << ClassName(window) << "\" \"" << InternalTitle(window) << "\"";
  return out.str();
}

}  // namespace

// ---- Finding windows --------------------------------------------------------------

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
  std::vector<HWND> windows;
  EnumState state{pid, &windows};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return windows;
}

HWND FindTopLevel(DWORD pid, const WindowMatch& match) {
  for (HWND window : TopLevelWindows(pid)) {
    if (Matches(window, match)) return window;
  }
  return nullptr;
}

HWND WaitForTopLevel(DWORD pid, const WindowMatch& match, Ms timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(pid, match)) != nullptr; }, timeout);
  return found;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child && children.size() < 1000;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

HWND FindChild(HWND parent, const WindowMatch& match) {
  for (HWND child : Children(parent)) {
    if (Matches(child, match)) return child;
  }
  return nullptr;
}

HWND WaitForChild(HWND parent, const WindowMatch& match, Ms timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindChild(parent, match)) != nullptr; }, timeout);
  return found;
}

::testing::AssertionResult WaitForWindowGone(HWND window, Ms timeout) {
  if (WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "window " << Describe(window) << " is still on screen after "
                                       << timeout.count() << " ms";
}

std::string DescribeWindows(DWORD pid) {
  std::ostringstream out;
  for (HWND window : TopLevelWindows(pid)) {
    if (!IsWindowVisible(window)) continue;
    out << "  " << Describe(window);
    if (HWND text = GetDlgItem(window, 0xFFFF)) out << " text \"" << Text(text) << "\"";
    out << "\n";
  }
  std::string text = out.str();
  return text.empty() ? "  (no visible windows)\n" : text;
}

// ---- Reading windows --------------------------------------------------------------

std::string ClassName(HWND window) {
  wchar_t name[256];
  int length = GetClassNameW(window, name, 256);
  return ToUtf8(std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0));
}

std::string Text(HWND window) {
  LRESULT length = 0;
  if (!Ask(window, WM_GETTEXTLENGTH, 0, 0, &length)) return "<no answer>";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) {
    return "<no answer>";
  }
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return ToUtf8(text);
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? Text(control) : "<no control " + std::to_string(id) + ">";
}

bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }
bool IsVisible(HWND window) { return IsWindowVisible(window) != FALSE; }
LONG Style(HWND window) { return GetWindowLongW(window, GWL_STYLE); }
LONG ExStyle(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }
int ControlId(HWND window) {
  int id = GetDlgCtrlID(window);
  return id == 0xFFFF ? -1 : id;  // IDC_STATIC, as a 16-bit template stores it
}
HWND Owner(HWND window) { return GetWindow(window, GW_OWNER); }
HWND Parent(HWND window) { return GetAncestor(window, GA_PARENT); }

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT ClientRect(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

int CheckState(HWND button) {
  LRESULT state = 0;
  return Ask(button, BM_GETCHECK, 0, 0, &state) ? static_cast<int>(state) : -1;
}

std::vector<int> TabOrder(HWND dialog) {
  std::vector<int> ids;
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  for (HWND item = first; item && ids.size() < 256;) {
    ids.push_back(GetDlgCtrlID(item));
    item = GetNextDlgTabItem(dialog, item, FALSE);
    if (item == first) break;
  }
  return ids;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// ---- Acting -----------------------------------------------------------------------

bool Click(HWND button) {
  // A person cannot press what is hidden or greyed out.
  if (!IsWindow(button) || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
  return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

bool ClickAndWait(HWND button) {
  if (!IsWindow(button) || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
  return Ask(button, BM_CLICK, 0, 0, nullptr);
}

bool PostCommand(HWND window, UINT id) { return PostMessageW(window, WM_COMMAND, id, 0) != FALSE; }

bool SetText(HWND window, const std::string& text) {
  std::wstring wide = ToWide(text);
  return Ask(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), nullptr);
}

bool PressKey(HWND window, UINT virtualKey) {
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  return PostMessageW(window, WM_KEYDOWN, virtualKey, scan | 1) &&
         PostMessageW(window, WM_KEYUP, virtualKey, scan | 1 | (LPARAM{3} << 30));
}

bool PostClose(HWND window) { return PostMessageW(window, WM_CLOSE, 0, 0) != FALSE; }

// ---- List boxes ---------------------------------------------------------------------

int ListCount(HWND list) {
  LRESULT count = 0;
  return Ask(list, LB_GETCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  int count = ListCount(list);
  for (int index = 0; index < count; ++index) {
    LRESULT length = 0;
    if (!Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, &length) || length < 0) {
      lines.push_back("<no answer>");
      continue;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!Ask(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()), &copied) ||
        copied < 0) {
      lines.push_back("<no answer>");
      continue;
    }
    text.resize(static_cast<size_t>(std::min(copied, length)));
    lines.push_back(ToUtf8(text));
  }
  return lines;
}

int ListSelection(HWND list) {
  LRESULT selection = LB_ERR;
  return Ask(list, LB_GETCURSEL, 0, 0, &selection) ? static_cast<int>(selection) : LB_ERR;
}

// ---- Message boxes ----------------------------------------------------------------------

std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, const std::optional<std::string>& caption) {
  for (HWND window : TopLevelWindows(pid)) {
    if (!IsWindowVisible(window) || ClassName(window) != "#32770") continue;
    HWND text = GetDlgItem(window, 0xFFFF);
    if (!text || !GetDlgItem(window, IDOK)) continue;
    MessageBoxInfo info{window, Owner(window), InternalTitle(window), Text(text)};
    if (caption && info.caption != *caption) continue;
    return info;
  }
  return std::nullopt;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, const std::optional<std::string>& caption,
                                                Ms timeout) {
  std::optional<MessageBoxInfo> found;
  WaitUntil([&] { return (found = FindMessageBox(pid, caption)).has_value(); }, timeout);
  return found;
}

::testing::AssertionResult AnswerMessageBox(HWND box, Ms timeout) {
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok) return ::testing::AssertionFailure() << "window " << Describe(box) << " has no OK button";
  if (!Click(ok)) return ::testing::AssertionFailure() << "the OK button of " << Describe(box) << " cannot be pressed";
  return WaitForWindowGone(box, timeout);
}

// ---- The open dialog -------------------------------------------------------------------

HWND WaitForOpenDialog(DWORD pid, const std::string& title, Ms timeout) {
  return WaitForTopLevel(pid, WindowMatch{"#32770", title}, timeout);
}

HWND FileNameField(HWND openDialog) {
  // 0x47C is a ComboBoxEx32 under Wine and a ComboBox on Windows: the edit sits one or two levels down.
  if (HWND combo = GetDlgItem(openDialog, 0x47C)) {
    HWND edit = nullptr;
    EnumChildWindows(
        combo,
        [](HWND child, LPARAM found) {
          if (ClassName(child) != "Edit") return TRUE;
          *reinterpret_cast<HWND*>(found) = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&edit));
    if (edit) return edit;
  }
  return GetDlgItem(openDialog, 0x480);
}

::testing::AssertionResult TypeFileName(HWND openDialog, const std::string& path) {
  HWND field = FileNameField(openDialog);
  if (!field) return ::testing::AssertionFailure() << "the open dialog has no file-name field";
  if (!SetText(field, path)) return ::testing::AssertionFailure() << "the file-name field did not answer";
  std::string shown = Text(field);
  if (shown != path) {
    return ::testing::AssertionFailure() << "the file-name field shows \"" << shown << "\" after typing \"" << path
                                         << "\"";
  }
  return ::testing::AssertionSuccess();
}

bool PressOpen(HWND openDialog) {
  return PostMessageW(openDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(openDialog, IDOK))) != FALSE;
}

bool PressCancel(HWND openDialog) {
  return PostMessageW(openDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(openDialog, IDCANCEL))) != FALSE;
}

}  // namespace e2e
