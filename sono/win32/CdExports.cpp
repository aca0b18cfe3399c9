// sonocd.dll: drive letters and CD database query texts for the player, and
// the plug-in that plays CD track files by reading the disc's sectors.
#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>
#include <string>

#include "sono/cd/CdTrack.h"
#include "sono/cd/platform/Toc.h"
#include "sono/include/sono_plugin.h"
#include "sono/include/sonocd.h"

namespace {

// The query text handed out last; the player copies it before calling again.
std::mutex queryMutex;
std::string lastQuery;

constexpr DWORD kTrackChannels = 2;
constexpr DWORD kTrackRate = 44100;
constexpr unsigned kTrackFrameBytes = 4;

// A track's raw sectors are already 44.1 kHz 16-bit stereo PCM.
struct TrackState {
  std::unique_ptr<sono::ByteSource> source;
};

size_t WINAPI ReadTrack(void* state, short* out, size_t maxFrames) {
  try {
    auto* track = static_cast<TrackState*>(state);
    const size_t bytes = track->source->Read(out, maxFrames * kTrackFrameBytes);
    return bytes / kTrackFrameBytes;
  } catch (...) {
    return 0;
  }
}

BOOL WINAPI SeekTrack(void* state, unsigned long long frame) {
  try {
    return static_cast<TrackState*>(state)->source->Seek(static_cast<int64_t>(frame * kTrackFrameBytes));
  } catch (...) {
    return FALSE;
  }
}

void WINAPI CloseTrack(void* state) { std::unique_ptr<TrackState> owned(static_cast<TrackState*>(state)); }

BOOL WINAPI OpenTrack(const char* file, SONO_PLUGIN_STREAM* stream) {
  try {
    if (!file || !stream) return FALSE;
    const std::string path = file;
    const auto number = sono::cd::TrackNumberFromPath(path);
    if (!number || path.size() < 2 || path[1] != ':') return FALSE;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (letter < 'A' || letter > 'Z') return FALSE;
    auto source = sono::cd::OpenCdTrack(letter - 'A', *number);
    if (!source) return FALSE;
    const long long frames = source->Size() / kTrackFrameBytes;
    auto state = std::make_unique<TrackState>(TrackState{std::move(source)});
    // Ownership passes to sono.dll, which hands it back through close.
    *stream = {state.release(), kTrackRate, kTrackChannels, frames, ReadTrack, SeekTrack, CloseTrack};
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

const SONO_PLUGINFORM kFormats[] = {{1, "CD audio tracks", "*.cda"}};
const SONO_PLUGIN_TABLE kTable = {SONO_PLUGIN_INTERFACE, {0x0100, 1, kFormats}, OpenTrack};

}  // namespace

extern "C" {

__declspec(dllexport) const SONO_PLUGIN_TABLE* __cdecl SonoPluginEntry(void) { return &kTable; }

int WINAPI SONO_CD_GetDriveLetter(DWORD drive) {
  try {
    const auto letters = sono::cd::CdDriveLetters();
    return drive < letters.size() ? letters[drive] : -1;
  } catch (...) {
    return -1;
  }
}

const char* WINAPI SONO_CD_GetID(DWORD drive, DWORD id) {
  try {
    if (id != SONO_CDID_CDDB) return nullptr;
    const auto letters = sono::cd::CdDriveLetters();
    if (drive >= letters.size()) return nullptr;
    const auto toc = sono::cd::ReadToc(letters[drive]);
    if (!toc) return nullptr;
    auto text = sono::cd::QueryText(*toc);
    if (!text) return nullptr;
    std::lock_guard lock(queryMutex);
    lastQuery = std::move(*text);
    return lastQuery.c_str();
  } catch (...) {
    return nullptr;
  }
}

}  // extern "C"
