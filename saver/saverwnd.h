#ifndef QK_SAVER_SAVERWND_H
#define QK_SAVER_SAVERWND_H

#include <windows.h>

/* Full screen over every monitor until the user comes back; returns the exit code. */
int RunFullScreen(HINSTANCE instance);
/* A child filling parent until it is closed or the parent goes away; returns the exit code. */
int RunPreview(HINSTANCE instance, HWND parent);

#endif
