#include "sono/engine/Errors.h"

namespace sono {

namespace {
thread_local Error lastError = Error::kOk;
}

void SetLastError(Error error) { lastError = error; }

Error LastError() { return lastError; }

}  // namespace sono
