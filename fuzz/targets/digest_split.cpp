// MD5 and MD4 fed in pieces cut where the input says must equal one update
// over the whole; a DES block decrypts back under any key. The first byte
// seeds the cut points.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Require.h"
#include "net/core/NetDES.h"
#include "net/core/NetMD4.h"
#include "net/core/NetMD5.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  uint32_t seed = data[0] | 1u;
  ++data;
  --size;

  sv::net::MD5Context md5Whole, md5Pieces;
  sv::net::MD4Context md4Whole, md4Pieces;
  sv::net::MD5Init(md5Whole);
  sv::net::MD5Init(md5Pieces);
  sv::net::MD4Init(md4Whole);
  sv::net::MD4Init(md4Pieces);
  sv::net::MD5Update(md5Whole, data, size);
  sv::net::MD4Update(md4Whole, data, size);
  for (size_t at = 0; at < size;) {
    seed = seed * 1103515245u + 12345u;
    const size_t take = std::min<size_t>(size - at, (seed >> 16) % 130);
    sv::net::MD5Update(md5Pieces, data + at, take);
    sv::net::MD4Update(md4Pieces, data + at, take);
    at += take;
  }
  REQUIRE(sv::net::MD5Final(md5Whole) == sv::net::MD5Final(md5Pieces));
  REQUIRE(sv::net::MD4Final(md4Whole) == sv::net::MD4Final(md4Pieces));

  if (size >= 16) {
    uint8_t cipher[8], back[8];
    sv::net::DesEcbBlock(data + 8, cipher, data, true);
    sv::net::DesEcbBlock(cipher, back, data, false);
    REQUIRE(std::memcmp(back, data + 8, 8) == 0);
  }
  return 0;
}
