#pragma once
// Internet radio for SONO_StreamCreateURL: the network source, its headers
// and metadata for the engine, and the decoder its content type calls for.
#include <memory>
#include <string>

#include "sono/core/Decoder.h"
#include "sono/engine/Errors.h"
#include "sono/engine/StreamMetadata.h"
#include "sono/net/UrlSource.h"

namespace sono::win32 {

struct RadioStream {
  std::unique_ptr<Decoder> decoder;  // null on failure
  std::shared_ptr<StreamMetadata> metadata;
  Error error = Error::kOk;
};

// Connects and reads the start of the stream; each wait is bounded by the
// network time-outs and the whole open by a deadline; SONO_StreamCancelURL
// ends it. proxy is "user:pass@host:port" or empty.
RadioStream OpenRadioStream(const std::string& url, const std::string& proxy);

// The library's error for a network failure of either kind of radio.
Error NetworkError(net::NetError error);

}  // namespace sono::win32
