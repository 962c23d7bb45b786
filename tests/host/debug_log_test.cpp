// The trace window: its line cut, its cap, that nothing is kept while it is
// closed, and that a burst of lines paints the list once.
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

// A burst is everything traced before the thread waits for messages again.
// Steps: 'O' open the window, 'C' close it, 'L' one line, 'X' clear the list,
// 'W' the thread waits (the main loop), 'M' a message box, 'F' the queue
// refuses private messages from now on.
struct BurstCase {
  const char* name;
  std::string steps;
  std::vector<bool> switches;  // the newest window's painting switches, in order
  size_t pending;              // private messages still queued at the end
};

TEST_F(DebugLogTest, EachBurstSwitchesPaintingOffOnceAndOnAgainWhenTheThreadWaits) {
  const std::string many(600, 'L');
  const BurstCase cases[] = {
      {"one line", "OLW", {false, true}, 0},
      {"600 lines, past the cap", "O" + many + "W", {false, true}, 0},
      {"two bursts", "OLLLLLWLLLW", {false, true, false, true}, 0},
      {"until the thread waits nothing paints", "OLLLLL", {false}, 1},
      {"a message box's loop ends the burst", "OLLMLLW", {false, true, false, true}, 0},
      {"clearing belongs to the burst", "OLLXLW", {false, true}, 0},
      {"closed while off, reopened: the new list paints", "OLLCOLLLW", {false, true}, 0},
      {"closed while off, reopened empty: never switched", "OLLCOW", {}, 0},
      {"a refused message: each line paints as it goes", "OFLLL", {false, true, false, true, false, true}, 0},
  };
  for (const BurstCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    std::vector<bool> paintedAtBox;
    fake::world().onMessageBox = [&](const fake::MessageBoxCall&) {
      paintedAtBox.push_back(fake::Find(state.debugWindow)->controls[IDC_DEBUG_LIST].redraw);
    };
    int written = 0;
    std::vector<std::string> expected;
    for (char step : c.steps) {
      switch (step) {
        case 'O': ShowDebugWindow(); expected.clear(); break;
        case 'C': HideDebugWindow(); break;
        case 'L':
          LogDebug("line %d", written);
          expected.push_back("line " + std::to_string(written++));
          if (expected.size() > 500) expected.erase(expected.begin());
          break;
        case 'X': ClearDebugLog(); expected.clear(); break;
        case 'W': fake::DeliverPosted(); break;
        case 'M': platform::MessageBox(state.mainWindow, "failed", "Error"); break;
        case 'F': fake::world().postFails = true; break;
      }
    }
    const fake::Control& list = fake::Find(state.debugWindow)->controls[IDC_DEBUG_LIST];
    EXPECT_EQ(list.redrawSwitches, c.switches);
    EXPECT_EQ(list.redraw, c.switches.empty() || c.switches.back());
    EXPECT_EQ(fake::world().posted.size(), c.pending);
    // What anyone reads from the list is the same however it paints.
    EXPECT_EQ(list.lines, expected);
    EXPECT_EQ(list.selection, static_cast<int>(expected.size()) - 1);
    for (bool painted : paintedAtBox) EXPECT_TRUE(painted) << "the trace is visible behind the box";
    fake::world().onMessageBox = nullptr;
  }
}

}  // namespace
