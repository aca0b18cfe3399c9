// Native builds (tests and fuzzers) read and write "ANSI" text as
// Windows-1252, the code page of the files they are checked against.
#include "base/AnsiCodec.h"

namespace sv {

AnsiCodec SystemAnsiCodec() { return Cp1252Codec(); }

}  // namespace sv
