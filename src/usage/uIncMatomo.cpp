#include "usage/uIncMatomo.h"

#include "platform/AppInfo.h"
#include "platform/WebSites.h"

#include <QFile>
#include <QUrl>

QString UsageHitAddress(const QString &StatsServer, const QString &ProgramsHost, const QString &FileName) {
    const QString page = QStringLiteral("https://") + ProgramsHost + QStringLiteral("/");
    return StatsServer + QStringLiteral("/statistiques/piwik.php?idsite=15&rec=1&url=") +
           QString::fromLatin1(QUrl::toPercentEncoding(page)) + FileName;
}

void SendUsageHit() {
    SendUsageHit(StatisticsServer(), ProgramsSiteHost(), RunningFileName());
}

void SendUsageHit(const QString &StatsServer, const QString &ProgramsHost, const QString &FileName,
                  int TimeLimitMs) {
    const QString answer = TempFileName(QStringLiteral(".tmp"));
    if (DownloadFile(UsageHitAddress(StatsServer, ProgramsHost, FileName), answer, TimeLimitMs))
        QFile::remove(answer);
}
