/*
 * The screen-saver window, full screen or as a preview inside another program's window. It
 * redraws only when the time it shows changes, through a memory bitmap so that nothing flickers.
 */
#include <windows.h>
#include <string.h>

#include "saverwnd.h"
#include "clock.h"
#include "settings.h"

static const char SaverClass[] = "QKScreensaverWindow";
static const UINT_PTR TickTimer = 1;
/* How far the mouse may drift before it counts as the user coming back. */
static const int MouseSlack = 4;

/* One saver window per process; its state. */
static struct {
    BOOL preview;
    ClockSettings settings;
    SYSTEMTIME shown;
    BOOL mouseSeen;
    POINT mouseStart;
    /* The clocks' faces, drawn once per window size, and the frame the time is drawn into. */
    HDC faceDC, frameDC;
    HBITMAP face, frame;
    HGDIOBJ faceOld, frameOld;
    SIZE size;
    /* Where the clocks go in the window, found with the faces. */
    RECT areas[16];
    int areaCount;
} Saver;

/* Arms the timer for the moment the shown time next changes. */
static void ScheduleTick(HWND window)
{
    SYSTEMTIME now;
    UINT delay;

    GetLocalTime(&now);
    delay = 1000 - now.wMilliseconds;
    /* A preview also looks after its parent's size and life each second. */
    if (!ClockChangesEverySecond(&Saver.settings) && !Saver.preview)
        delay += (59 - now.wSecond) * 1000;
    SetTimer(window, TickTimer, delay + 10, NULL);
}

static BOOL ShownTimeChanged(const SYSTEMTIME *now)
{
    return now->wMinute != Saver.shown.wMinute || now->wHour != Saver.shown.wHour ||
           now->wDay != Saver.shown.wDay ||
           (ClockChangesEverySecond(&Saver.settings) && now->wSecond != Saver.shown.wSecond);
}

struct MonitorList {
    RECT rects[16];
    int count;
    POINT origin;
};

static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM data)
{
    (void)monitor;
    (void)dc;
    MonitorList *list = (MonitorList *)data;
    if (list->count < 16) {
        RECT *r = &list->rects[list->count++];
        *r = *rect;
        OffsetRect(r, -list->origin.x, -list->origin.y);
    }
    return TRUE;
}

/* Full screen, a clock on each monitor; in a preview, one clock over the whole window. */
static void FindClockAreas(HWND window, const RECT *client)
{
    MonitorList list;
    list.count = 0;
    list.origin.x = list.origin.y = 0;
    if (!Saver.preview) {
        ClientToScreen(window, &list.origin);
        EnumDisplayMonitors(NULL, NULL, AddMonitor, (LPARAM)&list);
    }
    if (list.count == 0) {
        list.rects[0] = *client;
        list.count = 1;
    }
    memcpy(Saver.areas, list.rects, sizeof(Saver.areas));
    Saver.areaCount = list.count;
}

static void ReleaseBuffers(void)
{
    if (Saver.faceDC) {
        SelectObject(Saver.faceDC, Saver.faceOld);
        SelectObject(Saver.frameDC, Saver.frameOld);
        DeleteObject(Saver.face);
        DeleteObject(Saver.frame);
        DeleteDC(Saver.faceDC);
        DeleteDC(Saver.frameDC);
    }
    Saver.faceDC = Saver.frameDC = NULL;
    Saver.size.cx = Saver.size.cy = 0;
}

/* (Re)draws the faces when the window has changed size. */
static void PrepareBuffers(HWND window, HDC dc, const RECT *client)
{
    if (Saver.faceDC && Saver.size.cx == client->right && Saver.size.cy == client->bottom)
        return;
    ReleaseBuffers();
    Saver.size.cx = client->right;
    Saver.size.cy = client->bottom;
    Saver.faceDC = CreateCompatibleDC(dc);
    Saver.frameDC = CreateCompatibleDC(dc);
    Saver.face = CreateCompatibleBitmap(dc, client->right, client->bottom);
    Saver.frame = CreateCompatibleBitmap(dc, client->right, client->bottom);
    Saver.faceOld = SelectObject(Saver.faceDC, Saver.face);
    Saver.frameOld = SelectObject(Saver.frameDC, Saver.frame);
    FillRect(Saver.faceDC, client, (HBRUSH)GetStockObject(BLACK_BRUSH));
    FindClockAreas(window, client);
    for (int i = 0; i < Saver.areaCount; i++)
        DrawClockFace(Saver.faceDC, &Saver.areas[i], &Saver.settings);
}

