// Timing of the about box and the start-up usage request against a local server: how long the
// window waits when the network is unreachable, when it answers, and when it stalls.
#include "../tests/LocalHttpServer.h"
#include "about/uAbout102.h"
#include "usage/uIncMatomo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double MedianMs(int runs, const std::function<void()> &work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

TUpdateSource Source(const LocalHttpServer &server, int limitMs) {
    return {server.base() + QStringLiteral("/files/"), QStringLiteral("Kestrel.exe"), RunningFileVersion(),
            limitMs};
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QByteArray info = "[file1]\r\nnewversion=9.0.0.0\r\n[update]\r\ndescr=Faster\\nSafer\r\n"
                            "[action]\r\nrunbefore=Setup.exe\r\n";

    LocalHttpServer closed;
    closed.close();
    LocalHttpServer answering;
    answering.serve(QStringLiteral("/files/Kestrel.INF"), {200, info});
    answering.serve(QStringLiteral("/statistiques/piwik.php"), {200, "GIF89a"});
    LocalHttpServer stalling;
    stalling.serve(QStringLiteral("/files/Kestrel.INF"), {200, info, 60000});
    stalling.serve(QStringLiteral("/statistiques/piwik.php"), {200, "GIF89a", 60000});

    std::printf("about box open, no server:         %8.1f ms (median of 9)\n",
                MedianMs(9, [&] { TfrmAbout102 box(nullptr, Source(closed, DownloadTimeLimitMs)); }));
    std::printf("about box open, version offered:   %8.1f ms (median of 9)\n",
                MedianMs(9, [&] { TfrmAbout102 box(nullptr, Source(answering, DownloadTimeLimitMs)); }));
    const QString programs = QStringLiteral("programs.example.invalid");
    std::printf("usage request, no server:          %8.1f ms (median of 9)\n",
                MedianMs(9, [&] { SendUsageHit(closed.base(), programs, QStringLiteral("Kestrel.exe")); }));
    std::printf("usage request, answered:           %8.1f ms (median of 9)\n", MedianMs(9, [&] {
                    SendUsageHit(answering.base(), programs, QStringLiteral("Kestrel.exe"));
                }));
    std::printf("usage request, server stalls:      %8.1f ms (limit %d)\n",
                MedianMs(1, [&] { SendUsageHit(stalling.base(), programs, QStringLiteral("Kestrel.exe")); }),
                UsageTimeLimitMs);
    std::printf("about box open, server stalls:     %8.1f ms (limit %d)\n",
                MedianMs(1, [&] { TfrmAbout102 box(nullptr, Source(stalling, DownloadTimeLimitMs)); }),
                DownloadTimeLimitMs);
    return 0;
}
