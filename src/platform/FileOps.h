#pragma once

#include <QByteArray>
#include <QString>

// File operations the document needs beyond Qt's: the platform's existence test, a move that
// never replaces a file, and writing through a flushed temporary file.

// True when path names a file: symbolic links are followed, folders are not files.
bool FileExists(const QString &path);

// Moves (renames) from to to within one file system; fails when to already exists, and
// never replaces it. Returns whether the move happened.
bool MoveFileNoReplace(const QString &from, const QString &to);

// Writes bytes to a new temporary file in the folder of path, flushed to disk, with the access
// rights of path when it exists, and returns the temporary file's name. A path that exists but
// may not be written is refused. On failure nothing is left behind and EAppError
// "Impossible de créer le fichier "<path>". <reason>" is raised.
QString WriteTempFileBeside(const QString &path, const QByteArray &bytes);

// Renames from onto to, replacing to, and flushes the folder. On failure *error holds the
// system's message and nothing has changed.
bool ReplaceFileWith(const QString &from, const QString &to, QString *error);

// The message the document raises when it cannot create path.
QString CannotCreateMessage(const QString &path, const QString &reason);
