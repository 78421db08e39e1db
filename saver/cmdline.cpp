#include "cmdline.h"

static const char *SkipSpaces(const char *p)
{
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

/*
 * A handle is written as a decimal number, signed when the installer prints it with "%d".
 * Anything that is not such a number gives no handle.
 */
static HWND ParseWindowHandle(const char *p)
{
    BOOL negative = FALSE;
    unsigned long long value = 0;

    p = SkipSpaces(p);
    if (*p == ':')
        p = SkipSpaces(p + 1);
    if (*p == '-') {
        negative = TRUE;
        p++;
    }
    if (*p < '0' || *p > '9')
        return NULL;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (unsigned)(*p - '0');
        if (value > 0xFFFFFFFFull)
            return NULL;
        p++;
    }
    if (*SkipSpaces(p) != '\0')
        return NULL;
    /* Window handles are 32-bit values, sign-extended in 64-bit processes. */
    int handle = (int)(unsigned)(negative ? 0u - (unsigned)value : (unsigned)value);
    return (HWND)(INT_PTR)handle;
}

SaverCommand ParseSaverCommand(const char *commandLine)
{
    SaverCommand command = {SaverSettings, NULL};
    const char *p = SkipSpaces(commandLine ? commandLine : "");

    if (*p == '/' || *p == '-')
        p++;
    switch (*p) {
    case 's':
    case 'S':
        command.mode = SaverFullScreen;
        break;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        command.window = ParseWindowHandle(p + 1);
        command.mode = command.window ? SaverPreview : SaverInvalid;
        break;
    case 'a':
    case 'A':
        command.mode = SaverPassword;
        break;
    case 'c':
    case 'C':
        command.window = ParseWindowHandle(p + 1);
        break;
    }
    return command;
}
