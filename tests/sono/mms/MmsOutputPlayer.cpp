// Plays the loopback "mms://" station (its port in MMS_PEER_PLAY) on the
// system's default output until its END, for the recorded-output check.
// Exits 0 when the stream played to its end.
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sono/include/sono.h"

namespace {

void CALLBACK CountEnd(HSONOSYNC, DWORD, const char*, void* user) { ++*static_cast<std::atomic<int>*>(user); }

}  // namespace

int main() {
  const char* port = std::getenv("MMS_PEER_PLAY");
  if (!port) return 2;
  if (waveOutGetNumDevs() == 0) {
    std::fprintf(stderr, "no system output device\n");
    return 3;
  }
  if (!SONO_Init(-1, 44100, 0, nullptr, nullptr)) return 4;
  const std::string url = "mms://127.0.0.1:" + std::string(port) + "/radio/tone.asf";
  const HSONOCHANNEL channel = SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  if (channel == 0) {
    std::fprintf(stderr, "stream refused: error %d\n", SONO_ErrorGetCode());
    return 5;
  }
  std::atomic<int> ends{0};
  SONO_ChannelSetSync(channel, SONO_SYNC_END, 0, CountEnd, &ends);
  if (!SONO_ChannelPlay(channel, FALSE)) return 6;
  for (int waited = 0; ends == 0 && waited < 30000; waited += 10) Sleep(10);
  SONO_StreamFree(channel);
  // Lets the device play out what it still holds.
  Sleep(300);
  return ends == 1 ? 0 : 7;
}
