#ifndef QK_SAVER_PREVIEW_H
#define QK_SAVER_PREVIEW_H

#include <windows.h>

/* Shows the saver as a child filling parent until the child is closed; returns the exit code. */
int RunPreview(HINSTANCE instance, HWND parent);

#endif
