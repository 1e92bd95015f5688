#include "platform/Environment.h"

#include <QDir>
#include <QtGlobal>

namespace {
constexpr int MaxPath = 260;
}

QString GetEnvVar(const QString &name) {
    const QString value = qEnvironmentVariable(name.toLocal8Bit().constData());
    if (value.isEmpty() || value.size() >= MaxPath)
        return QString();
    return value;
}

QString GetWindowsDir() {
    QString dir = GetEnvVar(QStringLiteral("WINDIR"));
    if (dir.isEmpty()) {
        QString prefix = GetEnvVar(QStringLiteral("WINEPREFIX"));
        if (prefix.isEmpty())
            prefix = QDir::homePath() + QStringLiteral("/.wine");
        while (prefix.endsWith(u'/'))
            prefix.chop(1);
        dir = prefix + QStringLiteral("/drive_c/windows");
    }
    dir = QDir::fromNativeSeparators(dir);
    while (dir.endsWith(u'/'))
        dir.chop(1);
    return dir + u'/';
}
