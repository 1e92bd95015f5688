#include "platform/WebSites.h"

QString StatisticsServer() {
    return QStringLiteral("https://" SAPLOGON_STATS_HOST);
}
QString ProgramsSiteHost() {
    return QStringLiteral(SAPLOGON_PROGRAMS_HOST);
}
QString MakerWebSite() {
    return QStringLiteral("https://" SAPLOGON_WEB_HOST);
}
QString DownloadDirectory() {
    return MakerWebSite() + QStringLiteral("/files/");
}
QString PaymentService() {
    return QStringLiteral("https://" SAPLOGON_PAYMENT_HOST);
}
QString DonationButtonId() {
    return QStringLiteral(SAPLOGON_DONATION_BUTTON_ID);
}
