#pragma once
// DES (FIPS 46-3), one 64-bit block in ECB mode: NTLM builds its LM hash and
// its responses from it. Bit 1 is the most significant bit of byte 0; the
// lowest bit of every key byte is parity and is ignored.
#include <cstdint>

namespace sv::net {

void DesEcbBlock(const uint8_t in[8], uint8_t out[8], const uint8_t key[8], bool encrypt);

}  // namespace sv::net
