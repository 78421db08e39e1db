#ifndef QK_SAVER_CMDLINE_H
#define QK_SAVER_CMDLINE_H

#include <windows.h>

enum SaverMode {
    SaverSettings,    /* no argument, "/c" or "/c:<hwnd>" */
    SaverFullScreen,  /* "/s" */
    SaverPreview,     /* "/p <hwnd>" or "/p:<hwnd>" */
    SaverPassword,    /* "/a": nothing to do on NT */
    SaverInvalid      /* a preview without a handle */
};

struct SaverCommand {
    SaverMode mode;
    HWND window; /* the preview's parent or the settings' owner; NULL when none was given */
};

/* Reads the command line the way Windows writes it for screen savers; never touches a window. */
SaverCommand ParseSaverCommand(const char *commandLine);

#endif
