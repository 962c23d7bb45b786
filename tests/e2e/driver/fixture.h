#pragma once
// The per-test fixture of the e2e tests: each test gets its own scratch
// directory and its own MivoCompile.ini in the Windows directory, starts the
// utility with the scratch directory as working directory, and leaves the
// machine as it found it.
//
// The utility ends its start at once when any of the three tool paths in the
// INI is unreadable, so the INI that SetUp writes points them at real files:
// the conversion-package stand-ins when they are built, else copies of this
// test program in the scratch directory. Tests that want another INI write
// their own with WriteIni or remove it with RemoveIni before starting.
//
// The INI is shared by every test of the prefix: e2e tests run one at a time.

#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/utility.h"

#include <optional>
#include <string>

namespace e2e {

struct ToolPaths {
  std::string kestrix;  // the template executable (key MivoKestrix)
  std::string sarvex;   // the syntax checker (key Sarvex)
  std::string brc32;    // the resource compiler (key BRC32)
};

// The directory holding MivoCompile.exe: MIVO_E2E_BIN_DIR from the environment,
// else the build's, as a Windows path with its trailing backslash.
std::string BinDir();
std::string UtilityPath();
// <Windows directory>\MivoCompile.ini, where the utility's bare INI name resolves.
std::string IniPath();

class UtilityTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The INI text with the three tool keys pointing at Tools(), followed by extraLines
  // (more "Key=Value" lines of [Configuration]; '\n' separated).
  std::string StandardIni(const std::string& extraLines = "") const;
  // Replaces the INI with text ('\n' is written as CRLF).
  ::testing::AssertionResult WriteIni(const std::string& text);
  void RemoveIni();
  std::optional<std::string> ReadIni() const;  // the file's bytes; nullopt if absent
  // A key of [Configuration] as the profile services read it now (the cache is flushed first).
  std::string IniValue(const std::string& key, const std::string& fallback = "!!!") const;

  const ToolPaths& Tools() const { return tools_; }
  // The test's own directory (Windows path with trailing backslash), empty at start.
  const std::string& Scratch() const { return scratch_; }
  std::string ScratchPath(const std::string& name) const { return scratch_ + name; }

  // Starts the utility in the scratch directory and waits until it is ready
  // (Utility::Start); extra carries more environment or another directory.
  ::testing::AssertionResult StartUtility(LaunchOptions extra = {});
  // Starts it without the readiness checks (Utility::Launch).
  ::testing::AssertionResult LaunchUtility(LaunchOptions extra = {});
  Utility& utility() { return utility_; }

 private:
  LaunchOptions Options(LaunchOptions extra) const;

  std::string scratch_;
  ToolPaths tools_;
  std::optional<std::string> savedIni_;
  Utility utility_;
};

}  // namespace e2e
