#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

#include <atomic>
#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utime.h>
#include <vector>

namespace {
struct stat statOf(const QString &path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        st.st_mode = 0;
    return st;
}

// A document over a headless view whose lines are text, saving to path.
struct TDoc {
    THeadlessCodeMemoView view;
    SapLogonDocument doc{view.Lines()};
    TDoc(const QString &path, const QString &text) {
        doc.FSapLogon = path;
        SetText(text);
    }
    void SetText(const QString &text) {
        view.Lines().Clear();
        view.Lines().Add(text);
    }
};

// Runs body in a child process as uid and gid with the supplementary groups, and returns its exit
// status: 0 when body returned without an error; 1 and the message on standard error otherwise.
int runAs(uid_t uid, gid_t gid, std::vector<gid_t> groups, const std::function<void()> &body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(3);
        try {
            body();
        } catch (const EAppError &e) {
            std::fprintf(stderr, "child: %s\n", e.what());
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
} // namespace

// Saving never leaves the user without a good file, and a backup is never overwritten.
class TestSaveWithBackup : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    const QDateTime FNow{QDate(2024, 4, 13), QTime(14, 1, 5)};

    QStringList files() const { return QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private Q_SLOTS:
    void init() {
        const QDir dir(FDir.path());
        for (const QFileInfo &e :
             dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (e.isDir() && !e.isSymLink())
                QDir(e.filePath()).removeRecursively();
            else
                QFile::remove(e.filePath());
        }
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
        QCOMPARE(doc.SaveWithBackup(FNow), QString());
        QCOMPARE(files(), QStringList{"fresh"});
    }

    // Saving used to move the file aside before the new one took its name: a reader (SAP Logon
    // starting) could find no file at all. The name must never go away, not even for a moment.
    void theNameNeverGoesAway() {
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "v0");
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(FDir.path()).constData(),
                                  IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE) >= 0);
        TDoc d(path, "v1");
        d.doc.SaveWithBackup(FNow);
        d.SetText("v2");
        d.doc.SaveWithBackup(FNow.addSecs(1));
        QStringList gone; // names that disappeared from the folder
        alignas(inotify_event) char buffer[16384];
        for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
            for (char *p = buffer; p < buffer + n;) {
                const auto *e = reinterpret_cast<const inotify_event *>(p);
                if (e->len && (e->mask & (IN_DELETE | IN_MOVED_FROM)))
                    gone << QString::fromLocal8Bit(e->name);
                p += sizeof(inotify_event) + e->len;
            }
        }
        ::close(watch);
        QVERIFY2(!gone.contains("saplogon.ini"), qPrintable(gone.join(", ")));
        QCOMPARE(ReadFile(path), QByteArray("v2"));
    }

    // The same, as a reader sees it: one polling the file while it is saved 200 times.
    void aPollingReaderAlwaysFindsTheFile() {
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "v0");
        const QByteArray name = QFile::encodeName(path);
        std::atomic<bool> stop{false};
        std::atomic<long> polls{0}, missing{0};
        std::thread reader([&] {
            struct stat st {};
            while (!stop) {
                ++polls;
                if (::stat(name.constData(), &st) != 0)
                    ++missing;
            }
        });
        TDoc d(path, "v");
        for (int i = 0; i < 200; ++i)
            d.doc.SaveWithBackup(FNow.addSecs(i));
        stop = true;
        reader.join();
        QVERIFY(polls > 0);
        QCOMPARE(missing.load(), 0L);
    }

    // Saves within one second used to find the backup name taken and replace the file without
    // any copy of the version before; every version must survive, each under its own name.
    void savesInOneSecondKeepEveryVersion() {
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "v0");
        TDoc d(path, "v1");
        // Each save says which backup it made, so that the tool and the window can name it.
        QCOMPARE(d.doc.SaveWithBackup(FNow), FDir.filePath("saplogon.20240413140105"));
        d.SetText("v2");
        QCOMPARE(d.doc.SaveWithBackup(FNow), FDir.filePath("saplogon.20240413140105-2"));
        d.SetText("v3");
        QCOMPARE(d.doc.Save(FNow), FDir.filePath("saplogon.20240413140105-3"));
        QCOMPARE(files(), (QStringList{"saplogon.20240413140105", "saplogon.20240413140105-2",
                                       "saplogon.20240413140105-3", "saplogon.ini"}));
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105")), QByteArray("v0"));
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105-2")), QByteArray("v1"));
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105-3")), QByteArray("v2"));
        QCOMPARE(ReadFile(path), QByteArray("v3"));
    }

    // saplogon.ini and saplogon.old share the backup name of one second.
    void twoFilesSharingABackupNameKeepBoth() {
        const QString ini = WriteFile(FDir.filePath("saplogon.ini"), "ini v0");
        const QString old = WriteFile(FDir.filePath("saplogon.old"), "old v0");
        TDoc a(ini, "ini v1"), b(old, "old v1");
        a.doc.SaveWithBackup(FNow);
        b.doc.SaveWithBackup(FNow);
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105")), QByteArray("ini v0"));
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105-2")), QByteArray("old v0"));
        QCOMPARE(files().size(), 4);
    }

    // A name taken by something else (a folder here) is skipped like a file.
    void aBackupNameTakenByAFolderIsPassedOver() {
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "v0");
        QDir(FDir.path()).mkdir("saplogon.20240413140105");
        TDoc d(path, "v1");
        d.doc.SaveWithBackup(FNow);
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105-2")), QByteArray("v0"));
        QDir(FDir.filePath("saplogon.20240413140105")).removeRecursively();
    }

    // root saving another user's file made it root's: its owner could no longer read it.
    void rootKeepsTheOwnerGroupAndMode() {
        if (geteuid() != 0)
            QSKIP("needs root: only root may give a new file to another user");
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "v0");
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
        TDoc d(path, "v1");
        d.doc.SaveWithBackup(FNow);
        const struct stat st = statOf(path);
        QCOMPARE(st.st_uid, uid_t(65534));
        QCOMPARE(st.st_gid, gid_t(65534));
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
        QCOMPARE(ReadFile(path), QByteArray("v1"));
        const struct stat bk = statOf(FDir.filePath("saplogon.20240413140105"));
        QCOMPARE(bk.st_uid, uid_t(65534));
        QCOMPARE(bk.st_mode & 07777, mode_t(0600));
        QCOMPARE(ReadFile(FDir.filePath("saplogon.20240413140105")), QByteArray("v0"));
    }

    // A group member saving a 660 file made it theirs. Where the owner cannot be kept, the file
    // is rewritten in place once a copy of it is safe.
    void aGroupMemberKeepsTheOwner() {
        if (geteuid() != 0)
            QSKIP("needs root to make another user's file and to run as a member of its group");
        const gid_t group = 4242;
        const uid_t owner = 4243;
        QCOMPARE(::chmod(QFile::encodeName(FDir.path()).constData(), 0755), 0);
        const QString shared = FDir.filePath("shared");
        QDir().mkpath(shared);
        QCOMPARE(::chown(QFile::encodeName(shared).constData(), 0, group), 0);
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 0770), 0);
        const QString path = WriteFile(shared + "/saplogon.ini", "v0");
        QCOMPARE(::chown(QFile::encodeName(path).constData(), owner, group), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0660), 0);
        const int status = runAs(65534, 65534, {group}, [&] {
            TDoc d(path, "v1");
            d.doc.SaveWithBackup(FNow);
        });
        QCOMPARE(status, 0);
        const struct stat st = statOf(path);
        QCOMPARE(st.st_uid, owner);
        QCOMPARE(st.st_gid, group);
        QCOMPARE(st.st_mode & 07777, mode_t(0660));
        QCOMPARE(ReadFile(path), QByteArray("v1"));
        const QString backup = shared + "/saplogon.20240413140105";
        QCOMPARE(ReadFile(backup), QByteArray("v0"));
        QCOMPARE(statOf(backup).st_gid, group);
        QCOMPARE(statOf(backup).st_mode & 07777, mode_t(0660));
        QCOMPARE(QDir(shared).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
        QDir(shared).removeRecursively();
    }

    // A symbolic link was replaced by a plain file, and its "backup" was the link itself.
    void aSymbolicLinkStaysAndItsTargetIsSaved() {
        QDir(FDir.path()).mkdir("real");
        const QString real = WriteFile(FDir.filePath("real/saplogon.ini"), "v0");
        const QString link = FDir.filePath("saplogon.ini");
        QVERIFY(QFile::link("real/saplogon.ini", link)); // relative, as people make them
        TDoc d(link, "v1");
        d.doc.SaveWithBackup(FNow);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), real);
        QCOMPARE(ReadFile(real), QByteArray("v1"));
        const QString backup = FDir.filePath("real/saplogon.20240413140105");
        QVERIFY(!QFileInfo(backup).isSymLink());
        QCOMPARE(ReadFile(backup), QByteArray("v0"));
        QCOMPARE(files(), QStringList{"saplogon.ini"}); // nothing beside the link
        QDir(FDir.filePath("real")).removeRecursively();
    }

    void aChainOfLinksIsFollowedToTheEnd() {
        QDir(FDir.path()).mkpath("a/b");
        const QString real = WriteFile(FDir.filePath("a/b/real.ini"), "v0");
        QVERIFY(QFile::link("b/real.ini", FDir.filePath("a/middle.ini")));
        QVERIFY(QFile::link(FDir.filePath("a/middle.ini"), FDir.filePath("first.ini")));
        TDoc d(FDir.filePath("first.ini"), "v1");
        d.doc.SaveWithBackup(FNow);
        QVERIFY(QFileInfo(FDir.filePath("first.ini")).isSymLink());
        QVERIFY(QFileInfo(FDir.filePath("a/middle.ini")).isSymLink());
        QCOMPARE(ReadFile(real), QByteArray("v1"));
        QCOMPARE(ReadFile(FDir.filePath("a/b/real.20240413140105")), QByteArray("v0"));
        QDir(FDir.filePath("a")).removeRecursively();
    }

    // A link whose target is not there yet: the target is made, the link stays.
    void aDanglingLinkGetsItsTarget() {
        const QString link = FDir.filePath("saplogon.ini");
        QVERIFY(QFile::link("made.ini", link));
        TDoc d(link, "v1");
        d.doc.SaveWithBackup(FNow);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadFile(FDir.filePath("made.ini")), QByteArray("v1"));
        QCOMPARE(files(), (QStringList{"made.ini", "saplogon.ini"}));
    }

    // kill -9 during a save left temporary files that nothing removed. Ours older than a day go
    // when the next save happens in that folder; anything else stays.
    void staleTemporaryFilesAreRemoved() {
        const QString path = WriteFile(FDir.filePath("saplogon.ini"), "v0");
        const QStringList stale{".saplogon.ini.1a2b3c.tmp", ".saplogon.ini.zz9.tmp"};
        const QStringList kept{".saplogon.ini.fresh1.tmp", ".other.ini.1a2b3c.tmp", "saplogon.ini.1a2b3c.tmp",
                               ".saplogon.ini.1a2b3c.tmp.keep", ".saplogon.ini.NOT-OURS.tmp"};
        for (const QString &n : stale + kept) {
            WriteFile(FDir.filePath(n), "partial");
            if (n != ".saplogon.ini.fresh1.tmp") {
                const utimbuf old{time(nullptr) - 2 * 86400, time(nullptr) - 2 * 86400};
                QCOMPARE(::utime(QFile::encodeName(FDir.filePath(n)).constData(), &old), 0);
            }
        }
        TDoc d(path, "v1");
        d.doc.SaveWithBackup(FNow);
        for (const QString &n : stale)
            QVERIFY2(!QFile::exists(FDir.filePath(n)), qPrintable(n));
        for (const QString &n : kept)
            QVERIFY2(QFile::exists(FDir.filePath(n)), qPrintable(n));
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
