#ifndef QK_SAVER_CONFIG_H
#define QK_SAVER_CONFIG_H

#include <windows.h>

/* The settings dialog, modal to owner (or to the foreground window when owner is NULL). */
int RunSettings(HINSTANCE instance, HWND owner);

#endif
