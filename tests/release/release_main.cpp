// The release as a user meets it: the archive unpacked at C:\ of a fresh
// prefix (fresh_prefix.sh does that and runs this program there), no INI, the
// utility started from its own folder. A person chooses the sample in the open
// dialog, builds it, runs the built program, and leaves with File > Exit; the
// INI then holds the defaults and the chosen script.

#include "tests/e2e/driver/utility.h"

#include "package/kestrix/kestrix_ids.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

constexpr char kInstall[] = "C:\\VORN\\MivoConvert\\";

std::string Installed(const std::string& name) { return kInstall + name; }

std::string IniFile() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\" + mivo::kIniName;
}

std::string IniValue(const std::string& key) {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, IniFile().c_str());  // flush the cache
  char value[1024] = "";
  GetPrivateProfileStringA(mivo::kIniSection, key.c_str(), "<absent>", value, sizeof value, IniFile().c_str());
  return value;
}

// The visible windows of class className, whichever process shows them.
std::vector<HWND> WindowsOfClass(const std::string& className) {
  struct Search {
    std::string className;
    std::vector<HWND> found;
  } search{className, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        if (IsWindowVisible(window) && ClassName(window) == search->className) search->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

::testing::AssertionResult NoMessageBox(DWORD pid, const char* when) {
  if (auto box = FindMessageBox(pid)) {
    return ::testing::AssertionFailure() << "a message box " << when << ": \"" << box->caption << "\": \"" << box->text
                                         << "\"";
  }
  return ::testing::AssertionSuccess();
}

TEST(Release, TheUnpackedArchiveBuildsAndRunsTheSampleWithNoConfiguration) {
  ASSERT_TRUE(FileExists(Installed(mivo::kProgramFile))) << "the archive is not unpacked at " << kInstall;
  ASSERT_FALSE(FileExists(IniFile())) << "the prefix is not fresh: " << IniFile() << " exists";

  Utility utility;
  LaunchOptions options;
  options.program = Installed(mivo::kProgramFile);
  options.workingDirectory = kInstall;
  ASSERT_TRUE(utility.Start(options));

  ASSERT_TRUE(Click(utility.Control(IDC_SELECT_RC)));
  HWND dialog = WaitForOpenDialog(utility.Id());
  ASSERT_NE(nullptr, dialog) << "no open dialog; windows:\n" << utility.Describe();
  ASSERT_TRUE(TypeFileName(dialog, "Samples\\Sample.rc"));
  ASSERT_TRUE(PressOpen(dialog));
  ASSERT_TRUE(WaitForWindowGone(dialog));
  const std::string script = Installed("Samples\\Sample.rc");
  const std::string program = Installed("Samples\\Sample.exe");
  HWND compile = utility.Control(IDC_COMPILE);
  ASSERT_TRUE(WaitUntil([&] { return IsEnabled(compile); })) << "not adopted: " << utility.ControlText(IDC_RC_PATH);
  EXPECT_EQ(script, utility.ControlText(IDC_RC_PATH));

  ASSERT_TRUE(Click(compile));
  ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(compile); })) << "the build never began";
  ASSERT_TRUE(WaitUntil([&] { return IsEnabled(compile) || FindMessageBox(utility.Id()); }));
  ASSERT_TRUE(NoMessageBox(utility.Id(), "after Mivo Compile"));
  ASSERT_TRUE(FileExists(program)) << "no built program " << program;

  HWND run = utility.Control(IDC_RUN_EXE);
  ASSERT_TRUE(IsEnabled(run));
  ASSERT_TRUE(Click(run));
  ASSERT_TRUE(WaitUntil([] { return WindowsOfClass(KESTRIX_WINDOW_CLASS).size() == 1; }))
      << "the built program shows no window; the utility's windows:\n" << utility.Describe();
  HWND built = WindowsOfClass(KESTRIX_WINDOW_CLASS).front();
  EXPECT_EQ(program, ControlText(built, IDC_KESTRIX_PROGRAM));
  EXPECT_GT(ListCount(GetDlgItem(built, IDC_KESTRIX_RESOURCES)), 0) << "no resources bound into the built program";
  EXPECT_TRUE(NoMessageBox(utility.Id(), "after Run exe..."));
  EXPECT_TRUE(NoMessageBox(ProcessOf(built), "from the built program"));
  PostClose(built);
  EXPECT_TRUE(WaitForWindowGone(built));

  DWORD exitCode = 1;
  ASSERT_TRUE(utility.Exit(&exitCode));
  EXPECT_EQ(0u, exitCode);

  ASSERT_TRUE(FileExists(IniFile())) << "File > Exit left no INI";
  const std::pair<const char*, std::string> expected[] = {
      {"MivoKestrix", Installed("Mivokestrix\\KestRix.exe")},
      {"Sarvex", Installed("Tools\\Sarvex.exe")},
      {"BRC32", Installed("Bc4\\bin\\brc32.exe")},
      {"LastFile", script},
      {"RunMode", "0"},
      {"DebugMode", "0"},
      {"RunDelay", "0"},
      {"CommandLine", ""},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(value, IniValue(key)) << "key " << key;
}

}  // namespace
}  // namespace e2e
