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
    const QString cpu = QSysInfo::currentCpuArchitecture();
    const QString bits =
        cpu.contains(QLatin1String("64")) ? QStringLiteral("64-bit") : QStringLiteral("32-bit");
    return QStringLiteral("%1 (Version %2, Kernel %3 %4, %5 %6)")
        .arg(QSysInfo::prettyProductName(), QSysInfo::productVersion(), QSysInfo::kernelType(),
             QSysInfo::kernelVersion(), bits, cpu);
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
