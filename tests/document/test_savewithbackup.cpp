#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

// Saving never leaves the user without a good file, and a backup is never overwritten.
class TestSaveWithBackup : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    const QDateTime FNow{QDate(2024, 4, 13), QTime(14, 1, 5)};

    QStringList files() const { return QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private Q_SLOTS:
    void init() {
        for (const QString &f : files())
            QFile::remove(FDir.filePath(f));
    }

    void savingOverTheFileKeepsThePreviousOneAsBackup() {
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "old");
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        doc.FModified = true;
        view.Lines().Clear();
        view.Lines().Add("new");
        doc.Save(FNow);
        QCOMPARE(ReadFile(path), QByteArray("new"));
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105")), QByteArray("old"));
        QCOMPARE(files(), (QStringList{"saplogon.20240413140105", "saplogon.ini"})); // no temporary left
        QVERIFY(!doc.FModified);
    }

    void savingToANewPathMakesNoBackup() {
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = FDir.filePath("fresh");
        view.Lines().Add("text");
        doc.SaveWithBackup(FNow);
        QCOMPARE(files(), QStringList{"fresh"});
    }

    void anExistingBackupIsNeverOverwritten() {
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "first");
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        view.Lines().Clear();
        view.Lines().Add("second");
        doc.SaveWithBackup(FNow);
        view.Lines().Put(0, "third");
        doc.SaveWithBackup(FNow); // same second: written without a new backup
        QCOMPARE(ReadFile(path), QByteArray("third"));
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105")), QByteArray("first"));
        QCOMPARE(files().size(), 2);
    }

    void failedWriteLeavesTheFileUntouched_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder missing") << "absent/saplogon.ini"
                                        << "No such file or directory";
        QTest::newRow("file where a folder belongs") << "plain/saplogon.ini"
                                                     << "Not a directory";
        QTest::newRow("target is a folder") << "folder"
                                            << "Is a directory";
    }

    void failedWriteLeavesTheFileUntouched() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        WriteFile(FDir.filePath("plain"), "keep");
        QDir(FDir.path()).mkdir("folder");
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = FDir.filePath(target);
        doc.FModified = true;
        view.Lines().Add("text");
        try {
            doc.Save(FNow);
            QFAIL("the save reported success");
        } catch (const EAppError &e) {
            QCOMPARE(e.message(), QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                                      .arg(FDir.filePath(target), reason));
        }
        QVERIFY(doc.FModified);
        QCOMPARE(files(), QStringList{"plain"});
        QCOMPARE(ReadFile(FDir.filePath("plain")), QByteArray("keep"));
        QVERIFY(QFileInfo(FDir.filePath("folder")).isDir());
        QDir(FDir.filePath("folder")).removeRecursively();
    }

    void readOnlyFileIsNotReplaced() {
        if (geteuid() == 0)
            QSKIP("root may write every file");
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "locked");
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        QVERIFY_THROWS_EXCEPTION(EAppError, doc.SaveWithBackup(FNow));
        QCOMPARE(ReadFile(path), QByteArray("locked"));
        QCOMPARE(files(), QStringList{"saplogon.ini"});
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void fullDiskLeavesTheOldFileInPlace() {
        // A file-size limit makes the write fail part-way, as a full disk does.
        const QByteArray old(64, 'o');
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), old);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        doc.FModified = true;
        view.Lines().Add(QString(4096, u'n'));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 1024;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        bool raised = false;
        try {
            doc.Save(FNow);
        } catch (const EAppError &e) {
            raised = e.message().startsWith("Impossible de créer le fichier \"" + path + "\". ");
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(raised);
        QVERIFY(doc.FModified);
        QCOMPARE(ReadFile(path), old);
        QCOMPARE(files(), QStringList{"saplogon.ini"});
    }
};

QTEST_GUILESS_MAIN(TestSaveWithBackup)
#include "test_savewithbackup.moc"
