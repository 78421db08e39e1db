/*
 * The six clocks. Each draws into any device context and rectangle for a given time, so the
 * same code serves the full screen, the preview, the settings dialog and the tests. Shapes are
 * drawn antialiased with GDI+; the digits are seven-segment figures drawn as polygons, so they
 * look the same whatever fonts the machine has. Only the date line uses a font.
 */
#include <windows.h>
#include <gdiplus.h>
#include <math.h>
#include <stdio.h>

#include "clock.h"

using namespace Gdiplus;

static ULONG_PTR GdiplusToken;
static const REAL Pi = 3.14159265f;

BOOL StartClockDrawing(void)
{
    GdiplusStartupInput input;
    return GdiplusStartup(&GdiplusToken, &input, NULL) == Ok;
}

void StopClockDrawing(void)
{
    if (GdiplusToken)
        GdiplusShutdown(GdiplusToken);
    GdiplusToken = 0;
}

const char *ClockTypeName(int type)
{
    static const char *const names[ClockTypeCount] = {
        "Classic analog", "Minimal analog", "Large digital", "Digital with date", "Flip clock", "Rings"};
    return type >= 0 && type < ClockTypeCount ? names[type] : "";
}

BOOL ClockChangesEverySecond(const ClockSettings *settings)
{
    return settings->seconds;
}

/* The part of the geometry every clock shares. */
struct Frame {
    REAL x, y, width, height; /* the area */
    REAL cx, cy, radius;      /* the largest centred circle, with a margin */
};

static Frame MakeFrame(const RECT *area)
{
    Frame f;
    f.x = (REAL)area->left;
    f.y = (REAL)area->top;
    f.width = (REAL)(area->right - area->left);
    f.height = (REAL)(area->bottom - area->top);
    f.cx = f.x + f.width / 2;
    f.cy = f.y + f.height / 2;
    f.radius = (f.width < f.height ? f.width : f.height) * 0.44f;
    return f;
}

static void FillBackground(Graphics &g, const Frame &f, const Color &top, const Color &bottom)
{
    LinearGradientBrush brush(PointF(0, f.y - 1), PointF(0, f.y + f.height + 1), top, bottom);
    g.FillRectangle(&brush, f.x, f.y, f.width, f.height);
}

/* A point at angle (0 = twelve o'clock, clockwise, in turns) and distance from the centre. */
static PointF Polar(const Frame &f, REAL turns, REAL distance)
{
    REAL angle = turns * 2 * Pi;
    return PointF(f.cx + distance * sinf(angle), f.cy - distance * cosf(angle));
}

static void DrawHand(Graphics &g, const Frame &f, REAL turns, REAL length, REAL tail, REAL width, const Color &colour)
{
    Pen pen(colour, width);
    pen.SetStartCap(LineCapRound);
    pen.SetEndCap(LineCapRound);
    g.DrawLine(&pen, Polar(f, turns + 0.5f, tail), Polar(f, turns, length));
}

struct HandTurns {
    REAL hour, minute, second;
};

static HandTurns TurnsOf(const SYSTEMTIME *t)
{
    HandTurns h;
    h.second = t->wSecond / 60.0f;
    h.minute = (t->wMinute + t->wSecond / 60.0f) / 60.0f;
    h.hour = ((t->wHour % 12) + h.minute) / 12.0f;
    return h;
}

static void DrawClassicFace(Graphics &g, const Frame &f)
{
    FillBackground(g, f, Color(255, 28, 44, 72), Color(255, 10, 16, 30));
    SolidBrush rim(Color(255, 150, 160, 175)), face(Color(255, 250, 250, 246));
    g.FillEllipse(&rim, f.cx - f.radius, f.cy - f.radius, 2 * f.radius, 2 * f.radius);
    REAL inner = f.radius * 0.93f;
    g.FillEllipse(&face, f.cx - inner, f.cy - inner, 2 * inner, 2 * inner);

    Pen minorTick(Color(255, 90, 90, 90), f.radius * 0.012f + 0.5f);
    Pen majorTick(Color(255, 30, 30, 30), f.radius * 0.045f + 1);
    for (int i = 0; i < 60; i++) {
        BOOL major = i % 5 == 0;
        g.DrawLine(major ? &majorTick : &minorTick, Polar(f, i / 60.0f, inner * (major ? 0.80f : 0.90f)),
                   Polar(f, i / 60.0f, inner * 0.96f));
    }
}

