/*
 * Identifiers shared by the installer's code and its resource script, and the one buffer that
 * the preview and the installation hand to each other.
 */
#ifndef QK_RESOURCE_H
#define QK_RESOURCE_H

#define IDD_INSTALL   100
#define IDI_APPICON   107
#define IDC_APPICON   200
#ifndef IDOK
#define IDOK          1
#define IDCANCEL      2
#define IDRETRY       4
#endif
#define IDC_PREVIEW   1001
#define IDC_DOWNLOAD  1002
#define IDC_HOMEPAGE  1010
#define IDR_PAYLOAD   2000

#ifndef RC_INVOKED
#include <windows.h>

/* The expanded screen saver in the temporary folder; empty while no preview has been started. */
extern char PreviewExePath[MAX_PATH];
#endif

#endif
