/*
 * QK Screensaver: a clock screen saver. This entry point reads the mode Windows asks for and
 * runs the matching window.
 */
#include <windows.h>

#include "cmdline.h"
#include "config.h"
#include "saverwnd.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)show;
    SaverCommand command = ParseSaverCommand(commandLine);

    switch (command.mode) {
    case SaverFullScreen:
        return RunFullScreen(instance);
    case SaverPreview:
        return RunPreview(instance, command.window);
    case SaverSettings:
        return RunSettings(instance, command.window);
    default:
        /* "/a" (the password, which NT handles itself) and a preview without a handle. */
        return 0;
    }
}
