#include "platform/AppError.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/NonRegularFiles.h"
#include "common/TestFiles.h"

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using FileOpsTestSeam::Step;

struct stat statOf(const QString &path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        st.st_mode = 0;
    return st;
}

QString messageOf(const std::function<void()> &what) {
    try {
        what();
    } catch (const EAppError &e) {
        return e.message();
    }
    return QString();
}

// Sets a file-size limit and ignores SIGXFSZ for the scope, as the programs do.
struct TSizeLimit {
    rlimit saved{};
    void (*previous)(int);
    explicit TSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~TSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
};

// Clears the test seam however a test ends.
struct TSeam {
    TSeam() = default;
    ~TSeam() {
        FileOpsTestSeam::AfterStep = nullptr;
        FileOpsTestSeam::NoHardLinks = false;
    }
};

TBackupNamer backupAt(const QString &suffix) {
    return [suffix](const QString &target) -> QString {
        const QFileInfo t(target);
        return t.absolutePath() + u'/' + t.completeBaseName() + suffix;
    };
}

const char *stepName(Step s) {
    switch (s) {
    case Step::TempWritten:
        return "temporary written";
    case Step::BackupMade:
        return "backup made";
    case Step::Renamed:
        return "renamed";
    case Step::Done:
        return "done";
    }
    return "?";
}
} // namespace

Q_DECLARE_METATYPE(FileOpsTestSeam::Step)

