#include "sono/core/OggLinks.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cstring>

namespace sono {
namespace {

constexpr long kChunk = 65536;
constexpr long kProbeChunk = 8192;
// A page starts within this of any place: the largest page there is.
constexpr int64_t kReach = 27 + 255 + 255 * 255;
constexpr int kProbes = 8;

struct SyncState {
  SyncState() { ogg_sync_init(&state); }
  ~SyncState() { ogg_sync_clear(&state); }
  SyncState(const SyncState&) = delete;
  SyncState& operator=(const SyncState&) = delete;
  ogg_sync_state state{};
};

// Calls onPage (offset, page) for every page whose checksum holds that
// starts before from + reach, until it returns false or the source ends.
template <typename OnPage>
void ScanPages(ByteSource& source, int64_t from, int64_t reach, long chunk, OnPage onPage) {
  if (!source.Seek(from)) return;
  SyncState sync;
  for (int64_t offset = from; offset - from < reach;) {
    ogg_page page;
    const long step = ogg_sync_pageseek(&sync.state, &page);
    if (step < 0) {  // bytes that are no page, or one whose checksum fails
      offset -= step;
    } else if (step > 0) {
      if (!onPage(offset, page)) return;
      offset += step;
    } else {
      char* buffer = ogg_sync_buffer(&sync.state, chunk);
      const size_t got = buffer ? source.Read(buffer, static_cast<size_t>(chunk)) : 0;
      if (got == 0 || ogg_sync_wrote(&sync.state, static_cast<long>(got)) != 0) return;
    }
  }
}

bool StartsVorbis(const ogg_page& page) {
  return ogg_page_bos(&page) && page.body_len >= 7 && std::memcmp(page.body, "\x01vorbis", 7) == 0;
}

struct PageMark {
  int64_t offset;
  long serial;
  long sequence;
  ogg_int64_t granule;
  bool opens;
};

PageMark MarkOf(int64_t offset, const ogg_page& page) {
  return {offset, ogg_page_serialno(&page), ogg_page_pageno(&page), ogg_page_granulepos(&page),
          ogg_page_bos(&page) != 0};
}

}  // namespace

std::vector<ByteRange> FindVorbisLinks(ByteSource& source) {
  std::vector<ByteRange> links;
  int64_t groupStart = -1;  // the first opening page of the current group
  bool groupTaken = false;
  ScanPages(source, 0, INT64_MAX, kChunk, [&](int64_t offset, const ogg_page& page) {
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
    return true;
  });
  if (!links.empty()) links.back().end = source.Size();
  return links;
}

bool LinksHoldUp(ByteSource& source, const std::vector<ByteRange>& links) {
  const int64_t size = source.Size();
  std::vector<PageMark> marks;
  for (int k = 1; k < kProbes; ++k) {
    ScanPages(source, size / kProbes * k, kReach, kProbeChunk, [&](int64_t offset, const ogg_page& page) {
      marks.push_back(MarkOf(offset, page));
      return false;
    });
  }
  PageMark last{};
  bool found = false;
  ScanPages(source, std::max<int64_t>(0, size - kReach), kReach, kChunk, [&](int64_t offset, const ogg_page& page) {
    last = MarkOf(offset, page);
    found = true;
    return true;
  });
  if (found) marks.push_back(last);

  for (size_t i = 1; i < marks.size(); ++i) {
    const PageMark& page = marks[i];
    auto link = [&](const PageMark& m) {
      return std::find_if(links.begin(), links.end(), [&](const ByteRange& r) { return m.offset < r.end; });
    };
    for (size_t j = i; j-- > 0;) {
      const PageMark& before = marks[j];
      if (link(before) != link(page)) break;
      if (before.serial != page.serial || before.offset == page.offset) continue;
      const bool granulesBack = before.granule >= 0 && page.granule >= 0 && page.granule < before.granule;
      if ((page.opens && !before.opens) || page.sequence <= before.sequence || granulesBack) return false;
      break;
    }
  }
  return true;
}

}  // namespace sono
