/*
 * A DLL that someone has left next to the installer under a system DLL's name. If it is ever
 * loaded it leaves a marker file beside itself and refuses to load.
 */
#include <windows.h>
#include <string.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char marker[MAX_PATH + 16];
        DWORD length = GetModuleFileNameA(instance, marker, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            strcat(marker, ".loaded");
            CloseHandle(CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        }
        return FALSE;
    }
    return TRUE;
}
