// The e2e fixture: scratch directory, the Windows directory's INI, and the
// utility's start and teardown.

#include "tests/e2e/driver/fixture.h"

#include "package/sarvex/sarvex_ids.h"

#include <cstdlib>

#ifndef MIVO_E2E_BIN_DIR
#define MIVO_E2E_BIN_DIR ""
#endif

namespace e2e {
namespace {

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
  return path;
}

std::string ToCrLf(const std::string& text) {
  std::string out;
  for (size_t index = 0; index < text.size(); ++index) {
    if (text[index] == '\n' && (index == 0 || text[index - 1] != '\r')) out.push_back('\r');
    out.push_back(text[index]);
  }
  return out;
}

void FlushProfileCache(const std::string& path) {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-a-test";
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == ' ') c = '_';
  }
  return name;
}

// A real file for tool key `file`: the stand-in when built, else a copy of this program.
std::string ToolFile(const std::string& scratch, const std::string& file) {
  std::string standIn = BinDir() + "package\\" + file;
  if (FileExists(standIn)) return standIn;
  std::string copy = scratch + "tools\\" + file;
  MakeDirectories(scratch + "tools");
  CopyFileW(ToWide(ThisExecutablePath()).c_str(), ToWide(copy).c_str(), FALSE);
  return copy;
}

// The checker stays with its findings window after a build of a faulty
// script: every such window is closed, and its checker ended if it stays.
void EndCheckerWindows() {
  constexpr int kMostCheckers = 16;
  HWND window;
  for (int i = 0; i < kMostCheckers && (window = FindWindowA(SARVEX_FINDINGS_CLASS, nullptr)) != nullptr; ++i) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window));
    PostClose(window);
    if (!process) break;
    if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) TerminateProcess(process, 0xDEAD);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

}  // namespace

std::string BinDir() {
  const char* fromEnvironment = std::getenv("MIVO_E2E_BIN_DIR");
  std::string dir = fromEnvironment && *fromEnvironment ? fromEnvironment : MIVO_E2E_BIN_DIR;
  return WithTrailingBackslash(ToWindowsPath(dir));
}

std::string UtilityPath() { return BinDir() + mivo::kProgramFile; }

std::string IniPath() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  return WithTrailingBackslash(windows) + mivo::kIniName;
}

void UtilityTest::SetUp() {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  scratch_ = WithTrailingBackslash(temp) + "mivo-e2e\\" + TestName() + "\\";
  RemoveTree(scratch_);
  ASSERT_TRUE(MakeDirectories(scratch_)) << "cannot create " << scratch_ << ": " << LastErrorText();

  ASSERT_TRUE(FileExists(UtilityPath())) << "the utility is not built: " << UtilityPath();
  tools_ = ToolPaths{ToolFile(scratch_, "KestRix.exe"), ToolFile(scratch_, "Sarvex.exe"),
                     ToolFile(scratch_, "brc32.exe")};
  for (const std::string* tool : {&tools_.kestrix, &tools_.sarvex, &tools_.brc32}) {
    ASSERT_TRUE(FileExists(*tool)) << "no file for the tool path " << *tool;
  }

  FlushProfileCache(IniPath());
  savedIni_ = ReadIni();
  ASSERT_TRUE(WriteIni(StandardIni()));
}

void UtilityTest::TearDown() {
  utility_.process().Terminate();
  EndCheckerWindows();
  if (savedIni_) {
    WriteFileBytes(IniPath(), *savedIni_);
  } else {
    DeleteFileA(IniPath().c_str());
  }
  FlushProfileCache(IniPath());
  const char* keep = std::getenv("MIVO_E2E_KEEP");
  if (!(keep && *keep == '1')) RemoveTree(scratch_);
}

std::string UtilityTest::StandardIni(const std::string& extraLines) const {
  std::string text = std::string("[") + mivo::kIniSection + "]\n";
  text += "MivoKestrix=" + tools_.kestrix + "\n";
  text += "Sarvex=" + tools_.sarvex + "\n";
  text += "BRC32=" + tools_.brc32 + "\n";
  if (!extraLines.empty()) {
    text += extraLines;
    if (text.back() != '\n') text.push_back('\n');
  }
  return text;
}

::testing::AssertionResult UtilityTest::WriteIni(const std::string& text) {
  bool written = WriteFileBytes(IniPath(), ToCrLf(text));
  FlushProfileCache(IniPath());
  if (!written) return ::testing::AssertionFailure() << "cannot write " << IniPath() << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

void UtilityTest::RemoveIni() {
  DeleteFileA(IniPath().c_str());
  FlushProfileCache(IniPath());
}

std::optional<std::string> UtilityTest::ReadIni() const { return ReadFileBytes(IniPath()); }

std::string UtilityTest::IniValue(const std::string& key, const std::string& fallback) const {
  FlushProfileCache(IniPath());
  char value[4096] = "";
  GetPrivateProfileStringA(mivo::kIniSection, key.c_str(), fallback.c_str(), value, sizeof value,
                           IniPath().c_str());
  return value;
}

LaunchOptions UtilityTest::Options(LaunchOptions extra) const {
  if (extra.program.empty()) extra.program = UtilityPath();
  if (extra.workingDirectory.empty()) extra.workingDirectory = scratch_;
  return extra;
}

::testing::AssertionResult UtilityTest::StartUtility(LaunchOptions extra) {
  return utility_.Start(Options(std::move(extra)));
}

::testing::AssertionResult UtilityTest::LaunchUtility(LaunchOptions extra) {
  return utility_.Launch(Options(std::move(extra)));
}

}  // namespace e2e
