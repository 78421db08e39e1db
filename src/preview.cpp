/*
 * Chooses the dialog's face: without Flash Player the preview area explains where to get it;
 * with it, the screen saver is expanded to the temporary folder and run inside the preview area.
 */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "resource.h"
#include "preview.h"
#include "payload.h"

static const char FlashPlayerClassKey[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";
static const char PreviewExeName[] = "QKScreensaver.exe";

static const char MissingPlayerText[] =
    "\n\n\n\n"
    "You do not have the Macromedia Flash Player\xA9 installed.\n"
    "You need to install this player first (approx 219 kb)\n"
    "Press [Download Flash Player] to go to:\n"
    "\n"
    "http://www.macromedia.com/shockwave/download/\n"
    "index.cgi?P1_Prod_Version=ShockwaveFlash\n"
    "\n"
    "for downloading the player.\n"
    "When installation of the player is complete: press [Retry].";

/* The preview waits this long for the running saver to let go of its file before rewriting it. */
static const DWORD PreviewCloseDelay = 100;

BOOL IsFlashPlayerInstalled(void)
{
    HKEY key;

    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, FlashPlayerClassKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(key);
    return TRUE;
}

static void ShowMissingPlayer(HWND preview, HWND install, HWND download)
{
    EnableWindow(install, FALSE);
    EnableWindow(download, TRUE);
    SetWindowTextA(preview, MissingPlayerText);
}

static void CloseRunningPreview(HWND preview)
{
    HWND child = GetWindow(preview, GW_CHILD);

    if (child) {
        PostMessageA(child, WM_CLOSE, 0, 0);
        Sleep(PreviewCloseDelay);
    }
}

/*
 * Fills PreviewExePath with the temporary folder followed by the saver's name. A temporary
 * folder that cannot be read, or is too long for the name to follow it, leaves the path empty:
 * nothing is then written or started under a truncated name.
 */
static BOOL BuildPreviewExePath(void)
{
    DWORD length = GetTempPathA(MAX_PATH, PreviewExePath);

    if (length == 0 || length + sizeof(PreviewExeName) > MAX_PATH) {
        PreviewExePath[0] = '\0';
        return FALSE;
    }
    strcat(PreviewExePath, PreviewExeName);
    return TRUE;
}

static void LaunchPreview(HWND hDlg, HWND preview)
{
    char parameters[100];

    CloseRunningPreview(preview);
    /*
     * The handle goes on the command line as a signed 32-bit number, also in a 64-bit build.
     * msvcrt's own formatter: in C++ the headers would otherwise link a static printf.
     */
    _snprintf(parameters, sizeof(parameters) - 1, "/P %d", (int)(INT_PTR)preview);
    parameters[sizeof(parameters) - 1] = '\0';
    if (!BuildPreviewExePath())
        return;
    ExtractPayload(PreviewExePath, IDR_PAYLOAD);
    ShellExecuteA(hDlg, "open", PreviewExePath, parameters, NULL, SW_SHOW);
}

void StartPreview(HWND hDlg)
{
    HWND preview, install, download;

    PreviewExePath[0] = '\0';
    preview = GetDlgItem(hDlg, IDC_PREVIEW);
    install = GetDlgItem(hDlg, IDOK);
    download = GetDlgItem(hDlg, IDC_DOWNLOAD);

    if (!IsFlashPlayerInstalled()) {
        ShowMissingPlayer(preview, install, download);
        return;
    }
    if (!preview)
        return;
    LaunchPreview(hDlg, preview);
    EnableWindow(install, TRUE);
    EnableWindow(download, FALSE);
}