static void DrawClassicHands(Graphics &g, const Frame &f, const SYSTEMTIME *t, const ClockSettings *s)
{
    REAL inner = f.radius * 0.93f;
    HandTurns h = TurnsOf(t);
    Color dark(255, 25, 25, 30);
    DrawHand(g, f, h.hour, inner * 0.52f, inner * 0.10f, f.radius * 0.075f + 1, dark);
    DrawHand(g, f, h.minute, inner * 0.78f, inner * 0.12f, f.radius * 0.05f + 1, dark);
    if (s->seconds)
        DrawHand(g, f, h.second, inner * 0.86f, inner * 0.18f, f.radius * 0.018f + 1, Color(255, 210, 30, 30));
    SolidBrush cap(s->seconds ? Color(255, 210, 30, 30) : dark);
    REAL c = f.radius * 0.05f + 1.5f;
    g.FillEllipse(&cap, f.cx - c, f.cy - c, 2 * c, 2 * c);
}

static void DrawMinimalFace(Graphics &g, const Frame &f)
{
    FillBackground(g, f, Color(255, 0, 0, 0), Color(255, 0, 0, 0));
    SolidBrush dot(Color(255, 120, 120, 120)), bigDot(Color(255, 235, 235, 235));
    for (int i = 0; i < 12; i++) {
        REAL size = (i % 3 == 0 ? 0.045f : 0.025f) * f.radius + 1;
        PointF p = Polar(f, i / 12.0f, f.radius * 0.95f);
        g.FillEllipse(i % 3 == 0 ? &bigDot : &dot, p.X - size, p.Y - size, 2 * size, 2 * size);
    }
}

static void DrawMinimalHands(Graphics &g, const Frame &f, const SYSTEMTIME *t, const ClockSettings *s)
{
    HandTurns h = TurnsOf(t);
    Color white(255, 240, 240, 240);
    DrawHand(g, f, h.hour, f.radius * 0.50f, 0, f.radius * 0.06f + 1, white);
    DrawHand(g, f, h.minute, f.radius * 0.80f, 0, f.radius * 0.035f + 1, white);
    if (s->seconds)
        DrawHand(g, f, h.second, f.radius * 0.88f, f.radius * 0.12f, f.radius * 0.012f + 1, Color(255, 255, 140, 0));
}

/* Seven-segment figures: segments a to g as bits 0 to 6. */
static const BYTE DigitSegments[10] = {63, 6, 91, 79, 102, 109, 125, 7, 127, 111};

static void AddSegment(GraphicsPath &path, REAL x, REAL y, REAL length, REAL thickness, BOOL vertical)
{
    REAL h = thickness / 2;
    PointF p[6];
    if (!vertical) {
        p[0] = PointF(x, y); p[1] = PointF(x + h, y - h); p[2] = PointF(x + length - h, y - h);
        p[3] = PointF(x + length, y); p[4] = PointF(x + length - h, y + h); p[5] = PointF(x + h, y + h);
    } else {
        p[0] = PointF(x, y); p[1] = PointF(x + h, y + h); p[2] = PointF(x + h, y + length - h);
        p[3] = PointF(x, y + length); p[4] = PointF(x - h, y + length - h); p[5] = PointF(x - h, y + h);
    }
    path.AddPolygon(p, 6);
    path.CloseFigure();
}

