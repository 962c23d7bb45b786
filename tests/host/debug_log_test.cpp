// The trace window: its line cut, its cap, and that nothing is kept while it is closed.
#include "diag/debug_log.h"

#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

class DebugLogTest : public UtilityTest {
 protected:
  void SetUp() override {
    UtilityTest::SetUp();
    CreateWindows();
  }
};

TEST_F(DebugLogTest, ShowingChecksTheMenuBeepsAndStartsEmpty) {
  ShowDebugWindow();
  ASSERT_NE(state.debugWindow, nullptr);
  EXPECT_TRUE(state.debugMode);
  EXPECT_TRUE(fake::MainWindow()->menuChecks[IDM_DEBUG]);
  EXPECT_EQ(fake::Find(state.debugWindow)->templateId, IDD_DEBUG_WINDOW);
  EXPECT_EQ(fake::Find(state.debugWindow)->parent, state.mainWindow);
  LogDebug("first");
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"first"});

  size_t beepsBefore = fake::world().beeps.size();
  HideDebugWindow();
  EXPECT_FALSE(state.debugMode);
  EXPECT_FALSE(fake::MainWindow()->menuChecks[IDM_DEBUG]);
  ShowDebugWindow();
  EXPECT_TRUE(DebugLines().empty()) << "each showing is a new, empty window";
  ASSERT_EQ(fake::world().beeps.size(), beepsBefore + 1);
  EXPECT_EQ(fake::world().beeps.back(), platform::kBeepExclamation);
}

TEST_F(DebugLogTest, CloseBoxHidesTheWindowAndLaterLinesAreDropped) {
  ShowDebugWindow();
  platform::Window first = state.debugWindow;
  LogDebug("kept");
  EXPECT_EQ(DebugWindowProc(first, platform::Message::Close, 0, 0), 1);
  EXPECT_FALSE(state.debugMode);
  EXPECT_TRUE(fake::Find(first)->destroyed);
  LogDebug("while closed %d", 1);
  ShowDebugWindow();
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_EQ(fake::Find(first)->controls[IDC_DEBUG_LIST].lines, std::vector<std::string>{"kept"});
}

TEST_F(DebugLogTest, LongLinesAreCutTo160Characters) {
  ShowDebugWindow();
  std::string line(200, 'x');
  line[159] = 'L';
  LogDebug("%s", line.c_str());
  LogDebug("%s", std::string(160, 'y').c_str());
  ASSERT_EQ(DebugLines().size(), 2u);
  EXPECT_EQ(DebugLines()[0], line.substr(0, 160));
  EXPECT_EQ(DebugLines()[1], std::string(160, 'y'));
  // The formatter writes at most 1024 bytes before the cut: a huge argument is safe.
  LogDebug("%s tail", std::string(5000, 'z').c_str());
  EXPECT_EQ(DebugLines()[2], std::string(160, 'z'));
}

TEST_F(DebugLogTest, SixHundredAppendsKeepTheNewestFiveHundredWithTheNewestSelected) {
  ShowDebugWindow();
  for (int i = 0; i < 600; ++i) LogDebug("line %d", i);
  const fake::Control& list = fake::Find(state.debugWindow)->controls[IDC_DEBUG_LIST];
  ASSERT_EQ(list.lines.size(), 500u);
  EXPECT_EQ(list.lines.front(), "line 100");
  EXPECT_EQ(list.lines.back(), "line 599");
  EXPECT_EQ(list.selection, 499);
}

TEST_F(DebugLogTest, ExactlyFiveHundredLinesDropNothing) {
  ShowDebugWindow();
  for (int i = 0; i < 500; ++i) LogDebug("%d", i);
  EXPECT_EQ(DebugLines().size(), 500u);
  EXPECT_EQ(DebugLines().front(), "0");
  LogDebug("%d", 500);
  EXPECT_EQ(DebugLines().front(), "1");
}

TEST_F(DebugLogTest, ClearingEmptiesAnOpenWindowAndIsHarmlessWhenClosed) {
  ClearDebugLog();  // closed: nothing to clear, nothing fails
  ShowDebugWindow();
  LogDebug("a");
  LogDebug("b");
  ClearDebugLog();
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_EQ(fake::Find(state.debugWindow)->controls[IDC_DEBUG_LIST].selection, -1);
}

}  // namespace
