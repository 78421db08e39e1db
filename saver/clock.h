#ifndef QK_SAVER_CLOCK_H
#define QK_SAVER_CLOCK_H

#include <windows.h>

enum ClockType {
    ClockClassic,     /* analog, white face with ticks */
    ClockMinimal,     /* analog, hands and twelve dots on black */
    ClockDigital,     /* large seven-segment digits */
    ClockDigitalDate, /* digits with the date below */
    ClockFlip,        /* digits on split flip cards */
    ClockRings,       /* arcs that fill as the hours, minutes and seconds pass */
    ClockTypeCount
};

struct ClockSettings {
    int type;
    BOOL hours24;
    BOOL seconds;
};

/* GDI+ is needed while clocks are drawn; call once around the program's drawing. */
BOOL StartClockDrawing(void);
void StopClockDrawing(void);

/* Draws the clock for that time so that it fills area of dc. Needs no window. */
void DrawClock(HDC dc, const RECT *area, const SYSTEMTIME *time, const ClockSettings *settings);
/* The same in two layers: what never changes (drawn once and kept), and the time over it. */
void DrawClockFace(HDC dc, const RECT *area, const ClockSettings *settings);
void DrawClockTime(HDC dc, const RECT *area, const SYSTEMTIME *time, const ClockSettings *settings);

/* Whether what the clock shows changes every second (else only every minute). */
BOOL ClockChangesEverySecond(const ClockSettings *settings);

const char *ClockTypeName(int type);

#endif
