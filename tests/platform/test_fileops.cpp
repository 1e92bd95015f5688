#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

class TestFileOps : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QString make(const QString &name, const QByteArray &bytes) {
        QFile f(FDir.filePath(name));
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        f.write(bytes);
        return f.fileName();
    }

private Q_SLOTS:
    void initTestCase() {
        make("file", "x");
        QDir(FDir.path()).mkdir("folder");
        QFile::link(FDir.filePath("file"), FDir.filePath("link-to-file"));
        QFile::link(FDir.filePath("folder"), FDir.filePath("link-to-folder"));
        QFile::link(FDir.filePath("nothing"), FDir.filePath("dangling"));
    }

    void existenceFollowsLinksAndIgnoresFolders_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("file") << "file" << true;
        QTest::newRow("link to a file") << "link-to-file" << true;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("link to a folder") << "link-to-folder" << false;
        QTest::newRow("dangling link") << "dangling" << false;
        QTest::newRow("missing") << "nothing" << false;
    }

    void existenceFollowsLinksAndIgnoresFolders() {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QCOMPARE(FileExists(FDir.filePath(name)), exists);
        QVERIFY(!FileExists(QString()));
    }

    void moveRefusesAnExistingTarget() {
        const QString a = make("a", "A"), b = make("b", "B");
        QVERIFY(!MoveFileNoReplace(a, b));
        QCOMPARE(ReadFile(a), QByteArray("A"));
        QCOMPARE(ReadFile(b), QByteArray("B"));
        QVERIFY(MoveFileNoReplace(a, FDir.filePath("c")));
        QVERIFY(!QFile::exists(a));
        QCOMPARE(ReadFile(FDir.filePath("c")), QByteArray("A"));
        QVERIFY(!MoveFileNoReplace(FDir.filePath("gone"), FDir.filePath("d")));
    }

    void temporaryFileTakesTheRightsOfTheFileItReplaces() {
        const QString target = make("rights", "old");
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QString temp = WriteTempFileBeside(target, "new");
        QCOMPARE(QFileInfo(temp).absolutePath(), FDir.path());
        QCOMPARE(ReadFile(temp), QByteArray("new"));
        QCOMPARE(QFile::permissions(temp) & 0x0FFF, QFile::permissions(target) & 0x0FFF);
        QString error;
        QVERIFY(ReplaceFileWith(temp, target, &error));
        QCOMPARE(ReadFile(target), QByteArray("new"));
        QVERIFY(!QFile::exists(temp));
    }
};

QTEST_GUILESS_MAIN(TestFileOps)
#include "test_fileops.moc"
