#ifndef QK_PREVIEW_H
#define QK_PREVIEW_H

#include <windows.h>

BOOL IsFlashPlayerInstalled(void);
void StartPreview(HWND hDlg);

#endif
