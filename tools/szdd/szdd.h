// SZDD (mode A) compression, the format of Microsoft's COMPRESS that the LZ Expand library reads.
#ifndef QK_SZDD_H
#define QK_SZDD_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

enum class Parse { Optimal, Greedy };

// The whole file: the 14-byte header with the exact length, then the compressed items.
std::vector<uint8_t> Encode(const uint8_t *data, size_t size, Parse parse = Parse::Optimal);

// Every byte the items describe, as the system's decoders produce them; false if the header is
// not an SZDD mode A header or an item is cut short.
bool Decode(const uint8_t *file, size_t size, std::vector<uint8_t> *out);

}  // namespace szdd

#endif
