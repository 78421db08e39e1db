/*
 * QK Screensaver: a clock screen saver. This entry point reads the mode Windows asks for and
 * runs the matching window.
 */
#include <windows.h>

#include "cmdline.h"
#include "preview.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)show;
    SaverCommand command = ParseSaverCommand(commandLine);

    switch (command.mode) {
    case SaverPreview:
        return RunPreview(instance, command.window);
    default:
        return 0;
    }
}
