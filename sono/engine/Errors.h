#pragma once
// Error numbers of the audio library. The last one is kept per calling thread
// so that a failure on the GUI thread is not overwritten by engine threads.
namespace sono {

enum class Error : int {
  kOk = 0,
  kNotInitialised = 1,
  kAlreadyInitialised = 2,
  kBadHandle = 3,
  kFileOpen = 4,
  kFormat = 5,
  kBadParameter = 6,
  kBadDevice = 7,
  kDeviceFailed = 8,
  kPosition = 9,
  kNotAvailable = 10,
  kProtocol = 11,
  kNetwork = 12,
  kNotPlugin = 13,
  kBadEffect = 14,
  kUnknown = -1,
};

void SetLastError(Error error);
Error LastError();

// Sets the error and returns the given failure value, for one-line returns.
template <typename T>
T Fail(Error error, T value) {
  SetLastError(error);
  return value;
}

}  // namespace sono
