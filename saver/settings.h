#ifndef QK_SAVER_SETTINGS_H
#define QK_SAVER_SETTINGS_H

#include "clock.h"

/* Per user, under a key of the product's own; missing or invalid values give the defaults. */
void LoadClockSettings(ClockSettings *settings);
BOOL SaveClockSettings(const ClockSettings *settings);
void DefaultClockSettings(ClockSettings *settings);

#endif
