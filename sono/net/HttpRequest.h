#pragma once
// The HTTP/1.0 GET a radio stream opens with: ICY metadata asked for, and
// through a proxy the absolute address plus the proxy's Basic credentials.
#include <string>

#include "sono/net/ProxySetting.h"
#include "sono/net/Url.h"

namespace sono::net {

std::string BuildStreamRequest(const HttpUrl& target, const ProxySetting* proxy);

}  // namespace sono::net
