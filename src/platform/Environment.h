#pragma once

#include <QString>

// Where the Windows folder lies. Off Windows: WINDIR when set, else the Windows folder of the
// user's Wine prefix ($WINEPREFIX, or ~/.wine). Always ends in exactly one '/'.
QString GetWindowsDir();
// Value of the environment variable, or empty text when it is unset, empty or 260 characters
// or longer (such values do not fit the platform's path-sized buffer and count as unset).
QString GetEnvVar(const QString &name);
