#include "platform/FileOps.h"

#include "platform/AppError.h"
#include "platform/LargeBuffers.h"

#include <QFileInfo>
#include <QHashFunctions>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileOpsTestSeam {
std::function<void(Step)> AfterStep;
bool NoHardLinks = false;
} // namespace FileOpsTestSeam

namespace {
using FileOpsTestSeam::Step;

QByteArray native(const QString &path) {
    return QFile::encodeName(path);
}

void after(Step step) {
    if (FileOpsTestSeam::AfterStep)
        FileOpsTestSeam::AfterStep(step);
}

QString systemMessage(int err) {
    QString text = QString::fromLocal8Bit(std::strerror(err));
    rlimit limit{};
    if (err == EFBIG && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        text += QStringLiteral(" (the file-size limit of this process, ulimit -f, is %1 bytes)")
                    .arg(qulonglong(limit.rlim_cur));
    return text;
}

// Why a path of this kind is neither read nor written; empty for a regular file.
QString kindReason(mode_t mode) {
    if (S_ISREG(mode))
        return QString();
    if (S_ISDIR(mode))
        return QStringLiteral("Is a directory");
    if (S_ISFIFO(mode))
        return QStringLiteral("Is a named pipe (FIFO), not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("Is a socket, not a regular file");
    if (S_ISCHR(mode))
        return QStringLiteral("Is a character device, not a regular file");
    if (S_ISBLK(mode))
        return QStringLiteral("Is a block device, not a regular file");
    return QStringLiteral("Is not a regular file");
}

// A file descriptor closed however the scope ends.
struct TFd {
    int fd = -1;
    explicit TFd(int f = -1) : fd(f) {}
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    ~TFd() {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes now and returns the error of close, 0 when none.
    int Close() {
        const int f = fd;
        fd = -1;
        return f >= 0 && ::close(f) != 0 ? errno : 0;
    }
};

// A file this save made, removed when the save fails before it is settled.
struct TMadeFile {
    QByteArray name;
    bool keep = false;
    TMadeFile() = default;
    TMadeFile(const TMadeFile &) = delete;
    TMadeFile &operator=(const TMadeFile &) = delete;
    ~TMadeFile() {
        if (!name.isEmpty() && !keep)
            ::unlink(name.constData());
    }
};

int writeAll(int fd, const QByteArray &bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            return errno;
        if (n > 0)
            done += n;
    }
    return 0;
}

// Reads an open file to its end, straight into bytes: the size the file had is a hint, since it
// may grow or shrink while it is read.
int readAll(int fd, qint64 sizeHint, QByteArray *bytes) {
    qsizetype done = 0;
    *bytes = QByteArray(qsizetype(qBound<qint64>(0, sizeHint, qint64(1) << 30)) + 1, Qt::Uninitialized);
    AdviseLargeBuffer(*bytes);
    for (;;) {
        if (done == bytes->size()) {
            bytes->resize(done + std::max<qsizetype>(65536, done / 2));
            AdviseLargeBuffer(*bytes);
        }
        const ssize_t n = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes->clear();
            return errno;
        }
        if (n == 0) {
            bytes->resize(done);
            return 0;
        }
        done += qsizetype(n);
    }
}

// Writes bytes over the start of an open file and cuts it there, flushed.
int rewriteFrom0(int fd, const QByteArray &bytes) {
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return errno;
    if (const int err = writeAll(fd, bytes))
        return err;
    if (::ftruncate(fd, off_t(bytes.size())) != 0)
        return errno;
    return ::fsync(fd) != 0 ? errno : 0;
}

// Flushes the folder's entries (new names, renames). Some file systems cannot flush a folder
// and say so; the entries are then as safe as those file systems make them.
void syncFolder(const QString &folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString temporaryName(const QString &folder, const QString &fileName) {
    return folder + u"/." + fileName + u'.' + QString::number(QRandomGenerator::global()->generate(), 36) +
           u".tmp";
}

// ".NAME.<1 to 7 of 0-9 a-z>.tmp": the shape of temporaryName for this file name.
bool isOurTemporaryName(const char *entry, const QByteArray &fileName) {
    const size_t len = std::strlen(entry), nameLen = size_t(fileName.size());
    if (len < nameLen + 7 || entry[0] != '.' || std::memcmp(entry + 1, fileName.constData(), nameLen) != 0 ||
        entry[nameLen + 1] != '.' || std::strcmp(entry + len - 4, ".tmp") != 0)
        return false;
    const size_t from = nameLen + 2, to = len - 4;
    if (to <= from || to - from > 7)
        return false;
    for (size_t i = from; i < to; ++i)
        if (!((entry[i] >= '0' && entry[i] <= '9') || (entry[i] >= 'a' && entry[i] <= 'z')))
            return false;
    return true;
}

// Temporary files that a save of this file left behind (killed, or the machine stopped) and
// that nobody has touched for a day: regular files of this process's user only.
void removeStaleTemporaries(const QString &folder, const QString &fileName) {
    DIR *dir = ::opendir(native(folder).constData());
    if (!dir)
        return;
    const QByteArray name = native(fileName);
    const time_t dayAgo = std::time(nullptr) - 24 * 60 * 60;
    while (const dirent *e = ::readdir(dir)) {
        struct stat st {};
        if (isOurTemporaryName(e->d_name, name) &&
            ::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && st.st_mtime < dayAgo)
            ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
    ::closedir(dir);
}

QString noBackupMessage(const QString &target, const QString &backup, const QString &reason) {
    return QStringLiteral("No backup of \"%1\" could be made as \"%2\": %3. The file was not changed.")
        .arg(target, backup, reason);
}

// Keeps the file target (status st) under the first free name of base, base-2, base-3, ...:
// a hard link when allowed and possible, else a flushed copy with the file's mode, owner and
// group where they can be given, and its times. *old receives the content when it was copied.
void makeBackup(TMadeFile &made, const QString &target, const struct stat &st, const QString &base,
                bool allowLink, QByteArray *old) {
    const QByteArray source = native(target);
    bool link = allowLink && !FileOpsTestSeam::NoHardLinks;
    bool haveContent = false;
    QByteArray content;
    struct stat from = st;
    constexpr int kMaxNames = 9999;
    for (int n = 1; n <= kMaxNames; ++n) {
        const QString name = n == 1 ? base : base + u'-' + QString::number(n);
        const QByteArray backup = native(name);
        if (link) {
            if (::link(source.constData(), backup.constData()) == 0) {
                made.name = backup;
                return;
            }
            if (errno == EEXIST)
                continue;
            link = false; // no hard links here (or not for us): copy, under this same name
        }
        if (!haveContent) {
            TFd in(::open(source.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
            int err = in.fd < 0 ? errno : 0;
            if (!err && ::fstat(in.fd, &from) != 0)
                err = errno;
            if (!err && !S_ISREG(from.st_mode))
                throw EAppError(noBackupMessage(target, name, kindReason(from.st_mode)));
            if (!err)
                err = readAll(in.fd, from.st_size, &content);
            if (err)
                throw EAppError(noBackupMessage(target, name, systemMessage(err)));
            haveContent = true;
        }
        TFd out(::open(backup.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.fd < 0 && errno == EEXIST)
            continue;
        if (out.fd < 0)
            throw EAppError(noBackupMessage(target, name, systemMessage(errno)));
        made.name = backup;
        int err = writeAll(out.fd, content);
        // The copy is as private as the file: owner and group where we may, the mode always.
        if (!err && ::fchown(out.fd, from.st_uid, from.st_gid) != 0)
            (void)!::fchown(out.fd, uid_t(-1), from.st_gid);
        if (!err && ::fchmod(out.fd, from.st_mode & 07777) != 0)
            err = errno;
        if (!err) {
            const timespec times[2] = {from.st_atim, from.st_mtim};
            ::futimens(out.fd, times);
        }
        if (!err && ::fsync(out.fd) != 0)
            err = errno;
        if (const int closeErr = out.Close(); !err)
            err = closeErr;
        if (err)
            throw EAppError(noBackupMessage(target, name, systemMessage(err)));
        if (old)
            *old = std::move(content);
        return;
    }
    throw EAppError(noBackupMessage(
        target, base, QStringLiteral("every name up to \"%1-%2\" is taken").arg(base).arg(kMaxNames)));
}

// The owner cannot be kept through a new file: keep a flushed copy, then write the file itself.
TReplaceResult rewriteInPlace(const QString &path, TReplaceResult result, const struct stat &st,
                              const QByteArray &bytes, const QString &backupBase) {
    const QFileInfo info(result.target);
    TMadeFile backup;
    QByteArray old;
    makeBackup(backup, result.target, st, backupBase, false, &old);
    syncFolder(info.absolutePath());
    after(Step::BackupMade);

    TFd fd(::open(native(result.target).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.fd < 0)
        throw EAppError(CannotCreateMessage(path, systemMessage(errno)));
    struct stat now {};
    if (::fstat(fd.fd, &now) != 0 || !S_ISREG(now.st_mode))
        throw EAppError(CannotCreateMessage(path, kindReason(now.st_mode)));
    // From the first byte written on, the backup is the previous version: it stays.
    backup.keep = true;
    result.backup = QFile::decodeName(backup.name);
    int err = rewriteFrom0(fd.fd, bytes);
    if (const int closeErr = err ? 0 : fd.Close(); !err)
        err = closeErr;
    if (err) {
        const bool restored = fd.fd >= 0 && rewriteFrom0(fd.fd, old) == 0;
        const QString where = QFileInfo(path).absoluteFilePath();
        throw EAppError(
            restored
                ? QStringLiteral("Cannot write \"%1\": %2. The file was put back as it was; its previous "
                                 "version is also kept in \"%3\".")
                      .arg(where, systemMessage(err), result.backup)
                : QStringLiteral("Cannot write \"%1\": %2. The file may be incomplete; its previous version "
                                 "is kept in \"%3\".")
                      .arg(where, systemMessage(err), result.backup));
    }
    result.inPlace = true;
    after(Step::Done);
    return result;
}
} // namespace

QString CannotOpenMessage(const QString &path, const QString &reason) {
    return QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
        .arg(QFileInfo(path).absoluteFilePath(), reason);
}

QString CannotCreateMessage(const QString &path, const QString &reason) {
    return QStringLiteral("Impossible de créer le fichier \"%1\". %2")
        .arg(QFileInfo(path).absoluteFilePath(), reason);
}

bool FileExists(const QString &path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

namespace {
FileFingerprint sizeAndTime(const struct stat &st) {
    FileFingerprint print;
    print.Exists = true;
    print.Size = st.st_size;
    print.ModifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return print;
}

// A time stamp can stay the same over a quick second write; the content cannot.
size_t contentHash(QByteArrayView bytes) {
    return qHashBits(bytes.data(), size_t(bytes.size()), 0x5a17);
}
} // namespace

TFileRead ReadRegularFile(const QString &path) {
    TFileRead r;
    const QByteArray name = native(path);
    struct stat st {};
    // Looked at before it is opened: opening a FIFO waits for a writer, a device may act on it.
    if (path.isEmpty() || ::stat(name.constData(), &st) != 0) {
        const int err = path.isEmpty() ? ENOENT : errno;
        r.status = err == ENOENT || err == ENOTDIR ? TFileRead::Status::Missing : TFileRead::Status::Failed;
        r.error = systemMessage(err);
        return r;
    }
    r.print = sizeAndTime(st);
    r.status = TFileRead::Status::Failed;
    if (!S_ISREG(st.st_mode)) {
        r.error = kindReason(st.st_mode);
        return r;
    }
    // Without blocking, and checked again once open: the path may have changed in between.
    TFd fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.fd < 0) {
        r.error = systemMessage(errno);
        return r;
    }
    if (::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r.error = kindReason(st.st_mode);
        return r;
    }
    r.print = sizeAndTime(st);
    if (const int err = readAll(fd.fd, st.st_size, &r.bytes)) {
        r.bytes.clear();
        r.error = systemMessage(err);
        return r;
    }
    r.print.Size = r.bytes.size();
    r.print.ContentHash = contentHash(r.bytes);
    r.status = TFileRead::Status::Loaded;
    return r;
}

QString FollowLinks(const QString &path) {
    QString p = path;
    bool followed = false;
    for (int hops = 0; hops < 40; ++hops) { // the system's own limit for a chain
        struct stat st {};
        if (p.isEmpty() || ::lstat(native(p).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(native(p).constData(), buffer, sizeof buffer);
        if (n <= 0 || size_t(n) >= sizeof buffer)
            break;
        const QString to = QFile::decodeName(QByteArray(buffer, qsizetype(n)));
        const QString folder = QFileInfo(p).path();
        p = to.startsWith(u'/') || folder == u"." ? to : folder + u'/' + to;
        followed = true;
    }
    if (!followed)
        return p;
    // The real folder, so that messages and the backup name the place the file really is.
    const QFileInfo end(p);
    char real[PATH_MAX];
    if (::realpath(native(end.path()).constData(), real))
        return QFile::decodeName(real) + u'/' + end.fileName();
    return p;
}

TReplaceResult ReplaceFile(const QString &path, const QByteArray &bytes, const TBackupNamer &backupNamer) {
    if (path.isEmpty())
        throw EAppError(CannotCreateMessage(path, systemMessage(ENOENT)));
    TReplaceResult result;
    result.target = FollowLinks(path);
    const QByteArray target = native(result.target);
    struct stat st {};
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        throw EAppError(CannotCreateMessage(path, systemMessage(errno)));
    if (exists && !S_ISREG(st.st_mode))
        throw EAppError(CannotCreateMessage(path, kindReason(st.st_mode)));
    // Replacing needs only the folder's rights; a file its owner made read-only stays so.
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        throw EAppError(CannotCreateMessage(path, systemMessage(errno)));

    const QFileInfo info(result.target);
    const QString folder = info.absolutePath();
    removeStaleTemporaries(folder, info.fileName());

    TMadeFile temp;
    TFd fd;
    for (int attempt = 0; fd.fd < 0 && attempt < 100; ++attempt) {
        temp.name = native(temporaryName(folder, info.fileName()));
        fd.fd = ::open(temp.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd.fd < 0 && errno != EEXIST)
            break;
    }
    if (fd.fd < 0) {
        const int err = errno;
        temp.name.clear(); // not ours
        throw EAppError(CannotCreateMessage(path, systemMessage(err)));
    }

    mode_t mode = 0666 & ~[] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    if (exists) {
        mode = st.st_mode & 07777;
        struct stat mine {};
        if (::fstat(fd.fd, &mine) == 0 && (mine.st_uid != st.st_uid || mine.st_gid != st.st_gid) &&
            ::fchown(fd.fd, st.st_uid, st.st_gid) != 0 && backupNamer) {
            // Another user's file, or a group we are not in: a new file would take it over.
            fd.Close();
            return rewriteInPlace(path, result, st, bytes, backupNamer(result.target));
        }
    }
    int err = writeAll(fd.fd, bytes);
    if (!err && ::fchmod(fd.fd, mode) != 0)
        err = errno;
    if (!err && ::fsync(fd.fd) != 0)
        err = errno;
    if (const int closeErr = fd.Close(); !err)
        err = closeErr;
    if (err)
        throw EAppError(CannotCreateMessage(path, systemMessage(err)));
    after(Step::TempWritten);

    TMadeFile backup;
    if (exists && backupNamer) {
        makeBackup(backup, result.target, st, backupNamer(result.target), true, nullptr);
        syncFolder(folder);
        after(Step::BackupMade);
    }
    if (::rename(temp.name.constData(), target.constData()) != 0)
        throw EAppError(CannotCreateMessage(path, systemMessage(errno)));
    temp.keep = true;
    backup.keep = true;
    result.backup = QFile::decodeName(backup.name);
    after(Step::Renamed);
    syncFolder(folder);
    after(Step::Done);
    return result;
}

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

FileFingerprint FingerprintOf(const QString &path) {
    FileFingerprint print;
    if (path.isEmpty())
        return print;
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) {
        if (::stat(native(path).constData(), &st) == 0)
            print = sizeAndTime(st);
        return print;
    }
    if (::fstat(fd, &st) == 0) {
        print = sizeAndTime(st);
        // Read as ReadRegularFile reads, so that the two agree on an unchanged file.
        QByteArray bytes;
        if (S_ISREG(st.st_mode) && readAll(fd, st.st_size, &bytes) == 0) {
            print.ContentHash = contentHash(bytes);
            print.Size = bytes.size();
        }
    }
    ::close(fd);
    return print;
}

QString ResolvedFilePath(const QString &path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
