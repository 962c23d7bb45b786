// The tools' two helpers: waiting for a file a tool writes, and starting a
// program detached.
#include "build/tools.h"

#include "diag/debug_log.h"
#include "test_support.h"

namespace {

std::string NotAvailableLine(const std::string& path, int retry) {
  return path + " not available yet, " + std::to_string(retry) +
         " of 10 tries at 100 ms intervals";
}

class ToolsTest : public UtilityTest {
 protected:
  void SetUp() override {
    UtilityTest::SetUp();
    CreateWindows();
    ShowDebugWindow();
  }
  const std::string path = "C:\\proj\\menu.res";
};

TEST_F(ToolsTest, EachRetrySleepsFirstAndIsTracedUntilTheFileAppearsOrTenHaveFailed) {
  constexpr size_t kNever = 99;
  // The sleep during which the file appears; 0: there from the start.
  for (size_t appearsAt : {size_t{0}, size_t{1}, size_t{9}, size_t{10}, kNever}) {
    SCOPED_TRACE(appearsAt);
    SetUp();
    if (appearsAt == 0) fake::AddFile(path);
    fake::world().onSleep = [&](uint64_t) {
      if (fake::world().sleeps.size() == appearsAt) fake::AddFile(path);
    };
    size_t retries = std::min<size_t>(appearsAt, 10);
    std::vector<std::string> expected;
    for (size_t retry = 1; retry <= retries; ++retry)
      expected.push_back(NotAvailableLine(path, static_cast<int>(retry)));

    EXPECT_EQ(WaitForFile(path.c_str(), "r"), appearsAt != kNever);
    EXPECT_EQ(DebugLines(), expected);
    EXPECT_EQ(fake::world().sleeps, std::vector<unsigned>(retries, 100));
  }
}

TEST_F(ToolsTest, ARunningExecutableNeverPassesTheUpdateProbe) {
  const std::string exe = "C:\\proj\\menu.exe";
  fake::AddFile(exe);
  fake::FindFile(exe)->locked = true;
  EXPECT_TRUE(WaitForFile(exe.c_str(), "r"));
  EXPECT_FALSE(WaitForFile(exe.c_str(), "r+"));
  EXPECT_EQ(DebugLines().size(), 10u);
  EXPECT_EQ(DebugLines().back(), NotAvailableLine(exe, 10));
}

TEST_F(ToolsTest, LaunchStartsDetachedWithTheShowModeAndIgnoresAFailedStart) {
  fake::world().onCreateProcess = [](const fake::ProcessCall& call) {
    return call.commandLine.rfind("C:\\missing", 0) != 0;
  };
  char started[] = "C:\\tools\\prog.exe -a \"b c\"";
  char missing[] = "C:\\missing\\prog.exe";
  LaunchProcess(started, platform::kShowMinNoActive);
  LaunchProcess(missing, platform::kShowNormal);

  const auto& calls = fake::world().processes;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].commandLine, "C:\\tools\\prog.exe -a \"b c\"");
  EXPECT_EQ(calls[0].showMode, 7);
  EXPECT_EQ(calls[1].showMode, 1);
  for (const fake::ProcessCall& call : calls) {
    EXPECT_EQ(call.flags, 0x4000200u);
    EXPECT_EQ(call.idleWaitMs, 30000u);
  }
  EXPECT_TRUE(fake::world().messageBoxes.empty());
  EXPECT_TRUE(DebugLines().empty());
}

}  // namespace
