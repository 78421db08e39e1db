/*
 * Drives the real installer from inside Wine, the way a user and the system would: starts it,
 * finds its dialog, reads the controls, presses buttons and keys, reads the message boxes, and
 * looks at the preview process it starts. (The command lines of the processes started are read
 * from Wine's process trace by the test harness.) Reads one command per line from a script file and
 * writes what it sees, one fact per line, to a result file; texts are written in hex so that
 * every byte can be compared.
 *
 *     driver.exe RESULT-FILE SCRIPT-FILE
 */
#include <windows.h>
#include <tlhelp32.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static FILE *Out;
static PROCESS_INFORMATION Installer;
static HWND Dialog;
static HWND MessageBoxWindow;
static HANDLE PreviewProcess;
/* When the installer was started and when the last button or key was pressed, for timings. */
static DWORD StartedAt, ActedAt, FoundAt;
static const int PreviewId = 1001;

static void Emit(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfprintf(Out, format, args);
    va_end(args);
    fputc('\n', Out);
    fflush(Out);
}

static void Hex(char *out, const char *text, int length)
{
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < length; i++) {
        *out++ = digits[(unsigned char)text[i] >> 4];
        *out++ = digits[(unsigned char)text[i] & 15];
    }
    *out = '\0';
}

static void WindowTextHex(HWND window, char *hex)
{
    char text[2048];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                             &length))
        length = 0;
    Hex(hex, text, (int)length);
}

static DWORD Now(void) { return GetTickCount(); }

/* Waits while answering messages: a window of ours may be the parent of another process's. */
static void Pause(DWORD ms)
{
    DWORD start = Now();
    MSG message;
    do {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    } while (Now() - start < ms);
}

struct FindTop {
    DWORD pid;
    HWND skip;
    HWND found;
    const char *cls;
};

static BOOL CALLBACK FindTopDialog(HWND window, LPARAM param)
{
    FindTop *find = (FindTop *)param;
    DWORD pid = 0;
    char cls[64];
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, cls, sizeof(cls));
    if (pid == find->pid && window != find->skip && IsWindowVisible(window) &&
        strcmp(cls, find->cls) == 0) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND WaitTopWindow(const char *cls, HWND skip, DWORD timeout)
{
    DWORD start = Now();
    do {
        FindTop find = {Installer.dwProcessId, skip, NULL, cls};
        EnumWindows(FindTopDialog, (LPARAM)&find);
        if (find.found) {
            FoundAt = Now();
            return find.found;
        }
        Pause(10);
    } while (Now() - start < timeout);
    return NULL;
}

static HWND WaitTopDialog(HWND skip, DWORD timeout) { return WaitTopWindow("#32770", skip, timeout); }

static HWND Host;
static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

/* A window of ours with a client area of the given size, to hold a preview. */
static void MakeHost(int width, int height)
{
    WNDCLASSA windowClass = {};
    RECT r = {0, 0, width, height};
    windowClass.lpfnWndProc = HostProc;
    windowClass.lpszClassName = "QKTestHost";
    windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    RegisterClassA(&windowClass);
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    Host = CreateWindowExA(0, "QKTestHost", "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10,
                           r.right - r.left, r.bottom - r.top, NULL, NULL, NULL, NULL);
    Emit("host %d", (int)(INT_PTR)Host);
}

/* The resources a process holds, for leak and load checks. */
static void Usage(void)
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(Installer.hProcess, &created, &ended, &kernel, &user);
    ULONGLONG busy = ((ULONGLONG)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
                     ((ULONGLONG)user.dwHighDateTime << 32 | user.dwLowDateTime);
    DWORD handles = 0;
    GetProcessHandleCount(Installer.hProcess, &handles);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    K32GetProcessMemoryInfo(Installer.hProcess, &memory, sizeof(memory));
    /* Wine answers 0 for the GDI, USER and handle counts; the private bytes still show a leak. */
    Emit("usage ms=%lu cpu100ns=%llu gdi=%lu user=%lu handles=%lu private=%lu", (unsigned long)(Now() - StartedAt),
         busy, (unsigned long)GetGuiResources(Installer.hProcess, GR_GDIOBJECTS),
         (unsigned long)GetGuiResources(Installer.hProcess, GR_USEROBJECTS), (unsigned long)handles,
         (unsigned long)memory.PagefileUsage);
}

