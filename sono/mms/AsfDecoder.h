#pragma once
// ASF audio (the WMA family) read from a byte source that need not seek, as
// an "mms://" stream delivers it: the container's header first, then its
// data packets, demuxed and decoded to the engine's 16-bit PCM.
#include <memory>
#include <string>

#include "sono/core/Decoder.h"

namespace sono::mms {

struct AsfOpenResult {
  std::unique_ptr<Decoder> decoder;  // null when the header or codec is unusable
  std::string title;                 // from the header's description, may be empty
};

AsfOpenResult OpenAsfDecoder(std::unique_ptr<ByteSource> source);

}  // namespace sono::mms
