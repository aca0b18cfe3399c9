// A plug-in for the tests ("sonotest.dll"): plays any "*.foo" or "*.bar"
// path as half a second of a quiet 8 kHz mono tone, without reading it.
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

#include "sono/include/sono_plugin.h"

namespace {

constexpr long long kFrames = 4000;

struct ToneState {
  long long frame = 0;
};

bool EndsWith(const char* text, const char* suffix) {
  const size_t length = std::strlen(text);
  const size_t tail = std::strlen(suffix);
  return length >= tail && std::strcmp(text + length - tail, suffix) == 0;
}

size_t WINAPI ReadTone(void* state, short* out, size_t maxFrames) {
  auto* tone = static_cast<ToneState*>(state);
  size_t written = 0;
  while (written < maxFrames && tone->frame < kFrames) {
    out[written++] = static_cast<short>(1000 * std::sin(2 * std::numbers::pi * 400 * tone->frame / 8000.0));
    ++tone->frame;
  }
  return written;
}

BOOL WINAPI SeekTone(void* state, unsigned long long frame) {
  if (frame > static_cast<unsigned long long>(kFrames)) return FALSE;
  static_cast<ToneState*>(state)->frame = static_cast<long long>(frame);
  return TRUE;
}

void WINAPI CloseTone(void* state) { std::unique_ptr<ToneState> owned(static_cast<ToneState*>(state)); }

BOOL WINAPI OpenTone(const char* file, SONO_PLUGIN_STREAM* stream) {
  if (!EndsWith(file, ".foo") && !EndsWith(file, ".bar")) return FALSE;
  // Ownership passes to the engine, which hands it back through close.
  *stream = {std::make_unique<ToneState>().release(), 8000, 1, kFrames, ReadTone, SeekTone, CloseTone};
  return TRUE;
}

const SONO_PLUGINFORM kFormats[] = {{1, "Test tones", "*.foo;*.bar"}};
const SONO_PLUGIN_TABLE kTable = {SONO_PLUGIN_INTERFACE, {0x0100, 1, kFormats}, OpenTone};

}  // namespace

extern "C" __declspec(dllexport) const SONO_PLUGIN_TABLE* __cdecl SonoPluginEntry(void) { return &kTable; }
