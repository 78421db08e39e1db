/*
 * Runs the installer's directory-path creation inside Wine and records every existence test
 * and creation attempt it makes, in order, with its outcome:
 *
 *     dirpath_probe.exe RESULT-FILE WORKING-FOLDER PATH FILE-FLAG RECURSE-FLAG
 *
 * dirpath.cpp is compiled for this probe with its two file-system calls renamed to the
 * recording versions below (see tests/CMakeLists.txt).
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "dirpath.h"

static FILE *Out;

extern "C" DWORD WINAPI ProbeGetFileAttributesA(LPCSTR path)
{
    DWORD attributes = GetFileAttributesA(path);
    DWORD error = GetLastError();
    fprintf(Out, "test %s %lu\n", path, attributes == INVALID_FILE_ATTRIBUTES ? error : 0ul);
    SetLastError(error);
    return attributes;
}

extern "C" BOOL WINAPI ProbeCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security)
{
    BOOL created = CreateDirectoryA(path, security);
    DWORD error = GetLastError();
    fprintf(Out, "create %s %lu\n", path, created ? 0ul : error);
    SetLastError(error);
    return created;
}

/* dirpath.cpp calls them through import pointers, as it would the system's own. */
extern "C" void *ImportedGetFileAttributes __asm__("__imp__ProbeGetFileAttributesA@4");
extern "C" void *ImportedCreateDirectory __asm__("__imp__ProbeCreateDirectoryA@8");
void *ImportedGetFileAttributes = (void *)ProbeGetFileAttributesA;
void *ImportedCreateDirectory = (void *)ProbeCreateDirectoryA;

int main(int argc, char **argv)
{
    if (argc != 6 || !(Out = fopen(argv[1], "w")))
        return 2;
    SetCurrentDirectoryA(argv[2]);
    BOOL result = CreateDirectoryPath(argv[3], atoi(argv[4]), atoi(argv[5]));
    fprintf(Out, "result %d\n", result ? 1 : 0);
    fclose(Out);
    return 0;
}
