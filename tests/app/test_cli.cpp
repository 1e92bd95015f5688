#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

// The command-line tool: what it prints, what it writes, and its exit codes.
class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    struct Result {
        int code;
        QByteArray out;
        QByteArray err;
    };

    static Result cli(const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral(SAPLOGON_CLI), args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    QString copy(const QString &from, const QString &name) {
        const QString to = FDir.filePath(name);
        QFile::remove(to);
        QFile::copy(from, to);
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }

    static QString example() { return QStringLiteral(SAPLOGON_SOURCE_DIR "/examples/saplogon.ini"); }
    static QString utf16() {
        return QStringLiteral(SAPLOGON_SOURCE_DIR "/tests/document/data/saplogon-utf16le.ini");
    }

    static QString sapLogon7() {
        return QStringLiteral(SAPLOGON_SOURCE_DIR "/tests/document/data/saplogon-7x.ini");
    }

    QStringList backups() const { return QDir(FDir.path()).entryList({"*.2*"}, QDir::Files); }

private Q_SLOTS:
    void readingCommands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        const QString ex = example();
        QTest::newRow("keys") << QStringList{"keys", ex, "mswinpos"} << 0 << QByteArray("NormX\nNormY\n");
        QTest::newRow("read, Windows-1252 to UTF-8") << QStringList{"read", ex, "Description", "Item2"} << 0
                                                     << QByteArray("ERP Qualit\xC3\xA4tssicherung (QAS)\n");
        QTest::newRow("read, default")
            << QStringList{"read", ex, "S", "K", "--default", "\"d\""} << 0 << QByteArray("d\n");
        QTest::newRow("read, missing file")
            << QStringList{"read", "/no/such.ini", "S", "K"} << 0 << QByteArray("\n");
        QTest::newRow("read-int") << QStringList{"read-int", ex, "MSWinPos", "NormX", "50"} << 0
                                  << QByteArray("120\n");
        QTest::newRow("read-int, default")
            << QStringList{"read-int", ex, "MSWinPos", "none", "-3"} << 0 << QByteArray("-3\n");
        QTest::newRow("read-bool") << QStringList{"read-bool", ex, "Configuration", "WithWizard", "0"} << 0
                                   << QByteArray("1\n");
        QTest::newRow("folder") << QStringList{"keys", FDir.path(), "S"} << 1 << QByteArray();
        QTest::newRow("no command") << QStringList{} << 2 << QByteArray();
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << QByteArray();
        QTest::newRow("missing argument") << QStringList{"read", ex, "S"} << 2 << QByteArray();
        QTest::newRow("bad integer") << QStringList{"read-int", ex, "S", "K", "ten"} << 2 << QByteArray();
        QTest::newRow("unknown option") << QStringList{"keys", ex, "S", "--json"} << 2 << QByteArray();
        QTest::newRow("entries of a missing file")
            << QStringList{"entries", "/no/such.ini"} << 1 << QByteArray();
    }

    void readingCommands() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        const Result r = cli(args);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        QCOMPARE(r.err.isEmpty(), code == 0);
    }

    void helpExplainsEveryCommand() {
        const Result r = cli({"--help"});
        QCOMPARE(r.code, 0);
        for (const char *c : {"keys", "read", "read-int", "read-bool", "entries", "generate", "normalize",
                              "import", "renumber", "check"})
            QVERIFY2(r.out.contains(QByteArray(QByteArray("  ") + c + ' ')), c);
    }

    void entriesAsJson() {
        const Result r = cli({"entries", example(), "--json"});
        QCOMPARE(r.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o["FEntries"].toArray().size(), 8);
        QCOMPARE(o["FEntries"][4]["Description"].toString(), QString("BW Reporting, Europe (BWP)"));
        QCOMPARE(o["FGlobal"]["Configuration"]["ConfirmDelete"].toBool(), true);
        QCOMPARE(o["FGlobal"]["MSWinPos"]["NormY"].toInt(), 80);
        QVERIFY(r.out.indexOf("\"Description\"") < r.out.indexOf("\"Origin\"")); // the file's order

        const QJsonObject kept =
            QJsonDocument::fromJson(cli({"entries", sapLogon7(), "--json"}).out).object();
        const QJsonObject qas = kept["FEntries"][1]["Other"].toObject();
        QCOMPARE(qas["EntryKey"].toString(), QString("3F2504E0-4F89-11D3-9A0C-0305E82C3302"));
        QVERIFY(!qas.contains("SncNoSSO")); // no key, not an empty value
        QCOMPARE(qas["Utf8Off"].toString(), QString(""));
        QCOMPARE(kept["FOther"]["EntrySections"].toArray().size(), 7);
        QCOMPARE(kept["FOther"]["Configuration"]["LogonTimeout"].toString(), QString("300"));
        QCOMPARE(kept["FOther"]["Sections"]["Options"]["Banner"].toString(), QString("\"a=b\" = 'c'"));
    }

    // The JSON is written as it is made; its strings must be what QJsonDocument would write.
    void jsonStringsAsQtWritesThem() {
        const QString value =
            QStringLiteral("a\"b\\c/\x01\x08\x0c\t\x1f\x7f\u00e9\u20ac\u2028\uFFFF\U0001D11E") +
            QChar(0xD800) + "x" + QChar(0xDC00);
        const QString text = "[Description]\r\nItem1=" + value + "\r\n";
        QByteArray bytes("\xFF\xFE");
        for (const QChar c : text)
            bytes += char(c.unicode() & 0xFF), bytes += char(c.unicode() >> 8);
        const QString path = FDir.filePath("json.ini");
        WriteFile(path, bytes);
        const Result r = cli({"entries", path, "--json"});
        QCOMPARE(r.code, 0);
        const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        const QByteArray written = "{\"Description\": " + array.mid(1, array.size() - 2) + ", ";
        QVERIFY2(r.out.contains(written), r.out);
    }

    void checkExitsByTheWorstProblem_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::newRow("clean") << QByteArray() << 0 << QByteArray();
        QTest::newRow("warnings only")
            << QByteArray("[Description]\r\nItem1=\r\n[Origin]\r\nItem1=USEREDIT\r\n"
                          "[Database]\r\nItem1=00\r\n[MSSysName]\r\nItem1=PRD\r\n")
            << 3 << QByteArray("Item1 Description: warning: The description is empty");
        QTest::newRow("an error")
            << QByteArray("[Description]\r\nItem1=PRD\r\n[Origin]\r\nItem1=USEREDIT\r\n"
                          "[Database]\r\nItem1=123\r\n[MSSysName]\r\nItem1=PRD\r\n")
            << 1
            << QByteArray("Item1 Database: error: Database \"123\" is not a system number of two digits");
    }

    void checkExitsByTheWorstProblem() {
        QFETCH(QByteArray, text);
        QFETCH(int, code);
        QFETCH(QByteArray, firstLine);
        const QString path = text.isEmpty() ? example() : WriteFile(FDir.filePath("check.ini"), text);
        const Result r = cli({"check", path});
        QCOMPARE(r.code, code);
        QCOMPARE(r.out.left(r.out.indexOf('\n')), firstLine);
        const Result j = cli({"check", path, "--json"});
        QCOMPARE(j.code, code);
        const QJsonArray problems = QJsonDocument::fromJson(j.out).array();
        QCOMPARE(problems.isEmpty(), firstLine.isEmpty());
        if (!problems.isEmpty()) {
            QCOMPARE(problems[0]["entry"].toInt(), 1);
            QCOMPARE(problems[0]["severity"].toString(), code == 1 ? QString("error") : QString("warning"));
        }
    }

    void normalizeWritesWhatGenerateShows_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("mark");
        QTest::newRow("windows-1252") << example() << QByteArray();
        QTest::newRow("utf-16 le") << utf16() << QByteArray("\xFF\xFE");
        QTest::newRow("further sections") << sapLogon7() << QByteArray();
    }

    void normalizeWritesWhatGenerateShows() {
        QFETCH(QString, source);
        QFETCH(QByteArray, mark);
        const QString path = copy(source, "saplogon.ini");
        const Result generated = cli({"generate", path});
        QCOMPARE(generated.code, 0);
        const QByteArray bracket = mark.isEmpty() ? QByteArray("[") : QByteArray("[\0", 2);
        QVERIFY(generated.out.startsWith(QByteArray(mark + bracket)));
        QCOMPARE(ReadFile(path), ReadFile(source)); // generate changes nothing on disk
        QCOMPARE(cli({"normalize", path}).code, 0);
        QCOMPARE(ReadFile(path), generated.out);
        QCOMPARE(backups().size(), 1);
        QCOMPARE(ReadFile(FDir.filePath(backups().first())), ReadFile(source));
        QFile::remove(FDir.filePath(backups().first()));
    }

    void importKeepsTheTargetsEncoding() {
        const QString path = copy(example(), "target.ini");
        const Result r = cli({"import", path, utf16()});
        QCOMPARE(r.code, 0);
        QVERIFY(!ReadFile(path).startsWith("\xFF\xFE"));
        const QJsonObject o = QJsonDocument::fromJson(cli({"entries", path, "--json"}).out).object();
        QCOMPARE(o["FEntries"].toArray().size(), 16);
        QCOMPARE(o["FEntries"][15]["Description"].toString(), QString("Training = Schulung (TRN)"));
        QCOMPARE(cli({"import", path, FDir.filePath("absent.ini")}).code, 1);
        for (const QString &b : backups())
            QFile::remove(FDir.filePath(b));
    }

    void renumberSetsKeysInListOrder() {
        const QString path = copy(example(), "renumber.ini");
        QCOMPARE(cli({"renumber", path}).code, 0);
        QCOMPARE(cli({"read", path, "SessManKey", "Item8"}).out, QByteArray("8\n"));
        QCOMPARE(cli({"read-int", path, "Configuration", "SessManNewKey", "0"}).out, QByteArray("9\n"));
        for (const QString &b : backups())
            QFile::remove(FDir.filePath(b));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
