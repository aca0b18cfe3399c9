#include "sono/core/OggLinks.h"

#include <ogg/ogg.h>

#include <cstring>

namespace sono {
namespace {

constexpr long kChunk = 65536;

struct SyncState {
  SyncState() { ogg_sync_init(&state); }
  ~SyncState() { ogg_sync_clear(&state); }
  SyncState(const SyncState&) = delete;
  SyncState& operator=(const SyncState&) = delete;
  ogg_sync_state state{};
};

bool StartsVorbis(const ogg_page& page) {
  return ogg_page_bos(&page) && page.body_len >= 7 && std::memcmp(page.body, "\x01vorbis", 7) == 0;
}

}  // namespace

std::vector<ByteRange> FindVorbisLinks(ByteSource& source) {
  std::vector<ByteRange> links;
  if (!source.Seek(0)) return links;
  SyncState sync;
  int64_t offset = 0;       // where the page the sync looks at starts
  int64_t groupStart = -1;  // the first opening page of the current group
  bool groupTaken = false;
  for (;;) {
    ogg_page page;
    const long step = ogg_sync_pageseek(&sync.state, &page);
    if (step < 0) {  // bytes that are no page, or one whose checksum fails
      offset -= step;
      continue;
    }
    if (step == 0) {
      char* buffer = ogg_sync_buffer(&sync.state, kChunk);
      const size_t got = buffer ? source.Read(buffer, kChunk) : 0;
      if (got == 0 || ogg_sync_wrote(&sync.state, static_cast<long>(got)) != 0) break;
      continue;
    }
    if (!ogg_page_bos(&page)) {
      groupStart = -1;
    } else if (groupStart < 0) {
      groupStart = offset;
      groupTaken = false;
    }
    if (StartsVorbis(page) && !groupTaken) {
      groupTaken = true;
      if (!links.empty()) links.back().end = groupStart;
      links.push_back({links.empty() ? 0 : groupStart, 0});
    }
    offset += step;
  }
  if (!links.empty()) links.back().end = source.Size() >= 0 ? source.Size() : offset;
  return links;
}

}  // namespace sono