/* Every child in Z order: identifier, class, style, enabled, visible, rectangle, text. */
static void DumpChildren(const char *tag, HWND parent)
{
    static char hex[4200];
    int index = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64];
        RECT r;
        GetClassNameA(child, cls, sizeof(cls));
        GetWindowRect(child, &r);
        WindowTextHex(child, hex);
        HICON icon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
        Emit("%s %d id=%d class=%s style=%08lx enabled=%d visible=%d icon=%s size=%ldx%ld text=%s", tag,
             index++, (int)(short)GetDlgCtrlID(child), cls, (unsigned long)GetWindowLongA(child, GWL_STYLE),
             IsWindowEnabled(child) ? 1 : 0, IsWindowVisible(child) ? 1 : 0,
             icon ? "present" : "none", r.right - r.left, r.bottom - r.top, hex);
    }
}

static void DescribePreview(HWND area, HWND child)
{
    static char image[2 * MAX_PATH + 2];
    char path[MAX_PATH] = "";
    DWORD pid = 0, size = MAX_PATH;
    int count = 0;
    RECT inner, outer;

    for (HWND c = GetWindow(area, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        count++;
    GetWindowThreadProcessId(child, &pid);
    if (PreviewProcess)
        CloseHandle(PreviewProcess);
    PreviewProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, pid);
    if (PreviewProcess)
        QueryFullProcessImageNameA(PreviewProcess, 0, path, &size);
    Hex(image, path, (int)strlen(path));
    GetClientRect(child, &inner);
    GetClientRect(area, &outer);
    Emit("preview ms=%lu since_action=%lu child=%d children=%d parent_is_area=%d pid=%lu area=%d size=%ldx%ld area_size=%ldx%ld "
         "image=%s",
         (unsigned long)(FoundAt - StartedAt), (unsigned long)(FoundAt - ActedAt), (int)(INT_PTR)child, count, GetParent(child) == area ? 1 : 0, (unsigned long)pid,
         (int)(INT_PTR)area, inner.right, inner.bottom, outer.right, outer.bottom, image);
}

static void WaitPreview(DWORD timeout, HWND previous)
{
    HWND area = GetDlgItem(Dialog, PreviewId);
    DWORD start = Now();
    do {
        HWND child = GetWindow(area, GW_CHILD);
        if (child && child != previous) {
            FoundAt = Now();
            DescribePreview(area, child);
            return;
        }
        Pause(10);
    } while (Now() - start < timeout);
    Emit("preview timeout");
}

static void Press(HWND parent, int id)
{
    HWND button = GetDlgItem(parent, id);
    if (!button) {
        Emit("error no-control %d", id);
        return;
    }
    if (!IsWindowEnabled(button)) {
        Emit("error disabled %d", id);
        return;
    }
    ActedAt = Now();
    PostMessageA(button, BM_CLICK, 0, 0);
}

static void Key(WORD vk)
{
    INPUT input[2] = {};
    SetForegroundWindow(Dialog);
    Pause(200);
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = vk;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

static void SetFlashPlayer(BOOL present)
{
    static const char key[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";
    if (present) {
        HKEY opened;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, NULL, 0, KEY_WRITE | KEY_WOW64_32KEY, NULL, &opened,
                            NULL) == ERROR_SUCCESS)
            RegCloseKey(opened);
    } else {
        RegDeleteKeyExA(HKEY_CLASSES_ROOT, key, KEY_WOW64_32KEY, 0);
    }
    Emit("flash %d", present ? 1 : 0);
}

/* Ends what a test leaves running, so that the next one starts from nothing. */
static void KillAll(void)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, "Install.exe") == 0 || _stricmp(entry.szExeFile, "QKScreensaver.exe") == 0 ||
            _stricmp(entry.szExeFile, "QKScreensaver.scr") == 0) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
            if (process) {
                TerminateProcess(process, 99);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    }
    CloseHandle(snapshot);
}

static void Start(char *commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &Installer)) {
        Emit("error start %lu", GetLastError());
        return;
    }
    StartedAt = ActedAt = Now();
    Emit("started %lu", (unsigned long)Installer.dwProcessId);
}

static void WaitExit(DWORD timeout)
{
    DWORD code = 0;
    if (WaitForSingleObject(Installer.hProcess, timeout) != WAIT_OBJECT_0) {
        Emit("exit timeout");
        return;
    }
    GetExitCodeProcess(Installer.hProcess, &code);
    Emit("exit %lu", (unsigned long)code);
}

static void WaitPreviewGone(DWORD timeout)
{
    DWORD start = Now();
    if (!PreviewProcess || WaitForSingleObject(PreviewProcess, timeout) != WAIT_OBJECT_0) {
        Emit("previewgone timeout");
        return;
    }
    Emit("previewgone %lu", (unsigned long)(Now() - start));
}

