#include "platform/Download.h"
#include "platform/FileNames.h"

#include "../LocalHttpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

class TestDownload : public QObject {
    Q_OBJECT

    static QByteArray contents(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void storesTheBodyOnlyOnSuccess_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("expected"); // file contents afterwards; the old ones on failure

        QTest::newRow("found") << 200 << QByteArray() << true << QByteArray("package body");
        QTest::newRow("redirect followed") << 302 << QByteArray("/moved") << true << QByteArray("moved body");
        QTest::newRow("missing") << 404 << QByteArray() << false << QByteArray("old file");
        QTest::newRow("server error") << 500 << QByteArray() << false << QByteArray("old file");
    }
    void storesTheBodyOnlyOnSuccess() {
        QFETCH(int, status);
        QFETCH(QByteArray, location);
        QFETCH(bool, ok);
        QFETCH(QByteArray, expected);

        LocalHttpServer server;
        server.serve(QStringLiteral("/files/Kestrel.CAB"), {status, "package body", 0, location});
        server.serve(QStringLiteral("/moved"), {200, "moved body"});
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("Kestrel.CAB"));
        WriteFile(target, "old file");

        QCOMPARE(DownloadFile(server.base() + QStringLiteral("/files/Kestrel.CAB"), target, 5000), ok);
        QCOMPARE(contents(target), expected);
        // Nothing half-written is left beside the target.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Kestrel.CAB")});
    }

    void failureLeavesNoNewFile_data() {
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("server closed") << QStringLiteral("closed");
        QTest::newRow("folder missing") << QStringLiteral("folder");
        QTest::newRow("not an address") << QStringLiteral("address");
    }
    void failureLeavesNoNewFile() {
        QFETCH(QString, why);
        LocalHttpServer server;
        server.serve(QStringLiteral("/a"), {200, "body"});
        QString url = server.base() + (why == u"missing" ? QStringLiteral("/b") : QStringLiteral("/a"));
        if (why == u"closed")
            server.close();
        if (why == u"address")
            url = QStringLiteral("no scheme here");
        QTemporaryDir dir;
        const QString target =
            why == u"folder" ? dir.filePath(QStringLiteral("none/a")) : dir.filePath(QStringLiteral("a"));

        QVERIFY(!DownloadFile(url, target, 5000));
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // A server that keeps the client waiting must not hold the program beyond the limit, and
    // the program keeps handling its timers and painting while it waits.
    void slowServerIsAbandonedAtTheLimit() {
        LocalHttpServer server;
        server.serve(QStringLiteral("/slow"), {200, "late", 10000});
        QTemporaryDir dir;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);

        QElapsedTimer clock;
        clock.start();
        QVERIFY(
            !DownloadFile(server.base() + QStringLiteral("/slow"), dir.filePath(QStringLiteral("a")), 300));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ticks > 3);
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // An unconfigured build names its servers under ".invalid": such a request must not even be
    // tried, since the name look-up alone would leave the machine. Through a proxy every request
    // that is tried shows up on the local server, whatever its host.
    void unconfiguredHostIsNeverAsked_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("requests");
        QTest::newRow("configured, https") << "https://www.example.test/files/Kestrel.INF" << 1;
        QTest::newRow("configured, http") << "http://www.example.test/files/Kestrel.INF" << 1;
        QTest::newRow("unconfigured") << "https://www.example.invalid/files/Kestrel.INF" << 0;
        QTest::newRow("capitals and final dot") << "https://WWW.Example.INVALID./files/Kestrel.INF" << 0;
        QTest::newRow("the domain itself") << "http://invalid/files/Kestrel.INF" << 0;
        QTest::newRow("only looks like it") << "http://www.invalid.test/files/Kestrel.INF" << 1;
    }
    void unconfiguredHostIsNeverAsked() {
        QFETCH(QString, url);
        QFETCH(int, requests);
        LocalHttpServer proxy;
        const LocalProxy through(proxy);
        QTemporaryDir dir;
        QVERIFY(!DownloadFile(url, dir.filePath(QStringLiteral("a")), 5000));
        QCOMPARE(proxy.requests().size(), requests);
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void tempFileNameLeavesNoFile_data() {
        QTest::addColumn<QString>("extension");
        QTest::newRow("tmp") << QStringLiteral(".tmp");
        QTest::newRow("other") << QStringLiteral(".INF");
    }
    void tempFileNameLeavesNoFile() {
        QFETCH(QString, extension);
        const QString first = TempFileName(extension);
        const QString second = TempFileName(extension);
        QVERIFY(!first.isEmpty());
        QVERIFY(first != second);
        QVERIFY(first.endsWith(extension));
        QCOMPARE(QFileInfo(first).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        QVERIFY(!QFileInfo::exists(first));
        // Nor is the placeholder the name was taken from.
        QVERIFY(!QFileInfo::exists(ChangeFileExt(first, QStringLiteral(".tmp"))));
    }

    // Without a usable temporary folder there is no name: never a bare ".tmp" in the current
    // folder, where a download would replace a file of the user's and then delete it.
    void noTemporaryFolderNoName() {
        qputenv("TMPDIR", "/no/such/folder");
        const QString name = TempFileName(QStringLiteral(".tmp"));
        qunsetenv("TMPDIR");
        QCOMPARE(name, QString());
        QVERIFY(!DownloadFile(QStringLiteral("http://127.0.0.1:1/"), name, 1000));
    }
};

QTEST_GUILESS_MAIN(TestDownload)
#include "test_download.moc"
