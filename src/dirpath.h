#ifndef QK_DIRPATH_H
#define QK_DIRPATH_H

#include <windows.h>

const char *FindLastPathSeparator(const char *path);
BOOL CreateDirectoryPath(const char *path, BOOL isFile, BOOL recurse);

#endif
