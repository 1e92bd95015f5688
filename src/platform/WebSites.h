#pragma once

#include <QString>

// Addresses of the maker's servers. They are set when the build is configured (README, "Web
// addresses"); the defaults lie under ".invalid", so an unconfigured build reaches no one.

// "https://" and the statistics server's host name.
QString StatisticsServer();
// Host name of the programs web site, named in the usage request.
QString ProgramsSiteHost();
// "https://" and the maker's web site host name, without a closing slash.
QString MakerWebSite();
// The download directory of new versions: the web site followed by "/files/".
QString DownloadDirectory();
// "https://" and the payment service's host name.
QString PaymentService();
QString DonationButtonId();