/* One figure in the box (x, y, w, h); digit -1 leaves it dark. Unlit segments show faintly. */
static void DrawDigit(Graphics &g, REAL x, REAL y, REAL w, REAL h, int digit, const Color &lit, const Color &unlit)
{
    REAL t = w * 0.2f, gap = t * 0.12f;
    REAL left = x + t / 2, right = x + w - t / 2, top = y + t / 2, middle = y + h / 2, bottom = y + h - t / 2;
    struct { REAL x, y, length; BOOL vertical; } segment[7] = {
        {left + gap, top, right - left - 2 * gap, FALSE},       /* a */
        {right, top + gap, middle - top - 2 * gap, TRUE},       /* b */
        {right, middle + gap, bottom - middle - 2 * gap, TRUE}, /* c */
        {left + gap, bottom, right - left - 2 * gap, FALSE},    /* d */
        {left, middle + gap, bottom - middle - 2 * gap, TRUE},  /* e */
        {left, top + gap, middle - top - 2 * gap, TRUE},        /* f */
        {left + gap, middle, right - left - 2 * gap, FALSE},    /* g */
    };
    GraphicsPath on, off;
    BYTE mask = digit >= 0 && digit <= 9 ? DigitSegments[digit] : 0;
    for (int i = 0; i < 7; i++)
        AddSegment(mask >> i & 1 ? on : off, segment[i].x, segment[i].y, segment[i].length, t, segment[i].vertical);
    SolidBrush litBrush(lit), unlitBrush(unlit);
    g.FillPath(&unlitBrush, &off);
    g.FillPath(&litBrush, &on);
}

static void DrawColon(Graphics &g, REAL x, REAL y, REAL w, REAL h, const Color &colour)
{
    SolidBrush brush(colour);
    REAL d = w * 0.55f;
    g.FillEllipse(&brush, x + (w - d) / 2, y + h * 0.30f - d / 2, d, d);
    g.FillEllipse(&brush, x + (w - d) / 2, y + h * 0.70f - d / 2, d, d);
}

/* The figures shown for the hour: two digits, the first blank for 1 to 9 on a 12-hour clock. */
static void HourDigits(const SYSTEMTIME *t, const ClockSettings *s, int *tens, int *ones)
{
    int hour = t->wHour;
    if (!s->hours24) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    *tens = hour / 10;
    *ones = hour % 10;
    if (!s->hours24 && *tens == 0)
        *tens = -1;
}

/*
 * "HH:MM" and, with seconds, ":SS" in figures a third smaller, centred on (cx, cy) within the
 * given width and height. Returns the height of the large figures.
 */
static REAL DrawDigitalTime(Graphics &g, REAL cx, REAL cy, REAL width, REAL height, const SYSTEMTIME *t,
                            const ClockSettings *s, const Color &lit, const Color &unlit)
{
    const REAL space = 0.22f, colon = 0.42f, small = 0.62f;
    REAL units = 4 + 3 * space + colon + 2 * space;
    if (s->seconds)
        units += colon + 2 * space + 2 * small + space * small;
    REAL w = width / units, h = w * 1.75f;
    if (h > height) {
        h = height;
        w = h / 1.75f;
    }
    REAL x = cx - units * w / 2, y = cy - h / 2;
    int tens, ones;
    HourDigits(t, s, &tens, &ones);
    int figures[4] = {tens, ones, t->wMinute / 10, t->wMinute % 10};
    for (int i = 0; i < 4; i++) {
        DrawDigit(g, x, y, w, h, figures[i], lit, unlit);
        x += w + space * w;
        if (i == 1) {
            DrawColon(g, x, y, colon * w, h, lit);
            x += colon * w + space * w;
        }
    }
    if (s->seconds) {
        REAL sw = w * small, sh = h * small, sy = y + h - sh;
        DrawColon(g, x, sy, colon * w, sh, lit);
        x += colon * w + space * w;
        DrawDigit(g, x, sy, sw, sh, t->wSecond / 10, lit, unlit);
        DrawDigit(g, x + sw + space * sw, sy, sw, sh, t->wSecond % 10, lit, unlit);
    }
    return h;
}

static void DrawText(HDC dc, const char *text, int x, int y, int height, COLORREF colour, UINT align)
{
    HFONT font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma");
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    SetTextAlign(dc, align);
    TextOutA(dc, x, y, text, lstrlenA(text));
    SelectObject(dc, previous);
    DeleteObject(font);
}

static void DrawMeridiem(HDC dc, const Frame &f, const SYSTEMTIME *t, const ClockSettings *s, REAL y, COLORREF c)
{
    if (!s->hours24)
        DrawText(dc, t->wHour < 12 ? "AM" : "PM", (int)f.cx, (int)y, (int)(f.height * 0.06f) + 6, c, TA_CENTER);
}

