// Windows folder and environment look-ups.
#include "platform/Environment.h"

#include <QDir>
#include <QTest>

class TestEnvironment : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        qunsetenv("WINDIR");
        qunsetenv("WINEPREFIX");
        qunsetenv("SAPLOGON_TEST_VAR");
    }

    void envVar_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("returned");
        QTest::newRow("unset") << -1 << false;
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("short") << 12 << true;
        QTest::newRow("259 characters") << 259 << true;
        QTest::newRow("260 characters count as unset") << 260 << false;
        QTest::newRow("300 characters count as unset") << 300 << false;
    }
    void envVar() {
        QFETCH(int, length);
        QFETCH(bool, returned);
        const QString value(std::max(length, 0), u'v');
        if (length >= 0)
            qputenv("SAPLOGON_TEST_VAR", value.toLocal8Bit());
        QCOMPARE(GetEnvVar(QStringLiteral("SAPLOGON_TEST_VAR")), returned ? value : QString());
    }

    void windowsDir_data() {
        QTest::addColumn<QString>("windir");
        QTest::addColumn<QString>("wineprefix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("WINDIR wins") << "/srv/win"
                                     << "/opt/wine"
                                     << "/srv/win/";
        QTest::newRow("one slash only") << "/srv/win//"
                                        << ""
                                        << "/srv/win/";
        QTest::newRow("Wine prefix") << ""
                                     << "/opt/wine/"
                                     << "/opt/wine/drive_c/windows/";
        QTest::newRow("default prefix") << ""
                                        << "" << QDir::homePath() + "/.wine/drive_c/windows/";
    }
    void windowsDir() {
        QFETCH(QString, windir);
        QFETCH(QString, wineprefix);
        QFETCH(QString, expected);
        if (!windir.isEmpty())
            qputenv("WINDIR", windir.toLocal8Bit());
        if (!wineprefix.isEmpty())
            qputenv("WINEPREFIX", wineprefix.toLocal8Bit());
        QCOMPARE(GetWindowsDir(), expected);
    }
};

QTEST_GUILESS_MAIN(TestEnvironment)
#include "test_environment.moc"
