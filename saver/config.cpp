/*
 * The settings dialog: which clock, 12- or 24-hour time, seconds or not, with the chosen clock
 * running live in the dialog. Saved only on OK.
 */
#include <windows.h>

#include "config.h"
#include "clock.h"
#include "resource.h"
#include "settings.h"

static const UINT_PTR PreviewTimer = 1;
static ClockSettings Chosen;

static void ShowSettings(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_CLOCKTYPE);
    for (int type = 0; type < ClockTypeCount; type++)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)ClockTypeName(type));
    SendMessageA(list, CB_SETCURSEL, (WPARAM)Chosen.type, 0);
    CheckDlgButton(dialog, IDC_24HOUR, Chosen.hours24 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SECONDS, Chosen.seconds ? BST_CHECKED : BST_UNCHECKED);
}

static void ReadChoices(HWND dialog)
{
    LRESULT type = SendDlgItemMessageA(dialog, IDC_CLOCKTYPE, CB_GETCURSEL, 0, 0);
    if (type >= 0 && type < ClockTypeCount)
        Chosen.type = (int)type;
    Chosen.hours24 = IsDlgButtonChecked(dialog, IDC_24HOUR) == BST_CHECKED;
    Chosen.seconds = IsDlgButtonChecked(dialog, IDC_SECONDS) == BST_CHECKED;
    InvalidateRect(GetDlgItem(dialog, IDC_CLOCKPREVIEW), NULL, FALSE);
}

/* The preview control is owner-drawn: the clock goes through a memory bitmap into it. */
static void DrawPreview(const DRAWITEMSTRUCT *item)
{
    RECT area = item->rcItem;
    SYSTEMTIME now;
    HDC buffer = CreateCompatibleDC(item->hDC);
    HBITMAP bitmap = CreateCompatibleBitmap(item->hDC, area.right - area.left, area.bottom - area.top);
    HGDIOBJ previous = SelectObject(buffer, bitmap);
    RECT inside = {0, 0, area.right - area.left, area.bottom - area.top};

    GetLocalTime(&now);
    DrawClock(buffer, &inside, &now, &Chosen);
    BitBlt(item->hDC, area.left, area.top, inside.right, inside.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, previous);
    DeleteObject(bitmap);
    DeleteDC(buffer);
}

static void Finish(HWND dialog, int result)
{
    KillTimer(dialog, PreviewTimer);
    if (result == IDOK)
        SaveClockSettings(&Chosen);
    EndDialog(dialog, result);
}

static INT_PTR OnCommand(HWND dialog, WORD id, WORD code)
{
    switch (id) {
    case IDOK:
    case IDCANCEL:
        Finish(dialog, id);
        return TRUE;
    case IDC_CLOCKTYPE:
        if (code == CBN_SELCHANGE)
            ReadChoices(dialog);
        return TRUE;
    case IDC_24HOUR:
    case IDC_SECONDS:
        ReadChoices(dialog);
        return TRUE;
    }
    return FALSE;
}

static INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowSettings(dialog);
        SetTimer(dialog, PreviewTimer, 1000, NULL);
        return TRUE;
    case WM_TIMER:
        InvalidateRect(GetDlgItem(dialog, IDC_CLOCKPREVIEW), NULL, FALSE);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_CLOCKPREVIEW) {
            DrawPreview((const DRAWITEMSTRUCT *)lParam);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

int RunSettings(HINSTANCE instance, HWND owner)
{
    LoadClockSettings(&Chosen);
    if (!StartClockDrawing())
        return 1;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(DLG_SCRNSAVECONFIGURE), owner ? owner : GetForegroundWindow(),
                    SettingsProc, 0);
    StopClockDrawing();
    return 0;
}
