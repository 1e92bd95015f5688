#include "usage/uIncMatomo.h"

#include "../LocalHttpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestUsageHit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addressNamesTheRunningFile_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected");
        const QString head =
            QStringLiteral("https://stats.example.invalid/statistiques/piwik.php?idsite=15&rec=1&url="
                           "https%3A%2F%2Fprograms.example.invalid%2F");
        QTest::newRow("windows name") << "Kestrel.exe" << head + "Kestrel.exe";
        QTest::newRow("renamed") << "saplogon-editor" << head + "saplogon-editor";
    }
    void addressNamesTheRunningFile() {
        QFETCH(QString, fileName);
        QFETCH(QString, expected);
        QCOMPARE(UsageHitAddress(QStringLiteral("https://stats.example.invalid"),
                                 QStringLiteral("programs.example.invalid"), fileName),
                 expected);
    }

    void sendsOneRequest() {
        LocalHttpServer server;
        server.serve(QStringLiteral("/statistiques/piwik.php"), {200, "GIF89a"});
        SendUsageHit(server.base(), QStringLiteral("programs.example.invalid"),
                     QStringLiteral("Kestrel.exe"));
        QCOMPARE(server.requests(),
                 QStringList{QStringLiteral("/statistiques/piwik.php?idsite=15&rec=1&url="
                                            "https%3A%2F%2Fprograms.example.invalid%2FKestrel.exe")});
    }

    // The build's default server name lies under ".invalid": an unconfigured build sends nothing,
    // not even a name look-up. Through a proxy every request that is tried is counted.
    void unconfiguredServerIsNeverAsked_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("requests");
        QTest::newRow("configured") << "https://stats.example.test" << 1;
        QTest::newRow("unconfigured default") << "https://stats.example.invalid" << 0;
    }
    void unconfiguredServerIsNeverAsked() {
        QFETCH(QString, server);
        QFETCH(int, requests);
        LocalHttpServer proxy;
        const LocalProxy through(proxy);
        SendUsageHit(server, QStringLiteral("programs.example.invalid"), QStringLiteral("Kestrel.exe"));
        QCOMPARE(proxy.requests().size(), requests);
    }

    // Start-up waits for the request: an unreachable or stalling server may cost at most the limit.
    void failuresAreSilentAndBounded_data() {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("server closed") << true << 0;
        QTest::newRow("server stalls") << false << 10000;
        QTest::newRow("refused") << false << 0;
    }
    void failuresAreSilentAndBounded() {
        QFETCH(bool, closed);
        QFETCH(int, delayMs);
        LocalHttpServer server;
        server.serve(QStringLiteral("/statistiques/piwik.php"), {delayMs ? 200 : 403, "no", delayMs});
        if (closed)
            server.close();
        QElapsedTimer clock;
        clock.start();
        SendUsageHit(server.base(), QStringLiteral("programs.example.invalid"), QStringLiteral("Kestrel.exe"),
                     400);
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestUsageHit)
#include "test_usagehit.moc"
