/*
 * The installer's dialog and nothing else: the yardstick for how soon Install.exe shows its
 * dialog. Built from the same resource script, so the template is the same.
 */
#include <windows.h>

#include "resource.h"

static INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INSTALL), NULL, BareDialogProc, 0);
    return 0;
}
