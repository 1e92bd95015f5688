#include "platform/FileRead.h"

#include <QFile>
#include <QFileInfo>

TFileRead ReadWholeFile(const QString &path) {
    TFileRead r;
    const QFileInfo info(path);
    r.Exists = info.exists();
    if (info.isDir()) {
        r.Error = QStringLiteral("Is a directory");
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.Error = f.errorString();
        return r;
    }
    r.Opened = true;
    // Read at its known size: reading a file of unknown length grows the buffer to the next power
    // of two. Whatever the size did not tell (a file still growing, a pipe) follows.
    const qint64 size = f.size();
    if (size > 0) {
        r.Bytes = QByteArray(size, Qt::Uninitialized); // resize would round up to a power of two
        const qint64 got = f.read(r.Bytes.data(), size);
        r.Bytes.truncate(got < 0 ? 0 : got);
    }
    if (f.error() == QFileDevice::NoError) {
        const QByteArray rest = f.readAll();
        if (!rest.isEmpty())
            r.Bytes += rest;
    }
    if (f.error() != QFileDevice::NoError)
        r.Error = f.errorString();
    return r;
}
