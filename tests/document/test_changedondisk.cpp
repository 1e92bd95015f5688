#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"

#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

#include <sys/stat.h>
#include <utime.h>

// Telling a file that another program changed since the document read or wrote it from one
// that is still as it was.
class TestChangedOnDisk : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    // Rewrites path with bytes but gives it back the modification time it had.
    static void rewriteKeepingTime(const QString &path, const QByteArray &bytes) {
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        WriteFile(path, bytes);
        const utimbuf times{st.st_atime, st.st_mtime};
        QVERIFY(::utime(QFile::encodeName(path).constData(), &times) == 0);
    }

private Q_SLOTS:
    void changedOnDisk_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("reported");
        QTest::newRow("untouched") << "none" << false;
        QTest::newRow("same size and time, other text") << "same size" << true;
        QTest::newRow("grown") << "append" << true;
        QTest::newRow("removed") << "remove" << false;
        QTest::newRow("saved by the document itself") << "own save" << false;
        QTest::newRow("created after a missing file was read") << "create" << true;
        QTest::newRow("another path") << "other path" << false;
    }

    void changedOnDisk() {
        QFETCH(QString, change);
        QFETCH(bool, reported);
        const QString path = FDir.filePath(change + ".ini");
        const QByteArray original = "[Description]\r\nItem1=first\r\n";
        if (change != "create")
            WriteFile(path, original);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        doc.LoadSapLogon(QString());
        QString asked = path;

        if (change == "same size")
            rewriteKeepingTime(path, "[Description]\r\nItem1=FIRST\r\n");
        else if (change == "append")
            WriteFile(path, original + "Item2=second\r\n");
        else if (change == "remove")
            QFile::remove(path);
        else if (change == "own save") {
            doc.BuildFileContent();
            doc.Save(QDateTime(QDate(2024, 1, 1), QTime(1, 2, 3)));
        } else if (change == "create")
            WriteFile(path, original);
        else if (change == "other path")
            asked = WriteFile(FDir.filePath("unrelated.ini"), original);

        QCOMPARE(doc.ChangedOnDisk(asked), reported);
    }
};

QTEST_GUILESS_MAIN(TestChangedOnDisk)
#include "test_changedondisk.moc"
