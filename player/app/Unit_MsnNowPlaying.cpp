// The messenger's now-playing display: the text goes to every top-level
// window of the messenger's class, one after the other. A receiver that
// hangs is given up after a second, so the player never waits for good.
#include <windows.h>

#include "player/MsnNowPlaying.h"
#include "player/app/Unit1.h"

namespace player {

namespace {

constexpr UINT kReceiverTimeoutMs = 1000;

}  // namespace

void SendMsnNowPlaying(const std::string& artist, const std::string& album, const std::string& title, int state) {
  MsnBuffer buffer = MsnNowPlayingBuffer(artist, album, title, state);
  COPYDATASTRUCT data{};
  data.dwData = kMsnCopyDataId;
  data.cbData = static_cast<DWORD>(buffer.size());
  data.lpData = buffer.data();
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"MsnMsgrUIManager", nullptr)) != nullptr) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                        kReceiverTimeoutMs, &result);
  }
}

}  // namespace player
