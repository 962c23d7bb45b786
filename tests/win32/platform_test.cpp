// The platform layer against the real services it wraps: profile files found
// by their bare name, the fopen probes on missing, read-only and running files,
// copy and delete, the current directory's reported length, and the two ways of
// starting a program. (A read-only attribute is not tried: Wine maps it to the
// file's permission bits, which do not stop the root user these tests run as.)

// The seam first: the Windows headers' -A macros must not rename its declarations.
#include "platform/platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package_test_support.h"

#undef CopyFile
#undef CreateProcess
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetProfileString
#undef WriteProfileString

namespace {

using package_test::ScratchDir;

constexpr char kIni[] = "MivoPlatformTest.ini";

std::string WindowsDirectoryFile(const char* name) {
  char directory[MAX_PATH];
  GetWindowsDirectoryA(directory, sizeof directory);
  return std::string(directory) + "\\" + name;
}

class PlatformProfile : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileA(WindowsDirectoryFile(kIni).c_str()); }
  void TearDown() override {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, kIni);  // drop the cached copy
    DeleteFileA(WindowsDirectoryFile(kIni).c_str());
  }
};

TEST_F(PlatformProfile, ABareNameLivesInTheWindowsDirectory) {
  ASSERT_TRUE(platform::WriteProfileString("Configuration", "RunDelay", "0", kIni));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, kIni);
  std::string bytes;
  ASSERT_TRUE(package_test::ReadBytes(WindowsDirectoryFile(kIni), bytes));
  EXPECT_NE(bytes.find("[Configuration]"), std::string::npos);
  EXPECT_NE(bytes.find("RunDelay=0"), std::string::npos);
}

TEST_F(PlatformProfile, ValuesAreTrimmedCutToCapacityAndDefaultedWhenAbsent) {
  package_test::WriteBytes(WindowsDirectoryFile(kIni),
                           "[Configuration]\r\nRunMode=1 \r\nLastFile=\"C:\\proj\\menu.rc\"\r\n"
                           "CommandLine=abcdefghij\r\n");
  char out[16];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(platform::GetProfileString("Configuration", "RunMode", "0", out, 513, kIni), 1u);
  EXPECT_STREQ(out, "1");

  char path[64];
  platform::GetProfileString("Configuration", "LastFile", "!!!", path, sizeof path, kIni);
  EXPECT_STREQ(path, "C:\\proj\\menu.rc");

  // A capacity of 5 gives four characters and the terminator, and nothing past it.
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(platform::GetProfileString("Configuration", "CommandLine", "", out, 5, kIni), 4u);
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(out[5], '#');

  platform::GetProfileString("Configuration", "BRC32", "!!!", out, sizeof out, kIni);
  EXPECT_STREQ(out, "!!!");
}

class PlatformFiles : public ::testing::Test {
 protected:
  std::string File(const char* name) { return dir_.path() + name; }
  ScratchDir dir_;
};

TEST_F(PlatformFiles, ProbesNeverCreateOrChangeAFile) {
  std::string missing = File("missing.rc");
  EXPECT_FALSE(platform::OpenAndClose(missing.c_str(), "r"));
  EXPECT_FALSE(platform::OpenAndClose(missing.c_str(), "r+"));
  EXPECT_FALSE(platform::FileExists(missing.c_str()));

  std::string script = File("menu.rc");
  ASSERT_TRUE(package_test::WriteBytes(script, "text"));
  EXPECT_TRUE(platform::OpenAndClose(script.c_str(), "r"));
  EXPECT_TRUE(platform::OpenAndClose(script.c_str(), "r+"));
  std::string bytes;
  package_test::ReadBytes(script, bytes);
  EXPECT_EQ(bytes, "text") << "the update probe must not truncate";

}

