#include "platform/AppInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>

QString TFileVersion::toString() const {
    return QStringLiteral("%1.%2.%3.%4").arg(Major).arg(Minor).arg(Release).arg(Build);
}

QString ApplicationTitle() {
    return QStringLiteral("Editor for SAPLOGON.INI");
}

TFileVersion RunningFileVersion() {
    return {SAPLOGON_VERSION_MAJOR, SAPLOGON_VERSION_MINOR, SAPLOGON_VERSION_PATCH, SAPLOGON_VERSION_TWEAK};
}

QString RunningFileName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QString OSDescription() {
    // The product name already carries its version, e.g. "Debian GNU/Linux 12 (bookworm)".
    return QStringLiteral("%1 (Kernel %2, %3)")
        .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture());
}

QString BuildToolDescription() {
#if defined(__clang__)
    const QString compiler = QStringLiteral("Clang " __clang_version__).trimmed();
#elif defined(__GNUC__)
    const QString compiler = QStringLiteral("GCC " __VERSION__);
#elif defined(_MSC_VER)
    const QString compiler = QStringLiteral("MSVC %1").arg(_MSC_FULL_VER);
#else
    const QString compiler = QStringLiteral("C++");
#endif
    return compiler + QStringLiteral(", Qt " QT_VERSION_STR);
}
