#pragma once

#include <QString>

// File-name rules of the Windows run-time library; "\", "/" and ":" all end a folder part.
// The last part of path: the text after its last "\", "/" or ":".
QString ExtractFileName(const QString &path);
// path with the extension of its last part replaced by ext (which starts with its point), or
// followed by ext when the last part has none.
QString ChangeFileExt(const QString &path, const QString &ext);
