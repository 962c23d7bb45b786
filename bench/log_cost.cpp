// Benchmark: the cost of LogDebug with the debug window open, over 10,000 lines
// in blocks of 1,000, to show that a line costs the same whether the list is
// filling up or already at its 500-line cap. Lines come in bursts of 17, as a
// build traces them, and after each burst the thread handles its pending
// messages as the message loop would: the list's one paint per burst is timed
// apart from the lines. Runs under Wine (or Windows).

// The utility's WinMain and the Windows headers' declaration differ in their
// handle types; this program has its own main.
#define WinMain WindowsHeadersWinMain
#include <windows.h>
#undef WinMain

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBurst = 17;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the message loop does when a handler returns: every pending message,
// the private one and the paint it asks for included.
void HandlePendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  platform::Instance instance = nullptr;  // the program's own module
  platform::RegisterMainClass(instance, kClassName, MainWindowProc, 105, kMenuName);
  state.mainWindow = platform::CreateMainWindow(instance, kClassName, "log bench", kMainWindowStyle,
                                                0, 0, kMainWindowWidth, kMainWindowHeight);
  platform::ShowWindow(state.mainWindow, platform::kShowNormal);
  ShowDebugWindow();
  LogDebug("warm-up");  // the first line and paint load what every later one reuses
  HandlePendingMessages();
  ClearDebugLog();
  HandlePendingMessages();

  std::vector<double> lineUs, paintMs;
  int line = 0;
  for (int block = 0; block < 10; ++block) {
    double linesMs = 0, paintsMs = 0;
    int bursts = 0;
    for (int inBlock = 0; inBlock < 1000; inBlock += kBurst, ++bursts) {
      Clock::time_point start = Clock::now();
      for (int i = 0; i < kBurst && inBlock + i < 1000; ++i, ++line)
        LogDebug("C:\\proj\\menu.rc.log not available yet, %d of %d tries at %d ms intervals", line, 10, 100);
      linesMs += MsSince(start);
      start = Clock::now();
      HandlePendingMessages();
      paintsMs += MsSince(start);
    }
    lineUs.push_back(linesMs);  // ms per 1,000 lines = us per line
    paintMs.push_back(paintsMs / bursts);
  }

  std::printf("LogDebug, 10,000 lines with the debug window open (list capped at %d lines),\n"
              "in bursts of %d lines, each followed by the pending messages (one paint):\n",
              kLogLineCap, kBurst);
  for (int block = 0; block < 10; ++block)
    std::printf("  lines %5d-%5d: %7.1f us/line, %6.2f ms/paint\n", block * 1000, block * 1000 + 999,
                lineUs[block], paintMs[block]);
  std::vector<double> capped(lineUs.begin() + 1, lineUs.end());
  std::printf("list holds %d lines\n", platform::ListCount(state.debugWindow, IDC_DEBUG_LIST));
  // The first block fills the empty list; blocks from the second on run at the cap.
  std::printf("median per line: %.1f us (%.3f ms); first block / median of capped blocks: %.2f\n",
              Median(lineUs), Median(lineUs) / 1000, lineUs[0] / Median(capped));
  std::printf("median paint per burst: %.2f ms; per line with its share of the paint: %.1f us\n",
              Median(paintMs), Median(lineUs) + Median(paintMs) * 1000 / kBurst);
  return 0;
}
