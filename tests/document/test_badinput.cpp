#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

#include <unistd.h>

// Files that are not what they should be: a clear error or a sane load, never a crash, and
// the file on disk stays as it was.
class TestBadInput : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    static QByteArray digest(const QString &path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QCryptographicHash h(QCryptographicHash::Sha256);
        h.addData(&f);
        return h.result();
    }

    static QByteArray utf16le(const QString &text) {
        return QByteArray("\xFF\xFE") +
               QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    }

    static QByteArray randomBytes(qsizetype n, quint32 seed) {
        QByteArray b(n, Qt::Uninitialized);
        QRandomGenerator gen(seed);
        gen.fillRange(reinterpret_cast<quint32 *>(b.data()), n / 4);
        return b;
    }

private Q_SLOTS:
    void loadsSanelyAndChangesNothingOnDisk_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        QTest::newRow("random bytes") << randomBytes(64 * 1024, 7) << 0;
        QTest::newRow("NUL bytes") << QByteArrayLiteral("[Description]\nItem1=a\0b\n\0\0\0[Server]\nItem1=s")
                                   << 2;
        QTest::newRow("only a mark") << QByteArray("\xFF\xFE") << 0;
        QTest::newRow("odd-length utf-16") << QByteArray(utf16le("[Description]\r\nItem1=x\r\n") + 'Z') << 1;
        QTest::newRow("lone surrogates") << utf16le(QString::fromUtf16(u"[Description]\r\nItem1=\xDC00"
                                                                       u"a\xD800\r\nItem2=\xD83D"))
                                         << 2;
        QTest::newRow("utf-16 without a mark") << utf16le("[Description]\r\nItem1=x\r\n").mid(2) << 0;
        QTest::newRow("100,000-character line")
            << QByteArray("[Description]\nItem1=" + QByteArray(100000, 'v') + "\n") << 1;
    }

    void loadsSanelyAndChangesNothingOnDisk() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, entries);
        const QString path = WriteFile(FDir.filePath("bad.ini"), bytes);
        const QByteArray before = digest(path);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        doc.LoadSapLogon(QString());
        QCOMPARE(doc.FEntries.size(), entries);
        for (const tyEntry &e : doc.FEntries)
            QVERIFY(e.Description.size() <= 2047);
        doc.BuildFileContent();
        const int modelLines = entries ? 17 + 19 * (entries + 2) : 17;
        if (doc.FOther.isEmpty())
            QCOMPARE(view.Lines().Count(), modelLines);
        else
            QVERIFY(view.Lines().Count() > modelLines); // random bytes hold "[...]" headers
        QCOMPARE(digest(path), before);
    }

    void loneSurrogatesSurviveAUtf16Save() {
        const QString path = WriteFile(FDir.filePath("surrogates.ini"),
                                       utf16le(QString::fromUtf16(u"[Description]\r\nItem1=\xDC00"
                                                                  u"a\xD800")));
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        doc.LoadSapLogon(QString());
        doc.BuildFileContent();
        doc.Save(QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
        doc.LoadSapLogon(QString());
        QCOMPARE(doc.FEntries.value(0).Description, QString::fromUtf16(u"\xDC00"
                                                                       u"a\xD800"));
    }

    void fiftyMegabytesLoad() {
        QByteArray big = randomBytes(50 * 1024 * 1024, 11);
        big.prepend("[Description]\nItem1=first\n");
        const QString path = WriteFile(FDir.filePath("big.ini"), big);
        big.clear();
        const QByteArray before = digest(path);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        doc.LoadSapLogon(QString());
        QVERIFY(view.Lines().Count() > 1000);
        QCOMPARE(doc.FEntries.value(0).Description, QString("first"));
        QCOMPARE(digest(path), before);
        QFile::remove(path);
    }

    void folderAsFileLoadsAsNothing() {
        QDir(FDir.path()).mkdir("folder.ini");
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = FDir.filePath("folder.ini");
        doc.LoadSapLogon(QString());
        QVERIFY(doc.FEntries.isEmpty());
        QCOMPARE(view.Lines().Count(), 0);
        QVERIFY(QFileInfo(doc.FSapLogon).isDir());
    }

    void unreadableFileIsAClearErrorAndKeepsTheModel() {
        if (geteuid() == 0)
            QSKIP("root reads files whatever their rights");
        const QString path = WriteFile(FDir.filePath("locked.ini"), "[Description]\nItem1=x\n");
        QFile::setPermissions(path, QFileDevice::Permissions());
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        tyEntry kept;
        kept.Description = "kept";
        doc.FEntries = {kept};
        doc.FSapLogon = path;
        try {
            doc.LoadSapLogon(QString());
            QFAIL("an unreadable file loaded");
        } catch (const EAppError &e) {
            QVERIFY(e.message().startsWith("Impossible d'ouvrir le fichier \"" + path + "\". "));
        }
        QCOMPARE(doc.FEntries, QList<tyEntry>{kept});
    }
};

QTEST_GUILESS_MAIN(TestBadInput)
#include "test_badinput.moc"
