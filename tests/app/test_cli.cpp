#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "common/NonRegularFiles.h"
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

    // code -1: killed by a signal; -2: still running after timeoutMs (then killed).
    static Result run(const QString &program, const QStringList &args, int timeoutMs = 60000) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return {-2, p.readAllStandardOutput(), p.readAllStandardError()};
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }
    static Result cli(const QStringList &args, int timeoutMs = 60000) {
        return run(QStringLiteral(SAPLOGON_CLI), args, timeoutMs);
    }
    // The tool run by the shell after the shell command prefix (ulimit ...).
    static Result cliInShell(const QString &prefix, const QStringList &args) {
        QString command = prefix + QStringLiteral("; exec \"$0\" \"$@\"");
        return run(QStringLiteral("/bin/sh"),
                   QStringList{"-c", command, QStringLiteral(SAPLOGON_CLI)} + args);
    }

    QStringList allFiles() const {
        return QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    void removeAll() {
        for (const QString &f : allFiles())
            QFile::remove(FDir.filePath(f));
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
        // Option forms: a value joined with "=", options anywhere, and "--" ending them.
        const QString dashes = WriteFile(FDir.filePath("dashes.ini"), "[--S]\r\n--K=dashed\r\n");
        QTest::newRow("--default=TEXT")
            << QStringList{"read", ex, "S", "K", "--default=a b=c"} << 0 << QByteArray("a b=c\n");
        QTest::newRow("--default= is an empty text")
            << QStringList{"read", ex, "S", "K", "--default="} << 0 << QByteArray("\n");
        QTest::newRow("option before the file")
            << QStringList{"read", "--default", "d", ex, "S", "K"} << 0 << QByteArray("d\n");
        QTest::newRow("-- ends the options")
            << QStringList{"read", "--default=d", "--", dashes, "--S", "--K"} << 0 << QByteArray("dashed\n");
        QTest::newRow("without --, an option")
            << QStringList{"read", dashes, "--S", "--K"} << 2 << QByteArray();
        QTest::newRow("--help after --") << QStringList{"keys", "--", dashes, "--help"} << 0 << QByteArray();
        QTest::newRow("--default without text")
            << QStringList{"read", ex, "S", "K", "--default"} << 2 << QByteArray();
        QTest::newRow("--json with a value") << QStringList{"entries", ex, "--json=yes"} << 2 << QByteArray();
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("saplogon-ini 1.0.0.1\n");
        QTest::newRow("-v") << QStringList{"-v"} << 0 << QByteArray("saplogon-ini 1.0.0.1\n");
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
        // After "--" a FILE named "--json" is a file (missing here), not the switch.
        QTest::newRow("file named --json") << QStringList{"entries", "--", "--json"} << 1 << QByteArray();
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

    // Writing commands run quickly one after the other (in one second, often) keep every version,
    // and the message names the backup that holds the version before.
    void everyVersionIsKeptAndNamed() {
        removeAll();
        const QString path = copy(example(), "saplogon.ini");
        QList<QByteArray> versions{ReadFile(path)};
        for (int i = 0; i < 3; ++i) {
            const Result r = cli({"import", path, utf16()});
            QCOMPARE(r.code, 0);
            const QList<QByteArray> lines = r.err.split('\n');
            QVERIFY2(lines.first().startsWith("previous file kept as "), r.err.constData());
            const QString backup = QString::fromUtf8(lines.first().mid(22));
            QCOMPARE(ReadFile(backup), versions.last());
            versions << ReadFile(path);
        }
        QCOMPARE(backups().size(), 3);
        QList<QByteArray> kept;
        for (const QString &b : backups())
            kept << ReadFile(FDir.filePath(b));
        for (int i = 0; i < 3; ++i)
            QVERIFY2(kept.contains(versions[i]), qPrintable(QString("version %1 is in no file").arg(i)));
        removeAll();
    }

    // mkfifo x.ini; saplogon-ini entries x.ini never returned.
    void nonRegularFilesAreRefusedAtOnce_data() {
        QTest::addColumn<QStringList>("args"); // "@" stands for the FIFO
        QTest::newRow("entries") << QStringList{"entries", "@"};
        QTest::newRow("keys") << QStringList{"keys", "@", "Description"};
        QTest::newRow("read") << QStringList{"read", "@", "Description", "Item1"};
        QTest::newRow("generate") << QStringList{"generate", "@"};
        QTest::newRow("normalize") << QStringList{"normalize", "@"};
        QTest::newRow("import from it") << QStringList{"import", "target.ini", "@"};
        QTest::newRow("import into it") << QStringList{"import", "@", "other.ini"};
    }
    void nonRegularFilesAreRefusedAtOnce() {
        QFETCH(QStringList, args);
        removeAll();
        const QString fifo = MakeFifo(FDir.filePath("x.ini"));
        copy(example(), "target.ini");
        copy(example(), "other.ini");
        args.replaceInStrings(QRegularExpression("^@$"), fifo);
        args.replaceInStrings(QRegularExpression("^(target|other).ini$"), FDir.path() + "/\\1.ini");
        const QStringList before = allFiles();
        const Result r = cli(args, 10000);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(
                     QByteArray(QFile::encodeName(fifo) + "\". Is a named pipe (FIFO), not a regular file")),
                 r.err.constData());
        QCOMPARE(allFiles(), before);
        removeAll();
    }

    void aDeviceIsRefused() {
        const Result r = cli({"entries", "/dev/null"}, 10000);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("Is a character device, not a regular file"), r.err.constData());
    }

    // ulimit -f killed the tool with SIGXFSZ (exit 153, no message) and left a partial temporary.
    void aFileSizeLimitIsAnErrorWithAMessage() {
        removeAll();
        const QString path = copy(example(), "saplogon.ini");
        const QByteArray before = ReadFile(path);
        // 2 blocks of 512 bytes: well below the file's 2.7 KB.
        const Result r = cliInShell(QStringLiteral("ulimit -f 2"), {"normalize", path});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("File too large"), r.err.constData());
        QVERIFY2(r.err.contains("1024 bytes"), r.err.constData()); // the limit is named
        QCOMPARE(ReadFile(path), before);
        QCOMPARE(allFiles(), QStringList{"saplogon.ini"}); // no temporary, no backup
        removeAll();
    }

    // Through a link: the link stays, the file it points to is saved and backed up beside it.
    void aLinkIsFollowed() {
        removeAll();
        const QString real = copy(example(), "real.ini");
        const QString link = FDir.filePath("link.ini");
        QVERIFY(QFile::link("real.ini", link));
        const Result r = cli({"normalize", link});
        QCOMPARE(r.code, 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY2(r.err.startsWith(
                     QByteArray("previous file kept as " + QFile::encodeName(FDir.path()) + "/real.2")),
                 r.err.constData());
        QCOMPARE(backups().size(), 1);
        QVERIFY(backups().first().startsWith("real."));
        QCOMPARE(ReadFile(FDir.filePath(backups().first())), ReadFile(example()));
        QFile::remove(link);
        removeAll();
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
