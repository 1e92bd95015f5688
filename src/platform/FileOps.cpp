#include "platform/FileOps.h"

#include "platform/AppError.h"

#include <QFileInfo>
#include <QHashFunctions>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray native(const QString &path) {
    return QFile::encodeName(path);
}

QString systemMessage(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

void syncFolderOf(const QString &path) {
    const int fd = ::open(native(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

QString CannotCreateMessage(const QString &path, const QString &reason) {
    return QStringLiteral("Impossible de créer le fichier \"%1\". %2")
        .arg(QFileInfo(path).absoluteFilePath(), reason);
}

bool FileExists(const QString &path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool MoveFileNoReplace(const QString &from, const QString &to) {
    const QByteArray f = native(from), t = native(to);
    struct stat st {};
    if (from.isEmpty() || to.isEmpty() || ::lstat(f.constData(), &st) != 0)
        return false;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // Without kernel support: a hard link refuses an existing target just as well.
    if (::link(f.constData(), t.constData()) == 0) {
        ::unlink(f.constData());
        return true;
    }
    return false;
}

QString WriteTempFileBeside(const QString &path, const QByteArray &bytes) {
    if (path.isEmpty())
        throw EAppError(CannotCreateMessage(path, systemMessage(ENOENT)));
    const QFileInfo info(path);
    if (info.isDir())
        throw EAppError(CannotCreateMessage(path, systemMessage(EISDIR)));
    mode_t mode = 0666 & ~[] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0) {
        // Replacing needs only the folder's rights; a file its owner made read-only stays so.
        if (::access(native(path).constData(), W_OK) != 0)
            throw EAppError(CannotCreateMessage(path, systemMessage(errno)));
        mode = st.st_mode & 07777;
    }

    QString temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = info.absolutePath() + u"/." + info.fileName() + u'.' +
               QString::number(QRandomGenerator::global()->generate(), 36) + u".tmp";
        fd = ::open(native(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        throw EAppError(CannotCreateMessage(path, systemMessage(errno)));

    int err = 0;
    for (qsizetype done = 0; done < bytes.size() && !err;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            err = errno;
        else if (n > 0)
            done += n;
    }
    if (!err && ::fchmod(fd, mode) != 0)
        err = errno;
    if (!err && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err) {
        ::unlink(native(temp).constData());
        throw EAppError(CannotCreateMessage(path, systemMessage(err)));
    }
    return temp;
}

bool ReplaceFileWith(const QString &from, const QString &to, QString *error) {
    if (::rename(native(from).constData(), native(to).constData()) != 0) {
        if (error)
            *error = systemMessage(errno);
        return false;
    }
    syncFolderOf(to);
    return true;
}

FileFingerprint FingerprintOf(const QString &path) {
    FileFingerprint print;
    if (path.isEmpty())
        return print;
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) {
        if (::stat(native(path).constData(), &st) == 0) {
            print.Exists = true;
            print.Size = st.st_size;
            print.ModifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        }
        return print;
    }
    if (::fstat(fd, &st) == 0) {
        print.Exists = true;
        print.Size = st.st_size;
        print.ModifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        if (S_ISREG(st.st_mode)) {
            // A time stamp can stay the same over a quick second write; the content cannot.
            QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
            qsizetype done = 0;
            while (done < bytes.size()) {
                const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                done += n;
            }
            print.ContentHash = qHashBits(bytes.constData(), size_t(done), 0x5a17);
            print.Size = done;
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
