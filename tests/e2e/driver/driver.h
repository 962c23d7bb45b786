#pragma once
// The e2e driver: works a Win32 program from outside, as a person would.
//
// It starts the program under test with a chosen working directory and
// environment, finds its windows by class and title within that process, reads
// what is on screen (titles, control texts, states, styles, tab order, menus,
// list boxes, message boxes) and acts through messages that cross processes
// (BM_CLICK, WM_COMMAND, WM_SETTEXT, key messages). Every wait is a bounded
// poll; every message that needs an answer goes through SendMessageTimeout, so a
// hung program fails the test instead of hanging it.
//
// Texts are UTF-8 on this side; the W forms of the messages are used throughout,
// because Wine answers the A forms across processes with UTF-16 bytes.
//
// Functions that can fail in a way a test wants explained return
// ::testing::AssertionResult, so `ASSERT_TRUE(e2e::...)` reports the caller's
// line with the reason. Queries return an empty value (nullptr, "", nullopt)
// when there is nothing to report.
//
// The live menu of another process cannot be read under Wine (menus are
// process-local objects there); ReadMenuBar then loads e2e_probe.dll into the
// program under test and reads the menu from inside (menu_probe.h).

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

using Ms = std::chrono::milliseconds;

// The default bound of every wait: 15 s, or MIVO_E2E_TIMEOUT_MS when set.
Ms DefaultTimeout();
// A duration as the milliseconds Win32 waits take, 0 to 0x7FFFFFFF.
DWORD ToDword(Ms duration);
// The bound on one SendMessageTimeout call.
constexpr Ms kAnswerTimeout{5000};
// How often a wait looks again.
constexpr Ms kPollInterval{20};

// ---- Texts, paths and files -------------------------------------------------
std::string ToUtf8(const std::wstring& text);
std::wstring ToWide(const std::string& utf8);
// A path as a Windows program names it: a Unix path ("/work/x") becomes Wine's
// drive Z ("Z:\work\x"); otherwise '/' becomes '\'.
std::string ToWindowsPath(const std::string& path);
// The directory part of a path, with its trailing backslash ("" if none).
std::string DirectoryOf(const std::string& path);
std::string ThisExecutablePath();
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool MakeDirectories(const std::string& path);  // every missing level
bool RemoveTree(const std::string& path);        // true if gone afterwards
std::string LastErrorText();                     // GetLastError as "code: message"

// ---- Bounded polling ----------------------------------------------------------
// Evaluates condition every kPollInterval until it holds or timeout passes; it is
// evaluated once more at the deadline. Returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, Ms timeout = DefaultTimeout());

// ---- Processes --------------------------------------------------------------------
struct LaunchOptions {
  std::string program;           // the .exe (a Unix path is converted)
  std::string arguments;         // appended after the quoted program path
  std::string workingDirectory;  // empty: inherit this process's
  // Added to this process's environment; a name already there (any case) is replaced.
  std::vector<std::pair<std::string, std::string>> environment;
  Ms inputIdleTimeout = DefaultTimeout();
};

// A started program. Destroying a Process that still runs terminates it.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;

  // CreateProcessW (environment block built from options), then WaitForInputIdle:
  // the program has created its first window and waits for input.
  ::testing::AssertionResult Launch(const LaunchOptions& options);

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  DWORD MainThreadId() const { return threadId_; }
  HANDLE Handle() const { return process_; }
  bool Running() const;
  // Waits up to timeout for the process to end; fills exitCode when it did.
  ::testing::AssertionResult WaitForExit(Ms timeout, DWORD* exitCode = nullptr);
  // Ends a process that still runs (TerminateProcess, code 0xDEAD) and waits for it.
  void Terminate();

 private:
  void Close();
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  DWORD threadId_ = 0;
};

// Builds the UTF-16 environment block of options (exposed for tests of the driver).
std::wstring BuildEnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& additions);

// ---- Finding windows --------------------------------------------------------------
// Matches a window by class and title; an empty optional field matches anything.
struct WindowMatch {
  std::optional<std::string> className;
  std::optional<std::string> title;
  bool visibleOnly = true;
};

DWORD ProcessOf(HWND window);
// Top-level windows of process pid, in Z order (topmost first).
std::vector<HWND> TopLevelWindows(DWORD pid);
HWND FindTopLevel(DWORD pid, const WindowMatch& match);
HWND WaitForTopLevel(DWORD pid, const WindowMatch& match, Ms timeout = DefaultTimeout());
// Direct children of parent in creation order (for a dialog: the template's order).
std::vector<HWND> Children(HWND parent);
HWND FindChild(HWND parent, const WindowMatch& match);
HWND WaitForChild(HWND parent, const WindowMatch& match, Ms timeout = DefaultTimeout());
// The window is destroyed or hidden (EndDialog only hides a modeless dialog).
::testing::AssertionResult WaitForWindowGone(HWND window, Ms timeout = DefaultTimeout());
// One line per visible top-level window of pid: class, title, and a message
// box's text. For failure messages.
std::string DescribeWindows(DWORD pid);

