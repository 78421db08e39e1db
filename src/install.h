#ifndef QK_INSTALL_H
#define QK_INSTALL_H

#include <windows.h>

void InstallScreenSaver(const char *source);
int GetSpecialFolderPath(char *path, int folder);

#endif