static void DrawDigital(HDC dc, const Frame &f, const SYSTEMTIME *t, const ClockSettings *s)
{
    REAL digits;
    {
        Graphics g(dc);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        digits = DrawDigitalTime(g, f.cx, f.cy, f.width * 0.88f, f.height * 0.42f, t, s, Color(255, 60, 220, 255),
                                 Color(28, 60, 220, 255));
    }
    DrawMeridiem(dc, f, t, s, f.cy + digits / 2 + f.height * 0.04f, RGB(60, 220, 255));
}

static void DrawDigitalDate(HDC dc, const Frame &f, const SYSTEMTIME *t, const ClockSettings *s)
{
    REAL digits;
    {
        Graphics g(dc);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        digits = DrawDigitalTime(g, f.cx, f.cy - f.height * 0.08f, f.width * 0.80f, f.height * 0.34f, t, s,
                                 Color(255, 255, 196, 90), Color(24, 255, 196, 90));
    }
    char date[128];
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, t, NULL, date, sizeof(date)))
        _snprintf(date, sizeof(date), "%04u-%02u-%02u", t->wYear, t->wMonth, t->wDay);
    date[sizeof(date) - 1] = '\0';
    REAL below = f.cy - f.height * 0.08f + digits / 2 + f.height * 0.06f;
    DrawText(dc, date, (int)f.cx, (int)below, (int)(f.height * 0.075f) + 5, RGB(235, 225, 240), TA_CENTER);
    DrawMeridiem(dc, f, t, s, below + f.height * 0.11f, RGB(255, 196, 90));
}

/* A flip card with two figures, split across the middle. */
static void DrawCard(Graphics &g, REAL x, REAL y, REAL w, REAL h, int tens, int ones)
{
    GraphicsPath card;
    REAL r = w * 0.08f;
    card.AddArc(x, y, 2 * r, 2 * r, 180, 90);
    card.AddArc(x + w - 2 * r, y, 2 * r, 2 * r, 270, 90);
    card.AddArc(x + w - 2 * r, y + h - 2 * r, 2 * r, 2 * r, 0, 90);
    card.AddArc(x, y + h - 2 * r, 2 * r, 2 * r, 90, 90);
    card.CloseFigure();
    LinearGradientBrush fill(PointF(0, y - 1), PointF(0, y + h + 1), Color(255, 58, 58, 62), Color(255, 26, 26, 28));
    g.FillPath(&fill, &card);
    REAL dw = w * 0.33f, dh = h * 0.70f, dy = y + (h - dh) / 2;
    Color lit(255, 238, 238, 230), unlit(0, 0, 0, 0);
    DrawDigit(g, x + w * 0.5f - dw - w * 0.05f, dy, dw, dh, tens, lit, unlit);
    DrawDigit(g, x + w * 0.5f + w * 0.05f, dy, dw, dh, ones, lit, unlit);
    Pen split(Color(255, 10, 10, 10), h * 0.025f + 1);
    g.DrawLine(&split, x, y + h / 2, x + w, y + h / 2);
}

static void DrawFlip(HDC dc, const Frame &f, const SYSTEMTIME *t, const ClockSettings *s)
{
    REAL bottom;
    {
        Graphics g(dc);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        int cards = s->seconds ? 3 : 2;
        REAL gap = 0.12f;
        REAL w = f.width * 0.86f / (cards + (cards - 1) * gap), h = w * 0.9f;
        if (h > f.height * 0.6f) {
            h = f.height * 0.6f;
            w = h / 0.9f;
        }
        REAL x = f.cx - (cards * w + (cards - 1) * gap * w) / 2, y = f.cy - h / 2;
        int tens, ones;
        HourDigits(t, s, &tens, &ones);
        DrawCard(g, x, y, w, h, tens, ones);
        DrawCard(g, x + w * (1 + gap), y, w, h, t->wMinute / 10, t->wMinute % 10);
        if (s->seconds)
            DrawCard(g, x + 2 * w * (1 + gap), y, w, h, t->wSecond / 10, t->wSecond % 10);
        bottom = y + h;
    }
    DrawMeridiem(dc, f, t, s, bottom + f.height * 0.04f, RGB(230, 230, 225));
}