// ---- Reading windows --------------------------------------------------------------
std::string ClassName(HWND window);
// WM_GETTEXT through SendMessageTimeoutW; "<no answer>" if the owner is hung.
std::string Text(HWND window);
std::string ControlText(HWND dialog, int id);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);
LONG Style(HWND window);
LONG ExStyle(HWND window);
int ControlId(HWND window);  // -1 for IDC_STATIC, whether the template stored it in 16 or 32 bits
// GetWindow GW_OWNER. The system makes a top-level window's owner a top-level
// window: a box owned by a dialog child is owned by that child's top-level parent.
HWND Owner(HWND window);
HWND Parent(HWND window);  // GetAncestor GA_PARENT (the desktop for top-level windows)
RECT WindowRect(HWND window);
RECT ClientRect(HWND window);
// BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE; -1 without an answer.
int CheckState(HWND button);
// The Tab order of a dialog as GetNextDlgTabItem walks it from the first item,
// as control ids; disabled and hidden controls are skipped as the dialog manager does.
std::vector<int> TabOrder(HWND dialog);
// The window with the keyboard focus in the thread that owns window (GetGUIThreadInfo).
HWND FocusOf(HWND window);

// ---- Acting -----------------------------------------------------------------------
// Presses a button: BM_CLICK is posted, not sent, so a click that opens a modal
// box does not block the caller. Poll for its effect afterwards.
bool Click(HWND button);
// Presses a button and returns once its handler has run (BM_CLICK sent with a
// timeout). Only for clicks that open nothing modal: a modal box would keep the
// call waiting until the bound. False if the button cannot be pressed or did not answer.
bool ClickAndWait(HWND button);
// Posts WM_COMMAND with the whole wParam id (a menu command, lParam 0).
bool PostCommand(HWND window, UINT id);
// Sets a control's text with WM_SETTEXT (sent with a timeout); true when answered.
bool SetText(HWND window, const std::string& text);
// Posts a key press (WM_KEYDOWN then WM_KEYUP) to window, as the keyboard would
// deliver it to the focused control; it goes through the program's message loop.
bool PressKey(HWND window, UINT virtualKey);
// Posts WM_CLOSE, as the close box does.
bool PostClose(HWND window);

// ---- List boxes ---------------------------------------------------------------------
int ListCount(HWND list);  // -1 without an answer
std::vector<std::string> ListLines(HWND list);
int ListSelection(HWND list);  // LB_GETCURSEL: LB_ERR (-1) when none

// ---- Menus ---------------------------------------------------------------------------
struct MenuItem {
  std::string text;
  UINT id = 0;             // command id; 0 for a popup
  bool popup = false;
  bool checked = false;
  bool grayed = false;
  bool separator = false;
  bool rightJustified = false;  // MFT_RIGHTJUSTIFY (the resource's HELP option)
  RECT rect{};             // screen rectangle of a menu-bar item; empty for popup items
  std::vector<MenuItem> items;  // a popup's items
};

// The menu bar of a top-level window of another process, read live (check marks included).
::testing::AssertionResult ReadMenuBar(HWND window, std::vector<MenuItem>* bar);
// Finds an item by its path of texts, e.g. {"Debug", "Debug ON/OFF"}.
const MenuItem* FindMenuItem(const std::vector<MenuItem>& bar, const std::vector<std::string>& path);

// ---- Message boxes ----------------------------------------------------------------------
struct MessageBoxInfo {
  HWND window = nullptr;
  HWND owner = nullptr;
  std::string caption;
  std::string text;  // the static 0xFFFF
};
// A visible message box of pid (a "#32770" with the text static 0xFFFF and an OK
// button); with caption set, only one with that caption.
std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, const std::optional<std::string>& caption = {});
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, const std::optional<std::string>& caption = {},
                                                Ms timeout = DefaultTimeout());
// Presses the box's OK button and waits for the box to go.
::testing::AssertionResult AnswerMessageBox(HWND box, Ms timeout = DefaultTimeout());

// ---- The open dialog -------------------------------------------------------------------
// The standard open dialog (OFN_EXPLORER): a "#32770" titled title.
HWND WaitForOpenDialog(DWORD pid, const std::string& title = "Open", Ms timeout = DefaultTimeout());
// The file-name field: the edit inside combo box 0x47C (or the plain edit 0x480).
HWND FileNameField(HWND openDialog);
::testing::AssertionResult TypeFileName(HWND openDialog, const std::string& path);
bool PressOpen(HWND openDialog);    // WM_COMMAND IDOK, posted
bool PressCancel(HWND openDialog);  // WM_COMMAND IDCANCEL, posted

}  // namespace e2e
