/*
 * The screen saver travels inside the installer as one SZDD-compressed resource. It is written
 * to a temporary file as it is and expanded from there by the system's LZ Expand library, which
 * also copies a file without the SZDD header unchanged.
 */
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

#include "payload.h"

static const char PayloadType[] = "QKDATA";
static const char TempPrefix[] = "QK";

typedef INT(WINAPI *LZOpenFileAFn)(LPSTR, LPOFSTRUCT, WORD);
typedef LONG(WINAPI *LZCopyFn)(INT, INT);
typedef void(WINAPI *LZCloseFn)(INT);

struct LzExpandLibrary {
    LZOpenFileAFn OpenFile;
    LZCopyFn Copy;
    LZCloseFn Close;
};

/*
 * lz32.dll is not one of the system's known DLLs, so a plain import would be looked for first
 * in the installer's own folder, typically a downloads folder. Bind it by its full system path.
 */
static BOOL BindLzExpand(LzExpandLibrary *lz)
{
    static const char LibraryName[] = "\\lz32.dll";
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    HMODULE library;

    if (length == 0 || length + sizeof(LibraryName) > MAX_PATH)
        return FALSE;
    strcat(path, LibraryName);
    library = LoadLibraryA(path);
    if (!library)
        return FALSE;
    lz->OpenFile = (LZOpenFileAFn)(void *)GetProcAddress(library, "LZOpenFileA");
    lz->Copy = (LZCopyFn)(void *)GetProcAddress(library, "LZCopy");
    lz->Close = (LZCloseFn)(void *)GetProcAddress(library, "LZClose");
    return lz->OpenFile && lz->Copy && lz->Close;
}

/* Leaves the name empty when the temporary folder or a unique name in it cannot be had. */
void MakeTempFileName(char *name, const char *prefix, UINT unique)
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);

    name[0] = '\0';
    if (length == 0 || length >= MAX_PATH)
        return;
    if (GetTempFileNameA(folder, prefix, unique, name) == 0)
        name[0] = '\0';
}

/*
 * LZ Expand, when it cannot create a file, creates the name with its last character replaced
 * by an underscore instead (the name COMPRESS gives compressed files). For a target that a
 * running preview still holds, that would write the saver to a stray file and report success.
 * Such a handle is closed, its file removed, and the target counted as not opened.
 */
static INT RefuseSubstitutedTarget(LzExpandLibrary *lz, INT handle, const OFSTRUCT *record, const char *target)
{
    size_t recorded = strlen(record->szPathName);
    size_t length = strlen(target);
    char substitute[MAX_PATH];

    if (handle < 0 || recorded == 0 || length == 0 || length >= MAX_PATH)
        return handle;
    if (record->szPathName[recorded - 1] != '_' || target[length - 1] == '_')
        return handle;
    lz->Close(handle);
    strcpy(substitute, target);
    substitute[length - 1] = '_';
    DeleteFileA(substitute);
    return LZERROR_BADOUTHANDLE;
}

LONG ExpandCompressedFile(const char *target, const char *source)
{
    LzExpandLibrary lz;
    OFSTRUCT sourceRecord, targetRecord;
    INT sourceFile, targetFile;
    LONG result;

    if (!BindLzExpand(&lz))
        return LZERROR_BADINHANDLE;
    sourceFile = lz.OpenFile((LPSTR)source, &sourceRecord, OF_READ);
    targetFile = lz.OpenFile((LPSTR)target, &targetRecord, OF_CREATE);
    targetFile = RefuseSubstitutedTarget(&lz, targetFile, &targetRecord, target);
    result = lz.Copy(sourceFile, targetFile);
    lz.Close(sourceFile);
    lz.Close(targetFile);
    return result;
}

int ExtractPayload(const char *target, int resourceId)
{
    HRSRC resource;
    HGLOBAL loaded;
    DWORD size;
    const void *bytes;
    char tempName[MAX_PATH];
    FILE *stream;
    LONG result;

    resource = FindResourceA(NULL, MAKEINTRESOURCEA(LOWORD(resourceId)), PayloadType);
    if (!resource)
        return 0;
    size = SizeofResource(NULL, resource);
    loaded = LoadResource(NULL, resource);
    if (!loaded || size == 0)
        return 0;
    bytes = LockResource(loaded);
    if (!bytes)
        return 0;

    MakeTempFileName(tempName, TempPrefix, 0);
    if (tempName[0] == '\0')
        return 0;
    stream = fopen(tempName, "wb");
    if (!stream) {
        DeleteFileA(tempName);
        return 0;
    }
    fwrite(bytes, 1, size, stream);
    fclose(stream);

    result = ExpandCompressedFile(target, tempName);
    /* Nothing reads the compressed copy again; leaving it would add a file on every run. */
    DeleteFileA(tempName);
    return result;
}
