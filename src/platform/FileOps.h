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

// What a file held when it was looked at, to tell later whether another program changed it.
struct FileFingerprint {
    bool Exists = false;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;
    size_t ContentHash = 0;
    bool operator==(const FileFingerprint &) const = default;
};

// Reads path (without blocking on anything that is not a regular file) into a fingerprint.
// A file that cannot be read gives a fingerprint of its size and time alone.
FileFingerprint FingerprintOf(const QString &path);
// path with symbolic links resolved when it exists, else made absolute: one spelling per file.
QString ResolvedFilePath(const QString &path);
