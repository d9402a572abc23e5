#include "mszip_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

std::vector<TEncodedBlock> MszipEncode(const std::vector<uint8_t>& input, int level,
                                       int strategy) {
  std::vector<TEncodedBlock> blocks;
  for (size_t start = 0; start < input.size(); start += 32768) {
    size_t len = std::min<size_t>(32768, input.size() - start);
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, -15, 8, strategy) != Z_OK)
      throw std::runtime_error("deflateInit2");
    size_t dictLen = std::min<size_t>(start, 32768);
    if (dictLen &&
        deflateSetDictionary(&zs, input.data() + start - dictLen, (uInt)dictLen) != Z_OK)
      throw std::runtime_error("deflateSetDictionary");
    TEncodedBlock b;
    b.outLen = (unsigned)len;
    b.data.resize(2 + deflateBound(&zs, (uLong)len) + 16);
    b.data[0] = 'C';
    b.data[1] = 'K';
    zs.next_in = const_cast<Bytef*>(input.data() + start);
    zs.avail_in = (uInt)len;
    zs.next_out = b.data.data() + 2;
    zs.avail_out = (uInt)(b.data.size() - 2);
    if (deflate(&zs, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    b.data.resize(2 + zs.total_out);
    deflateEnd(&zs);
    blocks.push_back(b);
  }
  return blocks;
}
