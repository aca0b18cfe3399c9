#pragma once
// An "mms://" station opened up to its first audio: the connection, then
// the ASF header read by the demuxer, within one budget of time and bytes
// (the options' budget, or a default one) that is lifted once it opened.
#include <memory>
#include <string>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/mms/MmsSource.h"

namespace sono::mms {

struct MmsStation {
  std::unique_ptr<Decoder> decoder;  // null on failure
  std::vector<std::string> headers;  // see MmsSource::HeaderLines
  std::string title;                 // from the ASF header, may be empty
  // Without a decoder: why the network failed, or None when the stream
  // arrived but its content is not one the decoder plays.
  NetError error = NetError::None;
};

// Blocks; the options' cancel flag ends it from another thread.
MmsStation OpenMmsStation(const std::string& url, MmsOptions options);

}  // namespace sono::mms
