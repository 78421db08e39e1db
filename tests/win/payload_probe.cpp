/*
 * Runs the installer's payload extraction inside Wine against resources of its own (see
 * payload_probe.rc) and writes ExtractPayload's result to a file:
 *
 *     payload_probe.exe RESULT-FILE TARGET RESOURCE-ID [--tmp=FOLDER] [--hold]
 *     payload_probe.exe RESULT-FILE --expand SOURCE TARGET [SOURCE TARGET ...]
 *
 * The second form runs the expansion alone on each pair of files, one result per line.
 * --tmp sets the temporary folder first, to show what happens when it is unusable; --hold keeps
 * the target open without sharing during the extraction, as a running program would.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "payload.h"

static int ExpandAll(FILE *out, int count, char **pairs)
{
    for (int i = 0; i + 1 < count; i += 2)
        fprintf(out, "%ld\n", (long)ExpandCompressedFile(pairs[i + 1], pairs[i]));
    fclose(out);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc >= 3 && !strcmp(argv[2], "--expand")) {
        FILE *out = fopen(argv[1], "w");
        return out ? ExpandAll(out, argc - 3, argv + 3) : 2;
    }
    if (argc < 4)
        return 2;
    HANDLE held = INVALID_HANDLE_VALUE;
    for (int i = 4; i < argc; i++) {
        if (!strncmp(argv[i], "--tmp=", 6)) {
            SetEnvironmentVariableA("TMP", argv[i] + 6);
            SetEnvironmentVariableA("TEMP", argv[i] + 6);
        } else if (!strcmp(argv[i], "--hold")) {
            held = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
            if (held == INVALID_HANDLE_VALUE)
                return 3;
        }
    }
    int result = ExtractPayload(argv[2], atoi(argv[3]));
    FILE *out = fopen(argv[1], "w");
    if (!out)
        return 2;
    fprintf(out, "%d\n", result);
    fclose(out);
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    return 0;
}
