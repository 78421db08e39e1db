/*
 * Stands in for a program that the installer starts (the web browser, rundll32): appends its
 * own command line as one line to a .log file beside itself, and exits.
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(void)
{
    char log[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(NULL, log, MAX_PATH);
    char *dot = strrchr(log, '.');

    if (length == 0 || length >= MAX_PATH || !dot)
        return 1;
    strcpy(dot, ".log");
    FILE *out = fopen(log, "ab");
    if (!out)
        return 1;
    fprintf(out, "%s\n", GetCommandLineA());
    fclose(out);
    return 0;
}