TEST_F(PlatformFiles, CopyReplacesUnlessAskedNotToAndDeleteRemoves) {
  std::string from = File("a.rc"), to = File("b.rc");
  package_test::WriteBytes(from, "new");
  package_test::WriteBytes(to, "old");
  EXPECT_FALSE(platform::CopyFile(from.c_str(), to.c_str(), true));
  EXPECT_TRUE(platform::CopyFile(from.c_str(), to.c_str(), false));
  std::string bytes;
  package_test::ReadBytes(to, bytes);
  EXPECT_EQ(bytes, "new");
  EXPECT_FALSE(platform::CopyFile(File("none.rc").c_str(), to.c_str(), false));
  EXPECT_TRUE(platform::DeleteFile(to.c_str()));
  EXPECT_FALSE(package_test::Exists(to));
}

TEST_F(PlatformFiles, ARunningProgramCanBeReadButNotUpdatedReplacedOrDeleted) {
  std::string exe = File("menu.exe");
  ASSERT_TRUE(CopyFileA(package_test::PackageProgram("KestRix.exe").c_str(), exe.c_str(), FALSE));
  std::string line = exe + " one two";
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  ASSERT_TRUE(platform::CreateProcess(commandLine.data(), platform::kShowMinNoActive, 0x4000200, 30000));

  // The launch returns once the program waits for input: its window is there.
  HWND window = FindWindowA("KestrixWindow", nullptr);
  ASSERT_NE(window, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);

  EXPECT_TRUE(platform::OpenAndClose(exe.c_str(), "r"));
  EXPECT_FALSE(platform::OpenAndClose(exe.c_str(), "r+"));
  EXPECT_TRUE(platform::FileExists(exe.c_str()));
  EXPECT_FALSE(platform::CopyFile(package_test::PackageProgram("KestRix.exe").c_str(), exe.c_str(), false));
  EXPECT_FALSE(platform::DeleteFile(exe.c_str()));

  TerminateProcess(process, 0);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
}

TEST_F(PlatformFiles, AProgramThatCannotBeFoundIsNotStarted) {
  std::string line = File("absent.exe") + " -f x";
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  EXPECT_FALSE(platform::CreateProcess(commandLine.data(), platform::kShowNormal, 0x4000200, 30000));
}

TEST_F(PlatformFiles, TheInterpreterRunsTheCommandToItsEnd) {
  std::string target = File("made.txt");
  std::string command = "echo made> \"" + target + "\"";
  platform::RunCommandInterpreter(command.c_str());
  std::string bytes;
  ASSERT_TRUE(package_test::ReadBytes(target, bytes)) << "the command must have finished";
  EXPECT_EQ(bytes.rfind("made", 0), 0u);
}

TEST(PlatformDirectory, ReportsTheLengthOrTheCapacityNeeded) {
  char directory[1024];
  unsigned length = platform::GetCurrentDirectory(sizeof directory, directory);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::strlen(directory), length);
  char small[2];
  EXPECT_EQ(platform::GetCurrentDirectory(sizeof small, small), length + 1);
}

}  // namespace

// Presses queued for one control go (its clicks and keys, clicks posted to it,
// its commands posted to the dialog); the rest of the queue stays, in order.
TEST(PlatformInput, QueuedPressesOfAControlAreDiscardedAndNothingElse) {
  HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);
  HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 50, 20, dialog, HMENU(1000), nullptr, nullptr);
  HWND other = CreateWindowExA(0, "BUTTON", "o", WS_CHILD, 0, 30, 50, 20, dialog, HMENU(1002), nullptr, nullptr);
  ASSERT_TRUE(button && other);
  const struct {
    HWND to;
    UINT message;
    WPARAM wParam;
    bool discarded;
  } posted[] = {{button, WM_LBUTTONDOWN, 0, true},
                {other, WM_LBUTTONDOWN, 0, false},
                {dialog, WM_COMMAND, 1002, false},
                {button, WM_KEYDOWN, 0, true},
                {button, BM_CLICK, 0, true},
                {dialog, WM_COMMAND, 1000, true},
                {button, WM_USER + 1, 0, false},
                {other, BM_CLICK, 0, false},
                {dialog, WM_COMMAND, MAKEWPARAM(1000, BN_DOUBLECLICKED), true},
                {button, WM_LBUTTONUP, 0, true},
                {dialog, WM_USER + 2, 1000, false},
                {other, WM_KEYUP, 0, false}};
  for (const auto& p : posted) ASSERT_TRUE(PostMessageA(p.to, p.message, p.wParam, 0));
  PostQuitMessage(7);  // an abort's quit must survive the discard

  platform::DiscardControlInput(dialog, 1000);

  MSG message;
  for (const auto& p : posted) {
    if (p.discarded) continue;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, p.to);
    EXPECT_EQ(message.message, p.message);
    EXPECT_EQ(message.wParam, p.wParam);
  }
  int quits = 0;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      EXPECT_EQ(message.wParam, 7u);
      ++quits;
      continue;
    }
    EXPECT_NE(message.hwnd, button) << "left over: " << message.message;
    EXPECT_NE(message.hwnd, other) << "left over: " << message.message;
    EXPECT_NE(message.hwnd, dialog) << "left over: " << message.message;
  }
  EXPECT_EQ(quits, 1);
  DestroyWindow(dialog);
}

