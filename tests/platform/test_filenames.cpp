#include "platform/FileNames.h"

#include <QTest>

class TestFileNames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileNameAndExtension_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("withInf");

        QTest::newRow("bare") << "Kestrel.exe"
                              << "Kestrel.exe"
                              << "Kestrel.INF";
        QTest::newRow("windows folder") << "C:\\dist\\Setup.exe"
                                        << "Setup.exe"
                                        << "C:\\dist\\Setup.INF";
        QTest::newRow("unix folder") << "/opt/kestrel"
                                     << "kestrel"
                                     << "/opt/kestrel.INF";
        QTest::newRow("drive only") << "C:Setup.exe"
                                    << "Setup.exe"
                                    << "C:Setup.INF";
        QTest::newRow("point in folder only") << "/opt/v1.2/kestrel"
                                              << "kestrel"
                                              << "/opt/v1.2/kestrel.INF";
        QTest::newRow("last point counts") << "a.tar.gz"
                                           << "a.tar.gz"
                                           << "a.tar.INF";
        QTest::newRow("trailing delimiter") << "C:\\dist\\"
                                            << ""
                                            << "C:\\dist\\.INF";
        QTest::newRow("empty") << ""
                               << ""
                               << ".INF";
    }
    void fileNameAndExtension() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, withInf);
        QCOMPARE(ExtractFileName(path), name);
        QCOMPARE(ChangeFileExt(path, QStringLiteral(".INF")), withInf);
    }
};

QTEST_GUILESS_MAIN(TestFileNames)
#include "test_filenames.moc"
