// Plays for the real-output check (real_output.sh): on the system's default
// output, a 1 kHz tone as it is, half a second of nothing, then the same tone
// with +12 dB on an equalizer band at 1 kHz. Exits 0 when both ended.
// With "volume" after the file, it checks instead that the level the library
// reports is the output's own, read back from it.
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "sono/include/sono.h"

namespace {

void CALLBACK CountEnd(HSONOSYNC, DWORD, const char*, void* user) { ++*static_cast<std::atomic<int>*>(user); }

bool PlayToTheEnd(const char* file, float gain) {
  const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, file, 0, 0, 0);
  if (channel == 0) return false;
  if (gain != 0) {
    const HSONOFX fx = SONO_ChannelSetFX(channel, SONO_FX_PARAMEQ, 1);
    const SONO_PARAMEQ band{1000.0f, 11.4f, gain};
    if (fx == 0 || !SONO_FXSetParameters(fx, &band)) return false;
  }
  std::atomic<int> ends{0};
  SONO_ChannelSetSync(channel, SONO_SYNC_END, 0, CountEnd, &ends);
  if (!SONO_ChannelPlay(channel, FALSE)) return false;
  for (int waited = 0; ends == 0 && waited < 60000; waited += 10) Sleep(10);
  SONO_StreamFree(channel);
  return ends == 1;
}

int CheckVolume(const char* file) {
  // Nothing asked yet: the system's level, which the library leaves alone.
  if (SONO_GetVolume() != 100) return 10;
  const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, file, 0, 0, 0);
  if (channel == 0 || !SONO_ChannelPlay(channel, FALSE)) return 11;
  if (SONO_GetVolume() != 100) return 12;
  if (!SONO_SetVolume(37)) return 13;
  // The output takes the level with the next block it is given.
  for (int waited = 0; SONO_GetVolume() != 37; waited += 10) {
    if (waited > 60000) return 14;
    Sleep(10);
  }
  SONO_StreamFree(channel);
  // With no output open the level last asked for is what the next one gets.
  return SONO_GetVolume() == 37 ? 0 : 15;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[2], "volume") == 0) {
    if (waveOutGetNumDevs() == 0 || !SONO_Init(-1, 44100, 0, nullptr, nullptr)) return 3;
    return CheckVolume(argv[1]);
  }
  if (argc != 2) return 2;
  if (waveOutGetNumDevs() == 0) {
    std::fprintf(stderr, "no system output device\n");
    return 3;
  }
  if (!SONO_Init(-1, 44100, 0, nullptr, nullptr)) return 4;
  if (!PlayToTheEnd(argv[1], 0)) return 5;
  Sleep(500);
  if (!PlayToTheEnd(argv[1], 12.0f)) return 6;
  return 0;
}
