/*
 * Makes sure a directory exists, creating missing directories above it on request. The
 * directories are created top-down: the calls climb the path to the first level that exists or
 * can be made, and each level makes its own directory on the way back.
 */
#include <windows.h>
#include <string.h>

#include "dirpath.h"

/* Separators at these positions would leave a parent like "C:" or "ab": the climb stops there. */
static const ptrdiff_t ShortestParentLength = 3;

const char *FindLastPathSeparator(const char *path)
{
    const char *backslash = strrchr(path, '\\');
    const char *slash = strrchr(path, '/');

    if (!backslash)
        return slash;
    if (!slash)
        return backslash;
    return backslash > slash ? backslash : slash;
}

/* Exactly the errors the C runtime turns into ENOENT: a missing file, directory, drive or share. */
static BOOL IsNotFoundError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NO_MORE_FILES:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return TRUE;
    }
    return FALSE;
}

enum DirectoryOutcome { DirectoryPresent, DirectoryFailed, DirectoryParentMissing };

/* One existence test and at most one creation attempt on the directory itself. */
static DirectoryOutcome EnsureDirectory(const char *path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return DirectoryPresent;
    if (!IsNotFoundError(GetLastError()))
        return DirectoryFailed;
    if (CreateDirectoryA(path, NULL))
        return DirectoryPresent;
    return IsNotFoundError(GetLastError()) ? DirectoryParentMissing : DirectoryFailed;
}

BOOL CreateDirectoryPath(const char *path, BOOL isFile, BOOL recurse)
{
    char parent[MAX_PATH];
    const char *separator;

    /* A path that cannot be copied whole is refused rather than cut. */
    if (strlen(path) >= MAX_PATH)
        return FALSE;

    if (!isFile) {
        DirectoryOutcome outcome = EnsureDirectory(path);
        if (outcome != DirectoryParentMissing)
            return outcome == DirectoryPresent;
    }
    if (!recurse)
        return FALSE;

    strncpy(parent, path, MAX_PATH);
    separator = FindLastPathSeparator(parent);
    if (!separator || separator - parent < ShortestParentLength)
        return isFile;
    parent[separator - parent] = '\0';
    CreateDirectoryPath(parent, FALSE, TRUE);

    if (isFile)
        return TRUE;
    return CreateDirectoryPath(path, FALSE, FALSE);
}
