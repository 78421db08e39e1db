/*
 * Preview mode: a child window of a window of another process (the Display control panel, or
 * the installer). It never takes input, follows the parent's size, and ends as soon as it is
 * closed so that its program file can be replaced at once.
 */
#include <windows.h>
#include <stdio.h>

#include "preview.h"

static const char PreviewClass[] = "QKScreensaverPreview";
static const UINT_PTR TickTimer = 1;

static void PaintPreview(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    SYSTEMTIME now;
    char text[16];

    GetClientRect(window, &area);
    FillRect(dc, &area, (HBRUSH)GetStockObject(BLACK_BRUSH));
    GetLocalTime(&now);
    _snprintf(text, sizeof(text) - 1, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    text[sizeof(text) - 1] = '\0';
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(window, &paint);
}

static void FollowParentSize(HWND window)
{
    RECT area;

    GetClientRect(GetParent(window), &area);
    SetWindowPos(window, NULL, 0, 0, area.right, area.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

static LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetTimer(window, TickTimer, 1000, NULL);
        return 0;
    case WM_TIMER:
        if (!IsWindow(GetParent(window))) {
            DestroyWindow(window);
            return 0;
        }
        FollowParentSize(window);
        InvalidateRect(window, NULL, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintPreview(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, TickTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunPreview(HINSTANCE instance, HWND parent)
{
    WNDCLASSA windowClass = {};
    RECT area;
    MSG message;

    if (!IsWindow(parent))
        return 0;
    windowClass.lpfnWndProc = PreviewProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.lpszClassName = PreviewClass;
    RegisterClassA(&windowClass);

    GetClientRect(parent, &area);
    if (!CreateWindowExA(0, PreviewClass, "", WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0, area.right,
                         area.bottom, parent, NULL, instance, NULL))
        return 0;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
