// Only regular files are read and saved: a FIFO, socket, device or folder is refused at once with
// a message that says what it is, by the reader, the line store and the document.
#include "document/ProfileReader.h"
#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/NonRegularFiles.h"
#include "common/TestFiles.h"

#include <functional>
#include <sys/sysmacros.h>

namespace {
// Runs what and returns the message of the EAppError it raised ("" when none) and the time taken.
QString messageOf(const std::function<void()> &what, qint64 *ms) {
    QElapsedTimer timer;
    timer.start();
    QString message;
    try {
        what();
    } catch (const EAppError &e) {
        message = e.message();
    }
    *ms = timer.elapsed();
    return message;
}
} // namespace

class TestFileKinds : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    // name: "fifo", "socket", "device" or "folder"; returns the path and the expected reason.
    QString special(const QString &name, QString *reason) {
        if (name == u"fifo") {
            *reason = QStringLiteral("Is a named pipe (FIFO), not a regular file");
            const QString p = FDir.filePath("pipe.ini");
            return QFileInfo::exists(p) ? p : MakeFifo(p);
        }
        if (name == u"socket") {
            *reason = QStringLiteral("Is a socket, not a regular file");
            const QString p = FDir.filePath("socket.ini");
            return QFileInfo::exists(p) ? p : MakeSocketFile(p);
        }
        if (name == u"device") {
            // A device node of our own where we may make one (a copy of /dev/null): a regressed
            // save must never get the chance to replace the system's.
            *reason = QStringLiteral("Is a character device, not a regular file");
            const QString p = FDir.filePath("device.ini");
            if (QFileInfo::exists(p) ||
                ::mknod(QFile::encodeName(p).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
                return p;
            return QStringLiteral("/dev/null");
        }
        *reason = QStringLiteral("Is a directory");
        const QString p = FDir.filePath("folder.ini");
        QDir().mkpath(p);
        return p;
    }

    static void kinds() {
        QTest::addColumn<QString>("kind");
        for (const char *k : {"fifo", "socket", "device", "folder"})
            QTest::newRow(k) << QString::fromLatin1(k);
    }

private Q_SLOTS:
    void readerRefusesAtOnce_data() { kinds(); }
    void readerRefusesAtOnce() {
        QFETCH(QString, kind);
        QString reason;
        const QString path = special(kind, &reason);
        TFifoWatchdog watchdog(path);
        QElapsedTimer timer;
        timer.start();
        const ProfileReader reader(path);
        QCOMPARE(reader.SourceState(), ProfileReader::Source::Unreadable);
        QVERIFY2(timer.elapsed() < 1000, "the reader waited on the file");
        QCOMPARE(reader.SourceError(), reason);
        QCOMPARE(reader.ReadString("S", "K", "default"), QStringLiteral("default"));
    }

    void lineStoreRefusesAtOnce_data() { kinds(); }
    void lineStoreRefusesAtOnce() {
        QFETCH(QString, kind);
        QString reason;
        const QString path = special(kind, &reason);
        TFifoWatchdog watchdog(path);
        THeadlessCodeMemoView view;
        view.Lines().Add("kept");
        const QString before = view.Lines().Text();
        qint64 ms = 0;
        const QString message = messageOf([&] { view.Lines().LoadFromFile(path); }, &ms);
        QVERIFY2(ms < 1000, "the line store waited on the file");
        QCOMPARE(message, QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                              .arg(QFileInfo(path).absoluteFilePath(), reason));
        QCOMPARE(view.Lines().Text(), before);
    }

    void documentLoadRefusesAtOnce_data() { kinds(); }
    void documentLoadRefusesAtOnce() {
        QFETCH(QString, kind);
        if (kind == u"folder")
            QSKIP("callers never hand a folder to the document load (FileExists is false for it)");
        QString reason;
        const QString path = special(kind, &reason);
        TFifoWatchdog watchdog(path);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        qint64 ms = 0;
        const QString message = messageOf([&] { doc.LoadSapLogon(QString()); }, &ms);
        QVERIFY2(ms < 1000, "the document waited on the file");
        QVERIFY2(message.endsWith(reason), qPrintable(message));
    }

    void saveRefusesAtOnceAndLeavesItAlone_data() { kinds(); }
    void saveRefusesAtOnceAndLeavesItAlone() {
        QFETCH(QString, kind);
        QString reason;
        const QString path = special(kind, &reason);
        if (path.startsWith(u"/dev/"))
            QSKIP("needs a device node of its own (root may make one): this case never saves over /dev/null");
        const QStringList before =
            QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        view.Lines().Add("text");
        TFifoWatchdog watchdog(path);
        qint64 ms = 0;
        const QString message = messageOf([&] { doc.SaveWithBackup(); }, &ms);
        QVERIFY2(ms < 1000, "the save waited on the file");
        QCOMPARE(message, QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                              .arg(QFileInfo(path).absoluteFilePath(), reason));
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st), 0);
        QVERIFY(!S_ISREG(st.st_mode)); // still what it was, not replaced by a file
        QCOMPARE(
            QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System),
            before); // nothing moved aside, no temporary file left
    }

    // A symbolic link to a FIFO is refused like the FIFO itself.
    void linkToAFifo() {
        QString reason;
        const QString fifo = special("fifo", &reason);
        const QString link = FDir.filePath("link-to-pipe.ini");
        QFile::link(fifo, link);
        TFifoWatchdog watchdog(fifo);
        const ProfileReader reader(link);
        QCOMPARE(reader.SourceState(), ProfileReader::Source::Unreadable);
        QCOMPARE(reader.SourceError(), reason);
    }

    void regularFilesStillRead() {
        const QString path = WriteFile(FDir.filePath("plain.ini"), "[Description]\r\nItem1=x");
        const ProfileReader reader(path);
        QCOMPARE(reader.SourceState(), ProfileReader::Source::Loaded);
        QCOMPARE(reader.ReadString("Description", "Item1", QString()), QStringLiteral("x"));
        QCOMPARE(ProfileReader(FDir.filePath("absent.ini")).SourceState(), ProfileReader::Source::Missing);
        QCOMPARE(ProfileReader(FDir.filePath("plain.ini/below")).SourceState(),
                 ProfileReader::Source::Missing);
    }
};

QTEST_GUILESS_MAIN(TestFileKinds)
#include "test_filekinds.moc"
