// libFuzzer target: every input must come back unchanged through our encoder and decoder, and
// the optimal parse must never be larger than the greedy one.
#include <cstdlib>

#include "szdd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> optimal = szdd::Encode(data, size), greedy = szdd::Encode(data, size, szdd::Parse::Greedy);
    std::vector<uint8_t> decoded;
    if (!szdd::Decode(optimal.data(), optimal.size(), &decoded) || decoded != std::vector<uint8_t>(data, data + size))
        abort();
    if (optimal.size() > greedy.size())
        abort();
    return 0;
}
