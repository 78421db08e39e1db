// An SZDD mode A encoder that chooses, by dynamic programming over the whole input, the sequence
// of literals and references with the fewest output bytes.
//
// Format: after the header, groups of one flag byte and up to eight items, flag bits taken from
// the least significant up; a set bit is a literal byte, a clear bit a two-byte reference of 3 to
// 18 bytes into a 4,096-byte ring that starts filled with spaces and is written from 4,080 on.
#include "szdd.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace szdd {
namespace {

const uint8_t Magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
const size_t HeaderSize = 14;
const int Window = 4096;
const int FirstWrite = Window - 16;
const int MinMatch = 3;
const int MaxMatch = 18;
// As far back as the common encoders reach, and never into the initial spaces: decoders that
// disagree about the ring's first contents or its last 16 slots still agree on these.
const size_t MaxDistance = 4079;

// The longest match (up to MaxMatch) for every position, and the distance it lies at.
void FindMatches(const uint8_t *data, size_t size, std::vector<uint8_t> *length, std::vector<uint16_t> *distance)
{
    const int HashBits = 14;
    std::vector<int32_t> head(1 << HashBits, -1), previous(size, -1);
    length->assign(size, 0);
    distance->assign(size, 0);
    auto hash = [&](size_t i) {
        return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & ((1 << HashBits) - 1);
    };
    for (size_t i = 0; i + MinMatch <= size; i++) {
        uint32_t h = hash(i);
        size_t limit = std::min<size_t>(MaxMatch, size - i);
        int best = 0;
        for (int32_t j = head[h]; j >= 0 && i - j <= MaxDistance; j = previous[j]) {
            // Only a candidate that also matches one byte further than the best so far can win.
            if (best >= MinMatch && data[j + best] != data[i + best])
                continue;
            int n = 0;
            while (n < (int)limit && data[j + n] == data[i + n])
                n++;
            if (n > best) {
                best = n;
                (*distance)[i] = (uint16_t)(i - j);
                if (n == (int)limit)
                    break;
            }
        }
        if (best >= MinMatch)
            (*length)[i] = (uint8_t)best;
        previous[i] = head[h];
        head[h] = (int32_t)i;
    }
}

struct Item {
    uint8_t length;  // 0 for a literal
    uint16_t distance;
};

// Exact minimum: the state is the position and how many items the current group already holds,
// since the item that opens a group also costs its flag byte. The first pass computes only the
// costs (the inner minimum runs over the eight states at once); the path is then read back by
// finding, at each step, the first choice that gives the cost found: a literal before any
// reference, shorter references before longer ones.
std::vector<Item> OptimalItems(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> longest;
    std::vector<uint16_t> distance;
    FindMatches(data, size, &longest, &distance);

    // cost[i * 8 + k]: fewest bytes for data[i..] when k items of the current group are used.
    std::vector<uint32_t> cost((size + MaxMatch + 1) * 8, 0);
    for (size_t i = size; i-- > 0;) {
        uint32_t reference[8];
        const uint32_t *after = &cost[(i + 1) * 8];
        for (int j = 0; j < 8; j++)
            reference[j] = UINT32_MAX - 8;
        for (int n = MinMatch; n <= longest[i]; n++) {
            const uint32_t *row = &cost[(i + n) * 8];
            for (int j = 0; j < 8; j++)
                reference[j] = std::min(reference[j], row[j]);
        }
        for (int k = 0; k < 8; k++) {
            uint32_t opening = k == 0 ? 1 : 0;
            int next = (k + 1) & 7;
            cost[i * 8 + k] = opening + std::min(1 + after[next], 2 + reference[next]);
        }
    }
    std::vector<Item> items;
    for (size_t i = 0, k = 0; i < size; k = (k + 1) & 7) {
        uint32_t target = cost[i * 8 + k] - (k == 0 ? 1 : 0);
        size_t next = (k + 1) & 7;
        uint8_t chosen = 0;
        if (1 + cost[(i + 1) * 8 + next] != target) {
            for (int n = MinMatch; n <= longest[i] && !chosen; n++)
                if (2 + cost[(i + n) * 8 + next] == target)
                    chosen = (uint8_t)n;
        }
        items.push_back({chosen, chosen ? distance[i] : (uint16_t)0});
        i += chosen ? chosen : 1;
    }
    return items;
}

std::vector<Item> GreedyItems(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> longest;
    std::vector<uint16_t> distance;
    FindMatches(data, size, &longest, &distance);
    std::vector<Item> items;
    for (size_t i = 0; i < size;) {
        uint8_t n = longest[i];
        items.push_back({n, n ? distance[i] : (uint16_t)0});
        i += n ? n : 1;
    }
    return items;
}

}  // namespace

std::vector<uint8_t> Encode(const uint8_t *data, size_t size, Parse parse)
{
    std::vector<uint8_t> out(Magic, Magic + 8);
    out.push_back('A');
    out.push_back(0);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back((uint8_t)((uint64_t)size >> shift));

    std::vector<Item> items = parse == Parse::Optimal ? OptimalItems(data, size) : GreedyItems(data, size);
    size_t flags = 0, position = 0;
    for (size_t n = 0; n < items.size(); n++) {
        if (n % 8 == 0) {
            flags = out.size();
            out.push_back(0);
        }
        const Item &item = items[n];
        if (!item.length) {
            out[flags] |= (uint8_t)(1 << (n % 8));
            out.push_back(data[position++]);
            continue;
        }
        unsigned slot = (unsigned)(FirstWrite + position - item.distance) & (Window - 1);
        out.push_back((uint8_t)slot);
        out.push_back((uint8_t)(((slot >> 4) & 0xF0) | (item.length - MinMatch)));
        position += item.length;
    }
    return out;
}

bool Decode(const uint8_t *file, size_t size, std::vector<uint8_t> *out)
{
    out->clear();
    if (size < HeaderSize || memcmp(file, Magic, 8) != 0 || file[8] != 'A')
        return false;
    uint8_t window[Window];
    memset(window, ' ', sizeof(window));
    unsigned position = FirstWrite;
    for (size_t i = HeaderSize; i < size;) {
        uint8_t flags = file[i++];
        for (int bit = 0; bit < 8 && i < size; bit++) {
            if (flags >> bit & 1) {
                out->push_back(window[position] = file[i++]);
                position = (position + 1) & (Window - 1);
                continue;
            }
            if (i + 1 >= size)
                return false;
            unsigned source = file[i] | (file[i + 1] & 0xF0) << 4;
            int length = (file[i + 1] & 0x0F) + MinMatch;
            i += 2;
            for (int k = 0; k < length; k++) {
                uint8_t byte = window[(source + k) & (Window - 1)];
                out->push_back(window[position] = byte);
                position = (position + 1) & (Window - 1);
            }
        }
    }
    return true;
}

}  // namespace szdd
