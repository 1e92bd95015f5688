#pragma once

#include "platform/Download.h"

#include <QString>

// The one usage-statistics request of each start. It carries no user data: a fixed site number
// and a page address made of the programs site and the program's file name.

// https://<stats>/statistiques/piwik.php?idsite=15&rec=1&url=https%3A%2F%2F<programs>%2F<FileName>
// StatsServer includes its scheme; the file name is appended as it stands.
QString UsageHitAddress(const QString &StatsServer, const QString &ProgramsHost, const QString &FileName);

// Sends the request to the configured servers and waits for it at most UsageTimeLimitMs while the
// windows keep painting. Never reports anything; the answer is thrown away.
void SendUsageHit();
void SendUsageHit(const QString &StatsServer, const QString &ProgramsHost, const QString &FileName,
                  int TimeLimitMs = UsageTimeLimitMs);