static void Run(char *line)
{
    char *verb = strtok(line, " \r\n");
    char *rest = strtok(NULL, "\r\n");
    DWORD number = rest ? strtoul(rest, NULL, 10) : 0;

    if (!verb)
        return;
    if (!strcmp(verb, "flash"))
        SetFlashPlayer(rest && !strcmp(rest, "on"));
    else if (!strcmp(verb, "env")) {
        char *value = strchr(rest, ' ');
        if (value)
            *value++ = '\0';
        SetEnvironmentVariableA(rest, value);
    } else if (!strcmp(verb, "start"))
        Start(rest);
    else if (!strcmp(verb, "dialog")) {
        Dialog = WaitTopDialog(NULL, number);
        char caption[256], hex[520];
        Hex(hex, caption, GetWindowTextA(Dialog, caption, sizeof(caption)));
        Emit("dialog %d ms=%lu defid=%d hwnd=%p caption=%s", Dialog ? 1 : 0, (unsigned long)(FoundAt - StartedAt),
             Dialog ? (int)LOWORD(SendMessageA(Dialog, DM_GETDEFID, 0, 0)) : 0, (void *)Dialog, hex);
    } else if (!strcmp(verb, "state"))
        DumpChildren("control", Dialog);
    else if (!strcmp(verb, "preview"))
        WaitPreview(number, NULL);
    else if (!strcmp(verb, "host")) {
        int width = 0, height = 0;
        sscanf(rest, "%d %d", &width, &height);
        MakeHost(width, height);
    } else if (!strcmp(verb, "startsaver")) {
        /* startsaver ARGS: the saver with ARGS, "%h" standing for the host window's handle. */
        char command[512], *mark = strstr(rest, "%h");
        if (mark)
            *mark = '\0';
        _snprintf(command, sizeof(command) - 1, "\"C:\\qk\\QKScreensaver.scr\" %s%d%s", rest,
                  mark ? (int)(INT_PTR)Host : 0, mark ? mark + 2 : "");
        command[sizeof(command) - 1] = '\0';
        if (!mark)
            _snprintf(command, sizeof(command) - 1, "\"C:\\qk\\QKScreensaver.scr\" %s", rest);
        Start(command);
    } else if (!strcmp(verb, "hostchild")) {
        DWORD start = Now();
        HWND child = NULL;
        while (!(child = GetWindow(Host, GW_CHILD)) && Now() - start < number)
            Pause(10);
        RECT inner = {}, outer = {};
        GetClientRect(child, &inner);
        GetClientRect(Host, &outer);
        Emit("hostchild found=%d size=%ldx%ld host=%ldx%ld", child ? 1 : 0, inner.right, inner.bottom, outer.right,
             outer.bottom);
    } else if (!strcmp(verb, "resizehost")) {
        int width = 0, height = 0;
        sscanf(rest, "%d %d", &width, &height);
        RECT r = {0, 0, width, height};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(Host, NULL, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    } else if (!strcmp(verb, "destroyhost")) {
        DestroyWindow(Host);
        Host = NULL;
    } else if (!strcmp(verb, "closechild")) {
        /* Posts WM_CLOSE to the host's child and reports how soon its process ends. */
        HWND child = GetWindow(Host, GW_CHILD);
        DWORD start = Now(), code = 0;
        PostMessageA(child, WM_CLOSE, 0, 0);
        while (WaitForSingleObject(Installer.hProcess, 0) == WAIT_TIMEOUT && Now() - start < number)
            Pause(1);
        GetExitCodeProcess(Installer.hProcess, &code);
        Emit("closechild ms=%lu ended=%d", (unsigned long)(Now() - start), code == STILL_ACTIVE ? 0 : 1);
    } else if (!strcmp(verb, "window")) {
        /* window CLASS MS: a top-level window of the started process with that class. */
        char cls[64] = "";
        DWORD timeout = 0;
        sscanf(rest, "%63s %lu", cls, &timeout);
        HWND found = WaitTopWindow(cls, NULL, timeout);
        RECT r = {};
        GetWindowRect(found, &r);
        Dialog = found;
        Emit("window found=%d rect=%ld,%ld,%ld,%ld topmost=%d screen=%dx%d", found ? 1 : 0, r.left, r.top, r.right,
             r.bottom, (GetWindowLongA(found, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0,
             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    } else if (!strcmp(verb, "running"))
        Emit("running %d", WaitForSingleObject(Installer.hProcess, 0) == WAIT_TIMEOUT ? 1 : 0);
    else if (!strcmp(verb, "usage"))
        Usage();
    else if (!strcmp(verb, "click")) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
    } else if (!strcmp(verb, "movemouse")) {
        int dx = 0, dy = 0;
        POINT p;
        sscanf(rest, "%d %d", &dx, &dy);
        GetCursorPos(&p);
        SetCursorPos(p.x + dx, p.y + dy);
    } else if (!strcmp(verb, "select")) {
        /* select ID INDEX: picks an entry of a combo box as the user would. */
        int id = 0, index = 0;
        sscanf(rest, "%d %d", &id, &index);
        HWND combo = GetDlgItem(Dialog, id);
        SendMessageA(combo, CB_SETCURSEL, index, 0);
        SendMessageA(Dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
    }
    else if (!strcmp(verb, "newpreview")) {
        HWND area = GetDlgItem(Dialog, PreviewId);
        WaitPreview(number, GetWindow(area, GW_CHILD));
    } else if (!strcmp(verb, "children")) {
        int count = 0;
        for (HWND c = GetWindow(GetDlgItem(Dialog, PreviewId), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            count++;
        Emit("children %d", count);
    } else if (!strcmp(verb, "press"))
        Press(Dialog, atoi(rest));
    else if (!strcmp(verb, "command")) {
        int id = 0, high = 0;
        sscanf(rest, "%d %d", &id, &high);
        PostMessageA(Dialog, WM_COMMAND, MAKEWPARAM(id, high), 0);
    } else if (!strcmp(verb, "key"))
        Key((WORD)number);
    else if (!strcmp(verb, "sysclose"))
        PostMessageA(Dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (!strcmp(verb, "waitexit"))
        WaitExit(number);
    else if (!strcmp(verb, "waitpreviewgone"))
        WaitPreviewGone(number);
    else if (!strcmp(verb, "msgbox")) {
        MessageBoxWindow = WaitTopDialog(Dialog, number);
        if (!MessageBoxWindow) {
            Emit("msgbox none");
            return;
        }
        char caption[256], hex[520];
        int length = GetWindowTextA(MessageBoxWindow, caption, sizeof(caption));
        Hex(hex, caption, length);
        Emit("msgbox caption=%s owner=%d", hex, GetWindow(MessageBoxWindow, GW_OWNER) ? 1 : 0);
        DumpChildren("msgboxcontrol", MessageBoxWindow);
    } else if (!strcmp(verb, "dismiss"))
        Press(MessageBoxWindow, IDOK);
    else if (!strcmp(verb, "sleep"))
        Pause(number);
    else if (!strcmp(verb, "mark")) {
        /* The harness answers a mark (after a screenshot, say) by creating C:\qk\marked-NAME. */
        char answer[MAX_PATH];
        DWORD start = Now();
        _snprintf(answer, sizeof(answer) - 1, "C:\\qk\\marked-%s", rest);
        answer[sizeof(answer) - 1] = '\0';
        Emit("mark %s", rest);
        while (GetFileAttributesA(answer) == INVALID_FILE_ATTRIBUTES && Now() - start < 30000)
            Pause(50);
        DeleteFileA(answer);
    } else if (!strcmp(verb, "temp")) {
        char path[MAX_PATH], hex[2 * MAX_PATH + 2];
        DWORD length = GetTempPathA(MAX_PATH, path);
        Hex(hex, path, (int)length);
        Emit("temp %s", hex);
    } else if (!strcmp(verb, "shortpath")) {
        char path[MAX_PATH], hex[2 * MAX_PATH + 2];
        DWORD length = GetShortPathNameA(rest, path, MAX_PATH);
        Hex(hex, path, length < MAX_PATH ? (int)length : 0);
        Emit("shortpath %s", hex);
    } else if (!strcmp(verb, "screensaver")) {
        /* "screensaver 0|1" sets the setting and saves it; "screensaver" alone reports it. */
        BOOL active = FALSE;
        char saved[16] = "";
        DWORD size = sizeof(saved);
        if (rest)
            SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, number, NULL, SPIF_UPDATEINIFILE);
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveActive", RRF_RT_REG_SZ, NULL, saved,
                     &size);
        Emit("screensaver active=%d saved=%s", active ? 1 : 0, saved[0] ? saved : "none");
    } else if (!strcmp(verb, "killall"))
        KillAll();
    else
        Emit("error unknown %s", verb);
}

int main(int argc, char **argv)
{
    static char line[4096];
    FILE *script;

    if (argc != 3 || !(Out = fopen(argv[1], "w")) || !(script = fopen(argv[2], "r")))
        return 2;
    while (fgets(line, sizeof(line), script))
        Run(line);
    Emit("done");
    fclose(Out);
    return 0;
}