namespace {

std::vector<platform::Message> privateSeen;

intptr_t RecordingProcedure(platform::Window, platform::Message message, uintptr_t, intptr_t) {
  if (message == platform::Message::Private) privateSeen.push_back(message);
  return platform::kDefaultProcessing;
}

HWND NewListParent() {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 120, nullptr, nullptr, nullptr,
                                nullptr);
  CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 200, 100,
                  parent, HMENU(1009), nullptr, nullptr);
  return parent;
}

void HandlePending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace

// Each call reaches the list of the dialog it names, however the calls alternate
// and whichever dialog went; with painting off the list keeps its lines,
// selection and top index out of sight, and on again it waits to be painted.
TEST(PlatformList, CallsReachTheNamedDialogsListAndPaintingOffKeepsItsState) {
  HWND first = NewListParent(), second = NewListParent();
  ASSERT_TRUE(GetDlgItem(first, 1009) && GetDlgItem(second, 1009));
  const struct {
    HWND dialog;
    int expectedIndex;
  } adds[] = {{first, 0}, {second, 0}, {first, 1}, {first, 2}, {second, 1}};
  for (const auto& add : adds) EXPECT_EQ(platform::ListAdd(add.dialog, 1009, "line"), add.expectedIndex);
  DestroyWindow(first);
  HWND third = NewListParent();
  EXPECT_EQ(platform::ListAdd(third, 1009, "line"), 0) << "a new dialog's list, not a stale one";
  EXPECT_EQ(platform::ListCount(second, 1009), 2);

  HWND list = GetDlgItem(second, 1009);
  HandlePending();
  platform::ListSetRedraw(second, 1009, false);
  EXPECT_FALSE(IsWindowVisible(list));
  for (int i = 0; i < 40; ++i) platform::ListSelect(second, 1009, platform::ListAdd(second, 1009, "more"));
  EXPECT_EQ(platform::ListCount(second, 1009), 42);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 41);
  LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
  EXPECT_GT(top, 0) << "the selection was scrolled into view";
  platform::ListSetRedraw(second, 1009, true);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), top);
  EXPECT_TRUE(GetUpdateRect(list, nullptr, FALSE)) << "all of it waits to be painted";
  HandlePending();
  EXPECT_FALSE(GetUpdateRect(list, nullptr, FALSE));
  DestroyWindow(second);
  DestroyWindow(third);
}

TEST(PlatformList, APrivateMessageReachesTheProcedureOnceTheQueueIsHandled) {
  ASSERT_TRUE(platform::RegisterMainClass(GetModuleHandleA(nullptr), "MivoPlatformTestMain", RecordingProcedure, 0,
                                          nullptr));
  platform::Window window = platform::CreateMainWindow(GetModuleHandleA(nullptr), "MivoPlatformTestMain", "", 0, 0, 0,
                                                       100, 100);
  ASSERT_NE(window, nullptr);
  privateSeen.clear();
  ASSERT_TRUE(platform::PostPrivateMessage(window));
  EXPECT_TRUE(privateSeen.empty()) << "posted, not sent";
  HandlePending();
  EXPECT_EQ(privateSeen.size(), 1u);
  platform::DestroyWindow(window);
}
