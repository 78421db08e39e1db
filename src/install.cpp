/*
 * Install: copy the expanded screen saver to the Windows directory, or to a folder of the user's
 * own when that is not writable; make it the active screen saver; then send the user to the
 * Display control panel to pick it.
 */
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <string.h>

#include "install.h"
#include "dirpath.h"

static const char Caption[] = "QK Screensaver";
static const char FailureText[] = "Unable to install QK Screensaver";
static const char InstructionText[] =
    "Select \"QK Screensaver\" from the selection list\n"
    "Press <Settings> to select the type of clock\n";
static const char WindowsTargetName[] = "\\QKScreensaver.scr";
static const char FallbackTargetName[] = "\\QKScreensaver\\QKScreensaver.scr";
static const char ControlPanelRunner[] = "\\rundll32.exe";
static const char ControlPanelParameters[] = "shell32.dll,Control_RunDLL desk.cpl,,1";

int GetSpecialFolderPath(char *path, int folder)
{
    LPITEMIDLIST list;
    IMalloc *allocator = NULL;
    BOOL resolved;

    if (FAILED(SHGetSpecialFolderLocation(NULL, folder, &list)))
        return 0;
    resolved = SHGetPathFromIDListA(list, path);
    /* Without the allocator the list cannot be given back; it is a few bytes in a short run. */
    SHGetMalloc(&allocator);
    if (allocator) {
        allocator->Free(list);
        allocator->Release();
    }
    return resolved ? 1 : 0;
}

/*
 * Appends name to the folder in path; FALSE, with path unusable, when the whole would not fit.
 * folderLength is what the call that filled path returned: 0 or too large means no folder.
 */
static BOOL AppendToFolder(char *path, size_t folderLength, const char *name)
{
    if (folderLength == 0 || folderLength + strlen(name) >= MAX_PATH)
        return FALSE;
    strcat(path, name);
    return TRUE;
}

static BOOL MakeWindowsTarget(char *target)
{
    UINT length = GetWindowsDirectoryA(target, MAX_PATH);

    return AppendToFolder(target, length, WindowsTargetName);
}

static BOOL MakeFallbackTarget(char *target)
{
    if (!GetSpecialFolderPath(target, CSIDL_LOCAL_APPDATA))
        return FALSE;
    return AppendToFolder(target, strlen(target), FallbackTargetName);
}

static BOOL CopyToWindowsDirectory(const char *source, char *target)
{
    return MakeWindowsTarget(target) && CopyFileA(source, target, FALSE);
}

static BOOL CopyToFallbackFolder(const char *source, char *target)
{
    if (!MakeFallbackTarget(target))
        return FALSE;
    CreateDirectoryPath(target, TRUE, TRUE);
    return CopyFileA(source, target, FALSE);
}

/* Windows starts savers by the short name; where a volume has none, the full name still works. */
static void ActivateScreenSaver(const char *target)
{
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(target, shortPath, MAX_PATH);

    if (length == 0 || length >= MAX_PATH)
        strcpy(shortPath, target);
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", shortPath, "system.ini");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, NULL, SPIF_UPDATEINIFILE);
    WritePrivateProfileStringA(NULL, NULL, NULL, "system.ini");
}

/* rundll32 by its full path: a bare name would find one planted next to the installer first. */
static void OpenDisplayControlPanel(void)
{
    char runner[MAX_PATH];
    UINT length = GetSystemDirectoryA(runner, MAX_PATH);

    if (!AppendToFolder(runner, length, ControlPanelRunner))
        return;
    ShellExecuteA(NULL, NULL, runner, ControlPanelParameters, NULL, SW_SHOW);
}

void InstallScreenSaver(const char *source)
{
    char target[MAX_PATH];

    if (!CopyToWindowsDirectory(source, target) && !CopyToFallbackFolder(source, target)) {
        MessageBoxA(NULL, FailureText, Caption, MB_ICONWARNING);
        return;
    }
    ActivateScreenSaver(target);
    MessageBoxA(NULL, InstructionText, Caption, MB_OK);
    OpenDisplayControlPanel();
}
