// A thousand random commands against a list of short files: the player
// neither crashes nor hangs, and holds no more handles at the end.
#include "tests/player/app/PlayerTestSupport.h"

#include <psapi.h>

#include <random>
#include <thread>

namespace playertest {
namespace {

using Soak = PlayerProgram;
using namespace std::chrono_literals;

// Wine counts neither the handles nor the GDI objects of another process;
// the windows a process owns and its memory are what can be watched.
struct WindowSearch {
  DWORD process;
  int count;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
  ++reinterpret_cast<WindowSearch*>(data)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process) return TRUE;
  ++search->count;
  EnumChildWindows(window, CountChild, data);
  return TRUE;
}

int WindowCount(DWORD process) {
  WindowSearch search{process, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

std::size_t WorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

TEST_F(Soak, ThousandRandomCommands) {
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=1\r\n",
          "#EXTM3U\r\na.wav\r\nb.wav\r\nzero.wav\r\ngone.wav\r\nc.wav\r\nlong.wav\r\n");
  for (const char* name : {"a.wav", "b.wav", "zero.wav", "c.wav", "long.wav"}) Place(name);
  Start();
  std::mt19937 random(20261209);
  const std::vector<std::string> clicks{"SpdBtnNext", "SpdBtnPrev", "SpdBtnPlay", "ProgressBar1", "ProgressBar2",
                                        "LabelTemps"};
  int windowsAfterWarmUp = 0;
  std::size_t memoryAfterWarmUp = 0;
  for (int i = 0; i < 1000; ++i) {
    const int pick = static_cast<int>(random() % 100);
    if (pick < 2) {
      static const char* kSwitches[] = {"/next", "/prev", "/play"};
      EXPECT_EQ(Second({kSwitches[random() % 3]}), 0u);
    } else if (pick < 4) {
      auto reply = client.Request(appWindow, {"drop", "Form1", "", PathOf("a.wav"), PathOf("c.wav")});
      EXPECT_TRUE(reply && reply->ok);
    } else {
      // Disabled buttons refuse the click: that is one of the states too.
      client.Request(appWindow, {"click", "Form1", clicks[random() % clicks.size()]});
    }
    if (random() % 4 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
    if (i % 100 == 99) {
      ASSERT_TRUE(player->Running()) << "after " << i + 1 << " commands";
      ASSERT_EQ(Value("Started"), "1") << "no answer after " << i + 1 << " commands";
      if (i == 199) {
        windowsAfterWarmUp = WindowCount(player->Id());
        memoryAfterWarmUp = WorkingSet(player->Handle());
      }
    }
  }
  // Entries grow with the drops; the lists stay parallel.
  auto state = State();
  EXPECT_EQ(state["Entries"], Value("Count", "ListBox1"));
  EXPECT_EQ(WindowCount(player->Id()), windowsAfterWarmUp);
  const std::size_t memoryAtEnd = WorkingSet(player->Handle());
  // Drops add a few hundred short entries; anything like a leak per
  // command would be far more.
  EXPECT_LT(memoryAtEnd, memoryAfterWarmUp + 8 * 1024 * 1024);
  std::printf("windows %d; working set %zu KB after 200 commands, %zu KB after 1000\n", windowsAfterWarmUp,
              memoryAfterWarmUp / 1024, memoryAtEnd / 1024);
  Quit();
}

}  // namespace
}  // namespace playertest
