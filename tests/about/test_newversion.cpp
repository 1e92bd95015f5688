#include "about/uNewVersion.h"

#include "../LocalHttpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TFileVersion)

namespace QTest {
template <> char *toString(const TFileVersion &v) {
    return qstrdup(qPrintable(v.toString()));
}
} // namespace QTest

class TestNewVersion : public QObject {
    Q_OBJECT

    static constexpr TFileVersion Running{1, 4, 2024, 413};

    static TUpdateSource source(const LocalHttpServer &server, int timeLimitMs = 5000) {
        return {server.base() + QStringLiteral("/files/"), QStringLiteral("Kestrel_debug.exe"), Running,
                timeLimitMs};
    }

private Q_SLOTS:
    void parsesVersionText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TFileVersion>("version");
        QTest::newRow("four parts") << "1.4.2024.414" << TFileVersion{1, 4, 2024, 414};
        QTest::newRow("one point: the rest is the build") << "1.5" << TFileVersion{1, 0, 0, 5};
        QTest::newRow("no point: the build") << "2" << TFileVersion{0, 0, 0, 2};
        QTest::newRow("part not a number") << "1.x.0.0" << TFileVersion{1, 0, 0, 0};
        QTest::newRow("low 16 bits only") << "65537" << TFileVersion{0, 0, 0, 1};
        QTest::newRow("negative wraps") << "1.0.0.-1" << TFileVersion{1, 0, 0, 65535};
        QTest::newRow("hexadecimal and blanks") << " 1.$A.0x10. 3" << TFileVersion{1, 10, 16, 3};
        QTest::newRow("fifth part spoils the build") << "1.2.3.4.5" << TFileVersion{1, 2, 3, 0};
        QTest::newRow("beyond 32 bits") << "1.2.3.4294967297" << TFileVersion{1, 2, 3, 0};
        QTest::newRow("empty") << "" << TFileVersion{};
    }
    void parsesVersionText() {
        QFETCH(QString, text);
        QFETCH(TFileVersion, version);
        QCOMPARE(ParseVersionText(text), version);
    }

    void comparesWithTheRunningVersion_data() {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<bool>("newer");
        QTest::newRow("next build") << "1.4.2024.414" << true;
        QTest::newRow("same") << "1.4.2024.413" << false;
        QTest::newRow("older release, higher build") << "1.3.9999.9999" << false;
        QTest::newRow("1.5 reads 1.0.0.5") << "1.5" << false;
        QTest::newRow("next major") << "2.0.0.0" << true;
        QTest::newRow("parts above 32767 are not negative") << "1.40000.0.0" << true;
    }
    void comparesWithTheRunningVersion() {
        QFETCH(QString, offered);
        QFETCH(bool, newer);
        QCOMPARE(ParseVersionText(offered) > Running, newer);
    }

    void fileNames_data() {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("package");
        QTest::newRow("plain") << "Kestrel.exe"
                               << "Kestrel.INF"
                               << "Kestrel.CAB";
        QTest::newRow("debug build") << "Kestrel_debug.exe"
                                     << "Kestrel.INF"
                                     << "Kestrel_debug.CAB";
        QTest::newRow("debug in capitals") << "KESTREL_DEBUG.EXE"
                                           << "KESTREL.INF"
                                           << "KESTREL_DEBUG.CAB";
        QTest::newRow("no extension") << "saplogon-editor"
                                      << "saplogon-editor.INF"
                                      << "saplogon-editor.CAB";
    }
    void fileNames() {
        QFETCH(QString, running);
        QFETCH(QString, info);
        QFETCH(QString, package);
        QCOMPARE(VersionInfoFileName(running), info);
        QCOMPARE(ExecutablePackageName(running), package);
    }

    // The name comes from the server: it must never lead outside the Downloads folder.
    void setupNameIsAPlainFileName_data() {
        QTest::addColumn<QString>("runbefore");
        QTest::addColumn<QString>("name");
        QTest::newRow("bare") << "Setup.exe"
                              << "Setup.exe";
        QTest::newRow("windows path") << "C:\\dist\\Setup.exe"
                                      << "Setup.exe";
        QTest::newRow("unix path") << "../../.bashrc"
                                   << ".bashrc";
        QTest::newRow("drive") << "D:Setup.exe"
                               << "Setup.exe";
        QTest::newRow("folder only") << "C:\\dist\\"
                                     << "";
        QTest::newRow("parent") << ".."
                                << "";
        QTest::newRow("dot after folder") << "dist/."
                                          << "";
        QTest::newRow("parent after drive") << "C:.."
                                            << "";
    }
    void setupNameIsAPlainFileName() {
        QFETCH(QString, runbefore);
        QFETCH(QString, name);
        QCOMPARE(SetupPackageName(runbefore), name);
    }

    void checksAgainstTheServer_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("newer");
        QTest::addColumn<QString>("news");
        QTest::addColumn<QString>("setup");

        const QString ini = QStringLiteral("[file1]\r\nnewversion=1.4.2024.414\r\n[update]\r\n"
                                           "descr=Café 5 €\\nSecond line\\Nthird ő 中\r\n"
                                           "[action]\r\nrunbefore=C:\\dist\\Setup.exe\r\n");
        const QString read = QStringLiteral("Café 5 €\nSecond line\nthird o ?");
        QStringEncoder utf16(QStringEncoder::Utf16LE);
        QTest::newRow("UTF-8 with BOM")
            << "\xEF\xBB\xBF" + ini.toUtf8() << true << read << "C:\\dist\\Setup.exe";
        QTest::newRow("UTF-16") << "\xFF\xFE" + QByteArray(utf16.encode(ini)) << true << read
                                << "C:\\dist\\Setup.exe";
        QTest::newRow("ANSI") << QByteArray(
                                     "[file1]\nnewversion=1.4.2024.413\n[update]\ndescr=Caf\xE9 \x80\n")
                              << false << "Café €"
                              << "";
        QTest::newRow("UTF-8 without BOM is ANSI")
            << QByteArray("[update]\ndescr=Caf\xC3\xA9\n") << false << "CafÃ©"
            << "";
        QTest::newRow("no sections") << QByteArray("garbage") << false << ""
                                     << "";
    }
    void checksAgainstTheServer() {
        QFETCH(QByteArray, file);
        QFETCH(bool, newer);
        QFETCH(QString, news);
        QFETCH(QString, setup);
        LocalHttpServer server;
        server.serve(QStringLiteral("/files/Kestrel.INF"), {200, file});
        QTemporaryDir temp;
        qputenv("TMPDIR", QFile::encodeName(temp.path()));

        const TNewVersionInfo info = CheckNewVersion(source(server));
        QCOMPARE(server.requests(), QStringList{QStringLiteral("/files/Kestrel.INF")});
        QCOMPARE(info.FNewVersionAvalaible, newer);
        QCOMPARE(info.FNews, news);
        QCOMPARE(info.FExeSetup, setup);
        qunsetenv("TMPDIR");
        // The downloaded copy is deleted after reading.
        QVERIFY(QDir(temp.path()).isEmpty());
    }

    void failedCheckIsSilent_data() {
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("server closed") << QStringLiteral("closed");
        QTest::newRow("server stalls") << QStringLiteral("slow");
    }
    void failedCheckIsSilent() {
        QFETCH(QString, why);
        LocalHttpServer server;
        const QByteArray ini =
            "[file1]\nnewversion=9.0.0.0\n[update]\ndescr=news\n[action]\nrunbefore=Setup.exe\n";
        if (why == u"slow")
            server.serve(QStringLiteral("/files/Kestrel.INF"), {200, ini, 10000});
        if (why == u"closed")
            server.close();
        QElapsedTimer clock;
        clock.start();
        const TNewVersionInfo info = CheckNewVersion(source(server, 300));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!info.FNewVersionAvalaible);
        QVERIFY(info.FNews.isEmpty());
        QVERIFY(info.FExeSetup.isEmpty());
    }

    // The about box checks at every opening; an unconfigured build's download directory lies
    // under ".invalid" and must cost no request and no name look-up.
    void unconfiguredDirectoryIsNeverAsked_data() {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("requests");
        QTest::newRow("configured") << "https://www.example.test/files/" << 1;
        QTest::newRow("unconfigured default") << "https://www.example.invalid/files/" << 0;
    }
    void unconfiguredDirectoryIsNeverAsked() {
        QFETCH(QString, directory);
        QFETCH(int, requests);
        LocalHttpServer proxy;
        const LocalProxy through(proxy);
        const TNewVersionInfo info =
            CheckNewVersion({directory, QStringLiteral("Kestrel.exe"), Running, DownloadTimeLimitMs});
        QCOMPARE(proxy.requests().size(), requests);
        QVERIFY(!info.FNewVersionAvalaible);
    }
};

QTEST_GUILESS_MAIN(TestNewVersion)
#include "test_newversion.moc"
