/*
 * The saver's settings live under HKEY_CURRENT_USER in a key of the product's own, not keyed on
 * the program's path: Windows starts screen savers by their short 8.3 name, the Display control
 * panel by the long one.
 */
#include <windows.h>

#include "settings.h"

static const char SettingsKey[] = "Software\\Morvell\\QK Screensaver";
static const char TypeValue[] = "ClockType";
static const char Hours24Value[] = "24HourTime";
static const char SecondsValue[] = "ShowSeconds";

void DefaultClockSettings(ClockSettings *settings)
{
    settings->type = ClockClassic;
    settings->hours24 = TRUE;
    settings->seconds = TRUE;
}

/* A DWORD value no greater than limit, or nothing. */
static BOOL ReadSetting(HKEY key, const char *name, DWORD limit, DWORD *value)
{
    DWORD type = 0, read = 0, size = sizeof(read);

    if (RegQueryValueExA(key, name, NULL, &type, (BYTE *)&read, &size) != ERROR_SUCCESS)
        return FALSE;
    if (type != REG_DWORD || size != sizeof(read) || read > limit)
        return FALSE;
    *value = read;
    return TRUE;
}

void LoadClockSettings(ClockSettings *settings)
{
    HKEY key;
    DWORD value;

    DefaultClockSettings(settings);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    if (ReadSetting(key, TypeValue, ClockTypeCount - 1, &value))
        settings->type = (int)value;
    if (ReadSetting(key, Hours24Value, 1, &value))
        settings->hours24 = value != 0;
    if (ReadSetting(key, SecondsValue, 1, &value))
        settings->seconds = value != 0;
    RegCloseKey(key);
}

static BOOL WriteSetting(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof(value)) == ERROR_SUCCESS;
}

BOOL SaveClockSettings(const ClockSettings *settings)
{
    HKEY key;
    BOOL saved;

    if (RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return FALSE;
    saved = WriteSetting(key, TypeValue, (DWORD)settings->type) &&
            WriteSetting(key, Hours24Value, settings->hours24 ? 1 : 0) &&
            WriteSetting(key, SecondsValue, settings->seconds ? 1 : 0);
    RegCloseKey(key);
    return saved;
}