static const Color RingColours[3] = {Color(255, 255, 80, 120), Color(255, 120, 230, 90), Color(255, 70, 170, 255)};
static const REAL RingRadii[3] = {0.95f, 0.78f, 0.61f};

static void DrawRingsFace(Graphics &g, const Frame &f)
{
    FillBackground(g, f, Color(255, 6, 10, 16), Color(255, 0, 0, 0));
    for (int i = 0; i < 3; i++) {
        const Color &c = RingColours[i];
        Pen track(Color(40, c.GetR(), c.GetG(), c.GetB()), f.radius * 0.10f + 1);
        REAL radius = f.radius * RingRadii[i];
        g.DrawEllipse(&track, f.cx - radius, f.cy - radius, 2 * radius, 2 * radius);
    }
}

static void DrawRing(Graphics &g, const Frame &f, REAL radius, REAL width, REAL fraction, const Color &colour)
{
    if (fraction <= 0)
        return;
    Pen arc(colour, width);
    arc.SetStartCap(LineCapRound);
    arc.SetEndCap(LineCapRound);
    g.DrawArc(&arc, f.cx - radius, f.cy - radius, 2 * radius, 2 * radius, -90, fraction * 360);
}

static void DrawRingsTime(Graphics &g, const Frame &f, const SYSTEMTIME *t, const ClockSettings *s)
{
    REAL width = f.radius * 0.10f + 1;
    REAL hours = s->hours24 ? (t->wHour + t->wMinute / 60.0f) / 24 : ((t->wHour % 12) + t->wMinute / 60.0f) / 12;
    REAL fractions[3] = {s->seconds ? t->wSecond / 60.0f : 0, t->wMinute / 60.0f, hours};
    for (int i = 0; i < 3; i++)
        DrawRing(g, f, f.radius * RingRadii[i], width, fractions[i], RingColours[i]);
    ClockSettings inner = *s;
    inner.seconds = FALSE;
    DrawDigitalTime(g, f.cx, f.cy, f.radius * 0.80f, f.radius * 0.40f, t, &inner, Color(255, 235, 235, 235),
                    Color(18, 235, 235, 235));
}

void DrawClockFace(HDC dc, const RECT *area, const ClockSettings *settings)
{
    Frame f = MakeFrame(area);
    if (f.width <= 0 || f.height <= 0)
        return;
    Graphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    switch (settings->type) {
    case ClockMinimal:
        DrawMinimalFace(g, f);
        break;
    case ClockDigital:
        FillBackground(g, f, Color(255, 0, 0, 0), Color(255, 0, 12, 20));
        break;
    case ClockDigitalDate:
        FillBackground(g, f, Color(255, 36, 18, 48), Color(255, 8, 4, 14));
        break;
    case ClockFlip:
        FillBackground(g, f, Color(255, 70, 74, 80), Color(255, 30, 32, 36));
        break;
    case ClockRings:
        DrawRingsFace(g, f);
        break;
    default:
        DrawClassicFace(g, f);
        break;
    }
}

void DrawClockTime(HDC dc, const RECT *area, const SYSTEMTIME *time, const ClockSettings *settings)
{
    Frame f = MakeFrame(area);
    if (f.width <= 0 || f.height <= 0)
        return;
    switch (settings->type) {
    case ClockDigital:
        DrawDigital(dc, f, time, settings);
        return;
    case ClockDigitalDate:
        DrawDigitalDate(dc, f, time, settings);
        return;
    case ClockFlip:
        DrawFlip(dc, f, time, settings);
        return;
    }
    Graphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    switch (settings->type) {
    case ClockMinimal:
        DrawMinimalHands(g, f, time, settings);
        break;
    case ClockRings:
        DrawRingsTime(g, f, time, settings);
        break;
    default:
        DrawClassicHands(g, f, time, settings);
        break;
    }
}

void DrawClock(HDC dc, const RECT *area, const SYSTEMTIME *time, const ClockSettings *settings)
{
    DrawClockFace(dc, area, settings);
    DrawClockTime(dc, area, time, settings);
}