/* Each frame: the kept faces, the time over them, then the whole frame to the screen at once. */
static void Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;

    GetClientRect(window, &client);
    PrepareBuffers(window, dc, &client);
    BitBlt(Saver.frameDC, 0, 0, client.right, client.bottom, Saver.faceDC, 0, 0, SRCCOPY);
    for (int i = 0; i < Saver.areaCount; i++)
        DrawClockTime(Saver.frameDC, &Saver.areas[i], &Saver.shown, &Saver.settings);
    BitBlt(dc, 0, 0, client.right, client.bottom, Saver.frameDC, 0, 0, SRCCOPY);
    EndPaint(window, &paint);
}

static void FollowParent(HWND window)
{
    HWND parent = GetParent(window);
    RECT wanted, now;

    if (!IsWindow(parent)) {
        DestroyWindow(window);
        return;
    }
    GetClientRect(parent, &wanted);
    GetClientRect(window, &now);
    if (wanted.right != now.right || wanted.bottom != now.bottom)
        SetWindowPos(window, NULL, 0, 0, wanted.right, wanted.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

static void Tick(HWND window)
{
    SYSTEMTIME now;

    if (Saver.preview) {
        FollowParent(window);
        if (!IsWindow(window))
            return;
    }
    GetLocalTime(&now);
    if (ShownTimeChanged(&now)) {
        Saver.shown = now;
        InvalidateRect(window, NULL, FALSE);
    }
    ScheduleTick(window);
}

/* The first move is the one the system sends when the window appears; later ones are the user's. */
static void MouseMoved(HWND window, LPARAM position)
{
    POINT p = {(short)LOWORD(position), (short)HIWORD(position)};
    if (!Saver.mouseSeen) {
        Saver.mouseSeen = TRUE;
        Saver.mouseStart = p;
        return;
    }
    if (abs(p.x - Saver.mouseStart.x) > MouseSlack || abs(p.y - Saver.mouseStart.y) > MouseSlack)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

/* What only the full-screen window reacts to; TRUE when the message was handled. */
static BOOL FullScreenInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        MouseMoved(window, lParam);
        return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_ACTIVATEAPP:
        if (!wParam)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_SETCURSOR:
        SetCursor(NULL);
        return TRUE;
    case WM_SYSCOMMAND:
        /* Already saving the screen: a second start of the saver is not wanted. */
        return wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER;
    }
    return FALSE;
}

static LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Saver.preview && FullScreenInput(window, message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_CREATE:
        GetLocalTime(&Saver.shown);
        ScheduleTick(window);
        return 0;
    case WM_TIMER:
        Tick(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, TickTimer);
        ReleaseBuffers();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int RunSaverWindow(HINSTANCE instance, DWORD exStyle, DWORD style, const RECT *place, HWND parent)
{
    WNDCLASSA windowClass = {};
    MSG message;

    LoadClockSettings(&Saver.settings);
    if (!StartClockDrawing())
        return 1;
    windowClass.lpfnWndProc = SaverProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = SaverClass;
    RegisterClassA(&windowClass);
    if (CreateWindowExA(exStyle, SaverClass, "QK Screensaver", style, place->left, place->top,
                        place->right - place->left, place->bottom - place->top, parent, NULL, instance, NULL)) {
        while (GetMessageA(&message, NULL, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    StopClockDrawing();
    return 0;
}

int RunPreview(HINSTANCE instance, HWND parent)
{
    RECT area;

    if (!IsWindow(parent))
        return 0;
    Saver.preview = TRUE;
    GetClientRect(parent, &area);
    return RunSaverWindow(instance, 0, WS_CHILD | WS_VISIBLE | WS_DISABLED, &area, parent);
}

int RunFullScreen(HINSTANCE instance)
{
    RECT screen;

    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    ShowCursor(FALSE);
    int code = RunSaverWindow(instance, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, &screen, NULL);
    ShowCursor(TRUE);
    return code;
}