class TestFileOps : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QString make(const QString &name, const QByteArray &bytes) {
        return WriteFile(FDir.filePath(name), bytes);
    }
    QStringList entries(const QString &sub = QString()) const {
        return QDir(sub.isEmpty() ? FDir.path() : FDir.filePath(sub))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    // A fresh folder below the temporary one, for tests that look at every file in it.
    QString folder(const QString &name) {
        QDir(FDir.filePath(name)).removeRecursively();
        QDir(FDir.path()).mkdir(name);
        return FDir.filePath(name);
    }

private Q_SLOTS:
    void initTestCase() {
        make("file", "x");
        QDir(FDir.path()).mkdir("folder");
        QFile::link(FDir.filePath("file"), FDir.filePath("link-to-file"));
        QFile::link(FDir.filePath("folder"), FDir.filePath("link-to-folder"));
        QFile::link(FDir.filePath("nothing"), FDir.filePath("dangling"));
        MakeFifo(FDir.filePath("fifo"));
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
        QTest::newRow("FIFO: there, so that opening it says what it is") << "fifo" << true;
    }

    void existenceFollowsLinksAndIgnoresFolders() {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QCOMPARE(FileExists(FDir.filePath(name)), exists);
        QVERIFY(!FileExists(QString()));
    }

    void readingTakesRegularFilesOnly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        using S = TFileRead::Status;
        QTest::newRow("file") << "file" << int(S::Loaded) << "";
        QTest::newRow("link to a file") << "link-to-file" << int(S::Loaded) << "";
        QTest::newRow("missing") << "nothing" << int(S::Missing) << "No such file or directory";
        QTest::newRow("dangling link") << "dangling" << int(S::Missing) << "No such file or directory";
        QTest::newRow("below a file") << "file/below" << int(S::Missing) << "Not a directory";
        QTest::newRow("folder") << "folder" << int(S::Failed) << "Is a directory";
        QTest::newRow("FIFO") << "fifo" << int(S::Failed) << "Is a named pipe (FIFO), not a regular file";
        QTest::newRow("device") << "/dev/null" << int(S::Failed)
                                << "Is a character device, not a regular file";
    }

    void readingTakesRegularFilesOnly() {
        QFETCH(QString, name);
        QFETCH(int, status);
        QFETCH(QString, error);
        TFifoWatchdog watchdog(FDir.filePath("fifo"));
        const TFileRead r = ReadRegularFile(name.startsWith(u'/') ? name : FDir.filePath(name));
        QCOMPARE(int(r.status), status);
        QCOMPARE(r.error, error);
        QCOMPARE(r.bytes, status == int(TFileRead::Status::Loaded) ? QByteArray("x") : QByteArray());
        QVERIFY(!watchdog.Released());
    }

    // The size a file had when it was looked at is only where reading starts: a file of the
    // system says 0, and a file may grow while it is read.
    void readingGoesOnPastTheSizeFirstSeen() {
        const TFileRead proc = ReadRegularFile(QStringLiteral("/proc/self/status"));
        QCOMPARE(int(proc.status), int(TFileRead::Status::Loaded));
        QVERIFY(proc.bytes.startsWith("Name:"));
        QVERIFY(proc.bytes.contains("\nVmRSS:"));
        QByteArray big(300000, 'x');
        big += "end";
        WriteFile(FDir.filePath("big"), big);
        const TFileRead r = ReadRegularFile(FDir.filePath("big"));
        QCOMPARE(r.bytes, big);
        // The fingerprint of what was read is the one a later look at the unchanged file makes.
        QCOMPARE(r.print, FingerprintOf(FDir.filePath("big")));
        QVERIFY(r.print.Exists);
        QCOMPARE(r.print.Size, big.size());
    }

    void linksAreFollowedToTheirEnd() {
        const QString f = folder("links");
        QDir(f).mkpath("sub/deeper");
        WriteFile(f + "/sub/deeper/real.ini", "r");
        QFile::link("deeper/real.ini", f + "/sub/relative.ini");
        QFile::link(f + "/sub/relative.ini", f + "/absolute.ini");
        QFile::link("sub/../sub/deeper/none.ini", f + "/dangling.ini");
        QFile::link("loop-b", f + "/loop-a");
        QFile::link("loop-a", f + "/loop-b");
        QCOMPARE(FollowLinks(f + "/sub/deeper/real.ini"), f + "/sub/deeper/real.ini"); // not a link: as given
        QCOMPARE(FollowLinks(f + "/sub/relative.ini"), f + "/sub/deeper/real.ini");
        QCOMPARE(FollowLinks(f + "/absolute.ini"), f + "/sub/deeper/real.ini");
        QCOMPARE(FollowLinks(f + "/dangling.ini"), f + "/sub/deeper/none.ini");
        QVERIFY(FollowLinks(f + "/loop-a").startsWith(f + "/loop-"));
        QCOMPARE(FollowLinks(QString()), QString());
        const QString current = QDir::currentPath();
        QDir::setCurrent(f);
        QCOMPARE(FollowLinks("absolute.ini"), f + "/sub/deeper/real.ini");
        QCOMPARE(FollowLinks("plain"), QStringLiteral("plain"));
        QDir::setCurrent(current);
    }

    void aLoopOfLinksIsAnError() {
        const QString f = folder("loop");
        QFile::link("b", f + "/a");
        QFile::link("a", f + "/b");
        const QString message = messageOf([&] { ReplaceFile(f + "/a", "x", backupAt(".bak")); });
        QCOMPARE(message, CannotCreateMessage(f + "/a", "Too many levels of symbolic links"));
        QCOMPARE(entries("loop"), (QStringList{"a", "b"}));
    }

    void aNewFileTakesTheUsualRights() {
        const QString f = folder("new");
        const mode_t mask = ::umask(022);
        const TReplaceResult r = ReplaceFile(f + "/fresh.ini", "new", backupAt(".bak"));
        ::umask(mask);
        QCOMPARE(r.backup, QString());
        QCOMPARE(r.target, f + "/fresh.ini");
        QVERIFY(!r.inPlace);
        QCOMPARE(statOf(f + "/fresh.ini").st_mode & 07777, mode_t(0644));
        QCOMPARE(entries("new"), QStringList{"fresh.ini"});
    }

    void theFileKeepsItsRightsAndTheBackupIsTheOldFile() {
        const QString f = folder("rights");
        const QString target = WriteFile(f + "/rights.ini", "old");
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
        const struct stat before = statOf(target);
        const TReplaceResult r = ReplaceFile(target, "new", backupAt(".bak"));
        QCOMPARE(r.backup, f + "/rights.bak");
        QCOMPARE(ReadFile(target), QByteArray("new"));
        QCOMPARE(statOf(target).st_mode & 07777, mode_t(0640));
        QCOMPARE(ReadFile(r.backup), QByteArray("old"));
        QCOMPARE(statOf(r.backup).st_ino, before.st_ino); // a hard link: the old file itself
        QCOMPARE(entries("rights"), (QStringList{"rights.bak", "rights.ini"}));
    }

    void takenBackupNamesGetANumber() {
        const QString f = folder("numbers");
        const QString target = WriteFile(f + "/n.ini", "v0");
        WriteFile(f + "/n.bak", "someone else's");
        QDir(f).mkdir("n.bak-2");
        QFile::link("nowhere", f + "/n.bak-3"); // a dangling link is taken too, and not followed
        const TReplaceResult r = ReplaceFile(target, "v1", backupAt(".bak"));
        QCOMPARE(r.backup, f + "/n.bak-4");
        QCOMPARE(ReadFile(f + "/n.bak-4"), QByteArray("v0"));
        QCOMPARE(ReadFile(f + "/n.bak"), QByteArray("someone else's"));
        QVERIFY(!QFileInfo::exists(f + "/nowhere"));
        QCOMPARE(ReplaceFile(target, "v2", backupAt(".bak")).backup, f + "/n.bak-5");
    }

    void withoutANamerNoBackupIsMade() {
        const QString f = folder("nobackup");
        const QString target = WriteFile(f + "/t.ini", "old");
        QCOMPARE(ReplaceFile(target, "new", nullptr).backup, QString());
        QCOMPARE(entries("nobackup"), QStringList{"t.ini"});
        QCOMPARE(ReadFile(target), QByteArray("new"));
    }

    // A file system without hard links (FAT, some network shares): a flushed copy instead.
    void withoutHardLinksTheBackupIsACopy() {
        TSeam seam;
        FileOpsTestSeam::NoHardLinks = true;
        const QString f = folder("copy");
        const QString target = WriteFile(f + "/c.ini", "old");
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0600) == 0);
        const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(target).constData(), times, 0) == 0);
        const struct stat before = statOf(target);
        const TReplaceResult r = ReplaceFile(target, "new", backupAt(".bak"));
        const struct stat copy = statOf(r.backup);
        QVERIFY(copy.st_ino != before.st_ino);
        QCOMPARE(ReadFile(r.backup), QByteArray("old"));
        QCOMPARE(copy.st_mode & 07777, mode_t(0600)); // as private as the file
        QCOMPARE(copy.st_mtime, time_t(1000000000));  // and as old
        QCOMPARE(ReadFile(target), QByteArray("new"));
    }

    // When not even a copy can be made, nothing happens and the message says why.
    void noBackupNoSave() {
        TSeam seam;
        FileOpsTestSeam::NoHardLinks = true;
        const QString f = folder("nocopy");
        const QByteArray old(4096, 'o');
        const QString target = WriteFile(f + "/c.ini", old);
        QString message;
        {
            TSizeLimit limit(1024); // the new text fits, a copy of the old one does not
            message = messageOf([&] { ReplaceFile(target, "new", backupAt(".bak")); });
        }
        QCOMPARE(message,
                 QStringLiteral("No backup of \"%1\" could be made as \"%2\": File too large (the "
                                "file-size limit of this process, ulimit -f, is 1024 bytes). The file "
                                "was not changed.")
                     .arg(target, f + "/c.bak"));
        QCOMPARE(ReadFile(target), old);
        QCOMPARE(entries("nocopy"), QStringList{"c.ini"}); // no temporary, no partial copy
    }

    void everyBackupNameTaken() {
        const QString f = folder("full");
        const QString target = WriteFile(f + "/t.ini", "old");
        WriteFile(f + "/t.bak", "");
        for (int n = 2; n <= 9999; ++n)
            QVERIFY(::symlink("x", QFile::encodeName(f + "/t.bak-" + QString::number(n)).constData()) == 0);
        const QString message = messageOf([&] { ReplaceFile(target, "new", backupAt(".bak")); });
        QVERIFY2(message.startsWith(QStringLiteral("No backup of \"%1\" could be made").arg(target)),
                 qPrintable(message));
        QVERIFY2(message.contains("every name up to"), qPrintable(message));
        QCOMPARE(ReadFile(target), QByteArray("old"));
        QDir(f).removeRecursively();
    }

    // A failure after any step leaves the file as it was and nothing of the save behind.
    void aFailureAfterAnyStepChangesNothing_data() {
        QTest::addColumn<Step>("step");
        QTest::newRow("temporary written") << Step::TempWritten;
        QTest::newRow("backup made") << Step::BackupMade;
    }
    void aFailureAfterAnyStepChangesNothing() {
        QFETCH(Step, step);
        TSeam seam;
        const QString f = folder("fail");
        const QString target = WriteFile(f + "/t.ini", "old");
        FileOpsTestSeam::AfterStep = [step](Step s) {
            if (s == step)
                throw EAppError(QStringLiteral("failed at %1").arg(stepName(s)));
        };
        QCOMPARE(messageOf([&] { ReplaceFile(target, "new", backupAt(".bak")); }),
                 QStringLiteral("failed at %1").arg(stepName(step)));
        QCOMPARE(ReadFile(target), QByteArray("old"));
        QCOMPARE(entries("fail"), QStringList{"t.ini"});
    }

    // kill -9 (or a power loss) after any step: the path holds the whole old or the whole new
    // file, and when it holds the new one the old one is in the backup.
    void aCrashAfterAnyStepLeavesAWholeFile_data() {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("temporary written") << Step::TempWritten << QByteArray("old");
        QTest::newRow("backup made") << Step::BackupMade << QByteArray("old");
        QTest::newRow("renamed") << Step::Renamed << QByteArray("new");
        QTest::newRow("done") << Step::Done << QByteArray("new");
    }
    void aCrashAfterAnyStepLeavesAWholeFile() {
        QFETCH(Step, step);
        QFETCH(QByteArray, expected);
        const QString f = folder("crash");
        const QString target = WriteFile(f + "/t.ini", "old");
        const pid_t pid = ::fork();
        if (pid == 0) {
            FileOpsTestSeam::AfterStep = [step](Step s) {
                if (s == step)
                    ::kill(::getpid(), SIGKILL);
            };
            try {
                ReplaceFile(target, "new", backupAt(".bak"));
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(ReadFile(target), expected);
        if (expected == "new")
            QCOMPARE(ReadFile(f + "/t.bak"), QByteArray("old"));
        // What a crash leaves is at most our temporary file, removed by a later save once stale.
        for (const QString &e : entries("crash"))
            QVERIFY2(e == "t.ini" || e == "t.bak" || (e.startsWith(".t.ini.") && e.endsWith(".tmp")),
                     qPrintable(e));
    }

    void aFileSizeLimitIsAnErrorThatNamesTheLimit() {
        const QString f = folder("limit");
        const QString target = WriteFile(f + "/t.ini", "old");
        QString message;
        {
            TSizeLimit limit(1024);
            message = messageOf([&] { ReplaceFile(target, QByteArray(4096, 'n'), backupAt(".bak")); });
        }
        QCOMPARE(message,
                 CannotCreateMessage(target, "File too large (the file-size limit of this process, ulimit "
                                             "-f, is 1024 bytes)"));
        QCOMPARE(ReadFile(target), QByteArray("old"));
        QCOMPARE(entries("limit"), QStringList{"t.ini"});
    }

    // Another user's file that we may write, in a folder we may write: rewritten in place after a
    // copy is safe. A write that fails half-way puts the file back and names the copy.
    void aFailedRewriteInPlaceNamesTheBackup() {
        if (geteuid() != 0)
            QSKIP("needs root to make another user's file and to run as a member of its group");
        QVERIFY(::chmod(QFile::encodeName(FDir.path()).constData(), 0755) == 0);
        const QString f = folder("inplace");
        QVERIFY(::chown(QFile::encodeName(f).constData(), 0, 4242) == 0);
        QVERIFY(::chmod(QFile::encodeName(f).constData(), 0770) == 0);
        const QByteArray old(100, 'o');
        const QString target = WriteFile(f + "/t.ini", old);
        QVERIFY(::chown(QFile::encodeName(target).constData(), 4243, 4242) == 0);
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0660) == 0);
        int pipeFds[2];
        QVERIFY(::pipe(pipeFds) == 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const gid_t groups[] = {4242};
            if (::setgroups(1, groups) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            TSizeLimit limit(1024);
            const QByteArray message =
                messageOf([&] { ReplaceFile(target, QByteArray(4096, 'n'), backupAt(".bak")); }).toUtf8();
            (void)!::write(pipeFds[1], message.constData(), size_t(message.size()));
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        QByteArray message;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            message.append(buffer, n);
        ::close(pipeFds[0]);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(QString::fromUtf8(message),
                 QStringLiteral(
                     "Cannot write \"%1\": File too large (the file-size limit of this process, ulimit "
                     "-f, is 1024 bytes). The file was put back as it was; its previous version is also "
                     "kept in \"%2\".")
                     .arg(target, f + "/t.bak"));
        QCOMPARE(ReadFile(target), old);
        QCOMPARE(ReadFile(f + "/t.bak"), old);
        QCOMPARE(statOf(target).st_uid, uid_t(4243));
        QCOMPARE(entries("inplace"), (QStringList{"t.bak", "t.ini"}));
        QDir(f).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestFileOps)
#include "test_fileops.moc"
