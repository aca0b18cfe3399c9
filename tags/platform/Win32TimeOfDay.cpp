// The time of day in the user's format, for the MPEG information text.
#include <windows.h>

#include <string>

#include "base/Utf.h"
#include "tags/InfoMPEG.h"

namespace sv::tags {

std::string SystemTimeOfDay(int hours, int minutes, int seconds) {
  SYSTEMTIME t{};
  t.wYear = 2000;
  t.wMonth = 1;
  t.wDay = 1;
  t.wHour = static_cast<WORD>(hours);
  t.wMinute = static_cast<WORD>(minutes);
  t.wSecond = static_cast<WORD>(seconds);
  wchar_t buf[64];
  const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, buf, 64);
  if (n <= 1) return PlainTimeOfDay(hours, minutes, seconds);
  return Utf16ToUtf8(std::u16string(buf, buf + n - 1));
}

}  // namespace sv::tags
