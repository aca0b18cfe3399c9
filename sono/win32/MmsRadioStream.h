#pragma once
// "mms://" radio for SONO_StreamCreateURL: the MMS source, its headers and
// the ASF title for the engine, and the WMA decoder.
#include <string>

#include "sono/win32/RadioStream.h"

namespace sono::win32 {

bool IsMmsRadioUrl(const std::string& url);

// Connects and reads the stream's ASF header, within the open's budget of
// time and bytes; SONO_StreamCancelURL ends it. proxy is
// "user:pass@host:port" or empty.
RadioStream OpenMmsRadioStream(const std::string& url, const std::string& proxy);

}  // namespace sono::win32
