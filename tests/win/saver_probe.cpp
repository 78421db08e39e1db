/*
 * Runs the screen saver's window-free parts inside Wine for the tests: the command-line parser,
 * the settings and the clocks' drawing into a memory bitmap. One command per line of the script:
 *
 *     parse <command line>                       -> "mode <n> window <signed handle>"
 *     load                                       -> "settings <type> <24-hour> <seconds>"
 *     save <type> <24-hour> <seconds>            -> "saved <0|1>"
 *     draw <type> <24h> <secs> <w> <h> <hh> <mm> <ss> <file.bmp>   -> "drawn <file>"
 *
 *     saver_probe.exe RESULT-FILE SCRIPT-FILE
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "clock.h"
#include "cmdline.h"
#include "settings.h"

static BOOL WriteBitmap(const char *path, HBITMAP bitmap, const void *bits, int width, int height)
{
    (void)bitmap;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    DWORD size = (DWORD)width * height * 4;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + size;
    FILE *out = fopen(path, "wb");
    if (!out)
        return FALSE;
    fwrite(&file, sizeof(file), 1, out);
    fwrite(&info, sizeof(info), 1, out);
    fwrite(bits, 1, size, out);
    return fclose(out) == 0;
}

static void Draw(FILE *out, const char *arguments)
{
    ClockSettings settings;
    int width, height, hour, minute, second, hours24, seconds;
    char path[MAX_PATH];
    if (sscanf(arguments, "%d %d %d %d %d %d %d %d %259s", &settings.type, &hours24, &seconds, &width, &height, &hour,
               &minute, &second, path) != 9) {
        fprintf(out, "error draw\n");
        return;
    }
    settings.hours24 = hours24;
    settings.seconds = seconds;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 11;
    time.wDayOfWeek = 5;
    time.wHour = (WORD)hour;
    time.wMinute = (WORD)minute;
    time.wSecond = (WORD)second;
    RECT area = {0, 0, width, height};
    DrawClock(dc, &area, &time, &settings);
    GdiFlush();
    fprintf(out, WriteBitmap(path, bitmap, bits, width, height) ? "drawn %s\n" : "error write %s\n", path);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

int main(int argc, char **argv)
{
    static char line[1024];
    FILE *out, *script;
    if (argc != 3 || !(out = fopen(argv[1], "w")) || !(script = fopen(argv[2], "r")))
        return 2;
    StartClockDrawing();
    while (fgets(line, sizeof(line), script)) {
        line[strcspn(line, "\r\n")] = '\0';
        char *rest = strchr(line, ' ');
        rest = rest ? rest + 1 : line + strlen(line);
        if (!strncmp(line, "parse", 5)) {
            SaverCommand command = ParseSaverCommand(rest);
            fprintf(out, "mode %d window %d\n", (int)command.mode, (int)(INT_PTR)command.window);
        } else if (!strcmp(line, "load")) {
            ClockSettings settings;
            LoadClockSettings(&settings);
            fprintf(out, "settings %d %d %d\n", settings.type, settings.hours24 ? 1 : 0, settings.seconds ? 1 : 0);
        } else if (!strncmp(line, "save", 4)) {
            ClockSettings settings;
            int hours24 = 0, seconds = 0;
            sscanf(rest, "%d %d %d", &settings.type, &hours24, &seconds);
            settings.hours24 = hours24;
            settings.seconds = seconds;
            fprintf(out, "saved %d\n", SaveClockSettings(&settings) ? 1 : 0);
        } else if (!strncmp(line, "draw", 4)) {
            Draw(out, rest);
        }
        fflush(out);
    }
    StopClockDrawing();
    fprintf(out, "done\n");
    fclose(out);
    return 0;
}
