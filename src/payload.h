#ifndef QK_PAYLOAD_H
#define QK_PAYLOAD_H

#include <windows.h>

/* 0 when nothing was expanded; otherwise LZCopy's result: the expanded size, or a negative code. */
int ExtractPayload(const char *target, int resourceId);
void MakeTempFileName(char *name, const char *prefix, UINT unique);
LONG ExpandCompressedFile(const char *target, const char *source);

#endif
