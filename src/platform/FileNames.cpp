#include "platform/FileNames.h"

namespace {
qsizetype lastDelimiter(const QString &path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path.at(i);
        if (c == u'\\' || c == u'/' || c == u':')
            return i;
    }
    return -1;
}
} // namespace

QString ExtractFileName(const QString &path) {
    return path.mid(lastDelimiter(path) + 1);
}

QString ChangeFileExt(const QString &path, const QString &ext) {
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > lastDelimiter(path))
        return path.left(dot) + ext;
    return path + ext;
}
