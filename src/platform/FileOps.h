#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// File operations the document needs beyond Qt's: the platform's existence test, reading only
// regular files without ever blocking, and replacing a file so that its path always holds the
// complete old or the complete new file, with a backup of the old one.

// True when path names something that is not a folder: symbolic links are followed. A FIFO or
// a device counts, so that opening it reports what it is instead of passing over it.
bool FileExists(const QString &path);

// The whole content of path, which must be a regular file (symbolic links are followed).
// Nothing here blocks: a FIFO, socket, device or folder is refused at once, without reading it.
// What a file held when it was looked at, to tell later whether another program changed it.
struct FileFingerprint {
    bool Exists = false;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;
    size_t ContentHash = 0;
    bool operator==(const FileFingerprint &) const = default;
};

struct TFileRead {
    enum class Status { Loaded, Missing, Failed };
    Status status = Status::Missing;
    QByteArray bytes;
    QString error; // the reason when not Loaded: the system's message or what the path names
    // Size and time from before the read, with the content read: a change made while it was
    // read shows at the next look. As FingerprintOf where nothing could be read.
    FileFingerprint print;
};
TFileRead ReadRegularFile(const QString &path);

// The end of a chain of symbolic links starting at path, or path itself when it is no link.
// A link's target need not exist. The folder of a followed link's target is made absolute.
QString FollowLinks(const QString &path);

struct TReplaceResult {
    QString target;       // the file written: path with its symbolic links followed
    QString backup;       // where the previous version is kept; empty when there was none
    bool inPlace = false; // rewritten in place, because its owner could not be kept otherwise
};

// Gives the first-choice backup path of the file target (the end of the link chain). When that
// path is taken, "-2", "-3", ... are appended until a free name is found.
using TBackupNamer = std::function<QString(const QString &target)>;

// Replaces the content of path by bytes. Symbolic links are followed: the link stays and the
// file it ends at is replaced. The bytes go to a flushed temporary file beside that file, which
// takes the file's mode, owner and group, and is renamed over it; the folder is flushed. With
// a backupNamer, an existing file is first kept under the backup name: a hard link to it where
// the file system allows, else a flushed copy; a file is never moved away, so the path always
// holds the complete old or the complete new file. When the owner cannot be kept (another
// user's file in a folder we may write), the file is rewritten in place after the copy exists.
// Stale temporary files of this naming older than a day are removed from the folder first.
// Errors (EAppError): "Impossible de créer le fichier "<path>". <reason>" when nothing could be
// written, with the file untouched and nothing left behind; a message saying that no backup
// could be made (file untouched); for a failure while rewriting in place, a message naming the
// backup that holds the previous version.
TReplaceResult ReplaceFile(const QString &path, const QByteArray &bytes, const TBackupNamer &backupNamer);

// The messages the document raises when it cannot open or create path.
QString CannotOpenMessage(const QString &path, const QString &reason);
QString CannotCreateMessage(const QString &path, const QString &reason);

// Reads path (without blocking on anything that is not a regular file) into a fingerprint.
// A file that cannot be read gives a fingerprint of its size and time alone.
FileFingerprint FingerprintOf(const QString &path);
// path with symbolic links resolved when it exists, else made absolute: one spelling per file.
QString ResolvedFilePath(const QString &path);

// Makes a file-size limit (ulimit -f) a write error (EFBIG) instead of a signal that ends the
// process without a word. Called first thing by the programs.
void IgnoreFileSizeSignal();

// Test seam: lets tests fail or crash ReplaceFile between its steps, and pretend that the file
// system has no hard links. The programs leave it alone.
namespace FileOpsTestSeam {
enum class Step {
    TempWritten, // the temporary file is complete and flushed
    BackupMade,  // the backup exists and is flushed
    Renamed,     // the temporary file has the file's name
    Done,        // the folder is flushed, or the in-place rewrite is complete
};
// Called after each step; may throw (a failure there) or end the process (a crash there).
extern std::function<void(Step)> AfterStep;
// When set, making a hard link fails as on a file system without them.
extern bool NoHardLinks;
} // namespace FileOpsTestSeam
