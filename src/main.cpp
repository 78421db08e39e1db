/*
 * Entry point and the installer dialog. The dialog procedure only dispatches: the preview,
 * the installation and the download page each live in their own function.
 */
#include <windows.h>
#include <shellapi.h>

#include "resource.h"
#include "preview.h"
#include "install.h"

char PreviewExePath[MAX_PATH];

static const char DownloadAddress[] =
    "http://www.macromedia.com/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash";

/*
 * The installer is usually started from a downloads folder, where anything may lie next to it.
 * Take DLLs that are loaded at run time from the system directory, never from there or from
 * the current directory.
 */
static void RestrictDllSearchPath(void)
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFn setDefault =
        (SetDefaultDllDirectoriesFn)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories");

    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}

static void OpenDownloadPage(HWND hDlg)
{
    ShellExecuteA(hDlg, "open", DownloadAddress, NULL, NULL, SW_SHOW);
    EnableWindow(GetDlgItem(hDlg, IDRETRY), TRUE);
}

static void InstallAndEnd(HWND hDlg)
{
    InstallScreenSaver(PreviewExePath);
    EndDialog(hDlg, IDOK);
}

static INT_PTR OnCommand(HWND hDlg, WORD id)
{
    switch (id) {
    case IDOK:
        InstallAndEnd(hDlg);
        return TRUE;
    case IDCANCEL:
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    case IDRETRY:
        StartPreview(hDlg);
        return TRUE;
    case IDC_DOWNLOAD:
        OpenDownloadPage(hDlg);
        return FALSE;
    }
    return FALSE;
}

static INT_PTR CALLBACK InstallerDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (uMsg) {
    case WM_INITDIALOG:
        StartPreview(hDlg);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(hDlg, LOWORD(wParam));
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;

    RestrictDllSearchPath();
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_INSTALL), NULL, InstallerDialogProc, 0);
    return 0;
}
