// szdd [--greedy] INPUT OUTPUT: compresses INPUT into an SZDD file (mode A). Optimal by default;
// --greedy takes the longest match at every step, for comparison.
#include <cstdio>
#include <cstring>
#include <vector>

#include "szdd.h"

static bool ReadFile(const char *path, std::vector<uint8_t> *data)
{
    FILE *in = fopen(path, "rb");
    if (!in)
        return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), in)) > 0)
        data->insert(data->end(), buffer, buffer + n);
    bool ok = !ferror(in);
    fclose(in);
    return ok;
}

int main(int argc, char **argv)
{
    bool greedy = argc == 4 && strcmp(argv[1], "--greedy") == 0;
    if (argc != 3 && !greedy) {
        fprintf(stderr, "usage: szdd [--greedy] INPUT OUTPUT\n");
        return 2;
    }
    const char *input = argv[argc - 2], *output = argv[argc - 1];
    std::vector<uint8_t> data;
    if (!ReadFile(input, &data)) {
        perror(input);
        return 1;
    }
    std::vector<uint8_t> file = szdd::Encode(data.data(), data.size(), greedy ? szdd::Parse::Greedy : szdd::Parse::Optimal);
    FILE *out = fopen(output, "wb");
    if (!out || fwrite(file.data(), 1, file.size(), out) != file.size() || fclose(out) != 0) {
        perror(output);
        return 1;
    }
    return 0;
}
