#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

// Loading, regenerating and the document side of saving (backup naming, encodings).
class TestDocument : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    static QString example() { return QStringLiteral(SAPLOGON_SOURCE_DIR "/examples/saplogon.ini"); }

    static tyEntry entry(const QString &description) {
        tyEntry e;
        e.Description = description;
        return e;
    }

private Q_SLOTS:
    void generatesTheFixedLayout() {
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        tyConfiguration &c = doc.FGlobal.Configuration;
        c.SessManNewKey = 7;
        c.MessageServerTimeout = -5;
        c.WithWizard = true;
        c.NoEditFunctionality = true;
        c.SapguiTraceActivated = true;
        c.SapguiTraceLevel = 2;
        c.SapguiNTCmdOpts = "/trace=1";
        doc.FGlobal.MSLast.MSLast = "QAS";
        doc.FGlobal.MSWinPos = {-1, 300};
        tyEntry first = entry("Prod; main");
        first.Origin = "MS_SEL_GROUPS";
        first.Router = "/H/r/S/3299/H/";
        first.SncName = "p:CN=a=b";
        first.SessManKey = "1";
        tyEntry second = entry("Test\twith tab");
        second.Server = "app=1";
        second.MSSrvPort = "3600";
        doc.FEntries = {first, second};
        const tyGlobal globalBefore = doc.FGlobal;
        const QList<tyEntry> entriesBefore = doc.FEntries;

        doc.BuildFileContent();

        QCOMPARE(view.Lines().Text().toUtf8(), ReadFile(SAPLOGON_TEST_DATA "/two-entries.expected.ini"));
        QCOMPARE(view.Lines().UpdateCount(), 0);
        QCOMPARE(view.Lines().FLockCount, 0);
        QCOMPARE(doc.FGlobal, globalBefore);
        QCOMPARE(doc.FEntries, entriesBefore);
    }

    void lineCountFollowsTheEntryCount_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("lines");
        QTest::newRow("none") << 0 << 17;
        QTest::newRow("one") << 1 << 17 + 19 * 3;
        QTest::newRow("twelve") << 12 << 17 + 19 * 14;
    }

    void lineCountFollowsTheEntryCount() {
        QFETCH(int, entries);
        QFETCH(int, lines);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        for (int i = 0; i < entries; ++i)
            doc.FEntries.append(tyEntry{}); // empty fields still give "ItemN=" lines
        view.Lines().Add("hand-typed text that regeneration replaces");
        doc.BuildFileContent();
        QCOMPARE(view.Lines().Count(), lines);
        QCOMPARE(view.Lines().Get(lines - 1), entries ? QStringLiteral("Item%1=").arg(entries) : "NormY=0");
        QCOMPARE(view.Lines().Get(4), QString("ConfirmDelete=0")); // creation values, not read defaults
    }

    void loadsEntriesGlobalsAndKeepsWhatSapLogonReads() {
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = example();
        doc.FModified = true;
        doc.LoadSapLogon(QString());
        QCOMPARE(doc.FEntries.size(), 8);
        QCOMPARE(doc.FEntries[1].Description, QString::fromUtf8("ERP Qualitätssicherung (QAS)"));
        QCOMPARE(doc.FEntries[4].Description, QString("BW Reporting, Europe (BWP)"));
        QCOMPARE(doc.FEntries[3].Router2, QString("/H/saprouter.example.net/S/3299/H/10.20.40.12/S/3299/H/"));
        QCOMPARE(doc.FEntries[7].SncChoice, QString("-1"));
        QCOMPARE(doc.FGlobal.Configuration.SessManNewKey, 9);
        QCOMPARE(doc.FGlobal.Configuration.NoEditFunctionality, false);
        QCOMPARE(doc.FGlobal.MSLast.MSLast, QString("PRD"));
        QCOMPARE(doc.FGlobal.MSWinPos.NormX, 120);
        QVERIFY(!doc.FModified);
        QVERIFY(view.Lines().Text().startsWith("; SAP Logon systems")); // the file as it was read

        doc.BuildFileContent();
        const QString text = view.Lines().Text();
        QCOMPARE(view.Lines().Get(10), QString("ShowSystemTree=1")); // after the known keys
        QVERIFY(!text.contains(';'));                                // comments are not values
        QCOMPARE(view.Lines().Count(), 17 + 1 + 19 * 10);

        const QList<tyEntry> first = doc.FEntries;
        doc.LoadSapLogon(QString());
        QCOMPARE(doc.FEntries, first); // never accumulates
    }

    void countsDescriptionKeysAndReadsItemOneToK() {
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = WriteFile(FDir.filePath("gaps.ini"),
                                  "[Description]\nItem1=a\nItem2=b\nItem4=d\n"
                                  "[Server]\nItem3=s3\nItem4=s4\n[MSWinPos]\nNormX=\nNormY=7\n");
        doc.LoadSapLogon(QString());
        QCOMPARE(doc.FEntries.size(), 3);
        QCOMPARE(doc.FEntries[2].Description, QString());
        QCOMPARE(doc.FEntries[2].Server, QString("s3"));
        QCOMPARE(doc.FGlobal.MSWinPos.NormX, 50);
        QCOMPARE(doc.FGlobal.MSWinPos.NormY, 7);

        doc.FSapLogon =
            WriteFile(FDir.filePath("nodesc.ini"), "[Server]\nItem1=x\n[Configuration]\nSessManNewKey=$1A\n");
        doc.LoadSapLogon(QString());
        QVERIFY(doc.FEntries.isEmpty());
        QCOMPARE(doc.FGlobal.Configuration.SessManNewKey, 26);
    }

    void missingFileReloadsAsEmptyDocumentWithReadDefaults() {
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FEntries = {entry("old")};
        doc.FSapLogon = FDir.filePath("absent.ini");
        view.Lines().Add("old text");
        doc.LoadSapLogon(QString());
        QVERIFY(doc.FEntries.isEmpty());
        QCOMPARE(view.Lines().Count(), 0);
        QVERIFY(doc.FGlobal.Configuration.ConfirmDelete);
        QVERIFY(doc.FGlobal.Configuration.NoEditFunctionality);
        QCOMPARE(doc.FGlobal.MSWinPos, (tyMSWinPos{50, 50}));
        QVERIFY(!QFile::exists(doc.FSapLogon));
    }

    void importAppendsAndTakesOverPathAndEncoding() {
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = example();
        doc.LoadSapLogon(QString());
        const tyGlobal global = doc.FGlobal;
        const QString utf16 = QStringLiteral(SAPLOGON_TEST_DATA "/saplogon-utf16le.ini");
        doc.LoadSapLogon(utf16);
        QCOMPARE(doc.FEntries.size(), 16);
        QCOMPARE(doc.FEntries[8], doc.FEntries[0]); // the twin holds the same entries
        QCOMPARE(doc.FGlobal, global);
        QCOMPARE(doc.FSapLogon, utf16);
        QVERIFY(doc.FModified);
        QCOMPARE(view.Lines().Encoding(), TTextEncoding::Utf16LE);

        THeadlessCodeMemoView fresh;
        SapLogonDocument empty(fresh.Lines());
        empty.LoadSapLogon(example());
        QCOMPARE(empty.FEntries.size(), 8);
        QCOMPARE(empty.FGlobal, tyGlobal{}); // never read: creation values stay
        QCOMPARE(empty.FSapLogon, example());
    }

    void savedFileKeepsItsEncodingAndReloadsToTheSameModel_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("mark");
        QTest::newRow("windows-1252") << example() << QByteArray();
        QTest::newRow("utf-16 le") << QStringLiteral(SAPLOGON_TEST_DATA "/saplogon-utf16le.ini")
                                   << QByteArray("\xFF\xFE");
    }

    void savedFileKeepsItsEncodingAndReloadsToTheSameModel() {
        QFETCH(QString, source);
        QFETCH(QByteArray, mark);
        const QString path = WriteFile(FDir.filePath("roundtrip.ini"), ReadFile(source));
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        doc.LoadSapLogon(QString());
        const QList<tyEntry> entries = doc.FEntries;
        const tyGlobal global = doc.FGlobal;
        doc.BuildFileContent();
        const QString text = view.Lines().Text();
        doc.Save(QDateTime(QDate(2024, 1, 5), QTime(9, 3, 7)));

        const QByteArray written = ReadFile(path);
        QVERIFY(written.startsWith(mark));
        QVERIFY(!written.endsWith(mark.isEmpty() ? "\n" : QByteArray("\n\0", 2)));
        QCOMPARE(ReadFile(FDir.filePath("roundtrip.20240105090307")), ReadFile(source));
        QCOMPARE(view.Lines().Text(), text); // the view shows the file as written
        doc.LoadSapLogon(QString());
        QCOMPARE(doc.FEntries, entries);
        QCOMPARE(doc.FGlobal, global);
        doc.BuildFileContent();
        QCOMPARE(view.Lines().EncodedText(), written); // a regenerated file regenerates to itself
        QFile::remove(FDir.filePath("roundtrip.20240105090307"));
    }

    // Found by fuzz_document: a value whose ends the reader trims or whose enclosing quotes it
    // takes away (read from a quoted text such as "qas-ms.erp. ") was written bare, and read
    // back as another value. Such a value is quoted once more, so that it reads back as itself.
    void valuesReadBackAsThemselves_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("written"); // the text after "=", as the line store holds it
        QTest::addColumn<QString>("read");    // what the reader gives back
        auto row = [](const char *name, const QString &value, const QString &written) {
            QTest::newRow(name) << value << written << value;
        };
        row("plain", "qas-ms.erp", "qas-ms.erp");
        row("one quote", "\"x", "\"x");
        row("quote inside", "a\"b\"", "a\"b\"");
        row("trailing blank", "qas-ms.erp. ", "\"qas-ms.erp. \"");
        row("Ctrl-Z at the end", "x\x1A", "\"x\x1A\"");
        row("enclosing quotes", "\"x\"", "\"\"x\"\"");
        row("enclosing apostrophes", "'x'", "\"'x'\"");
        row("two quotes", "\"\"", "\"\"\"\"");
        row("blanks only", "  ", "\"  \"");
        row("empty", "", "");
        row("2046 characters", " " + QString(2045, u'v'), "\" " + QString(2045, u'v') + "\"");
        row("2047 characters", " " + QString(2046, u'v'), "\" " + QString(2046, u'v') + "\"\"");
        // The File content page shows a Tab as four spaces, and the file is written with them.
        QTest::newRow("leading tab") << "\tx"
                                     << "\"    x\""
                                     << "    x";
        QTest::newRow("2047 characters once the Tab is spaces") << " " + QString(2042, u'v') + "\t"
                                                                << "\" " + QString(2042, u'v') + "    \"\""
                                                                << " " + QString(2042, u'v') + "    ";
    }
    void valuesReadBackAsThemselves() {
        QFETCH(QString, value);
        QFETCH(QString, written);
        QFETCH(QString, read);
        const QString path = FDir.filePath("values.ini");
        QFile::remove(path);
        THeadlessCodeMemoView view;
        SapLogonDocument doc(view.Lines());
        doc.FSapLogon = path;
        tyEntry e = entry("d");
        e.MSSrvName = value;
        doc.FEntries = {e};
        doc.FGlobal.Configuration.SapguiNTCmdOpts = value;
        doc.FGlobal.MSLast.MSLast = value;
        doc.BuildFileContent();
        QVERIFY(view.Lines().Text().contains("\r\n[MSSrvName]\r\nItem1=" + written + "\r\n"));
        QVERIFY(view.Lines().Text().contains("\r\nMSLast=" + written + "\r\n"));
        doc.SaveWithBackup();
        THeadlessCodeMemoView again;
        SapLogonDocument reread(again.Lines());
        reread.FSapLogon = path;
        reread.LoadSapLogon(QString());
        QCOMPARE(reread.FEntries.value(0).MSSrvName, read);
        QCOMPARE(reread.FGlobal.Configuration.SapguiNTCmdOpts, read);
        QCOMPARE(reread.FGlobal.MSLast.MSLast, read);
    }

    void zeroPad_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded") << 5 << 2 << "05";
        QTest::newRow("year") << 2024 << 4 << "2024";
        QTest::newRow("longer than width") << 12345 << 2 << "12345";
        QTest::newRow("width zero") << 7 << 0 << "7";
        QTest::newRow("negative") << -5 << 4 << "00-5";
    }

    void zeroPad() {
        QFETCH(int, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(ZeroPad(value, width), expected);
    }

    void backupPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("windows") << "C:\\Windows\\saplogon.ini"
                                 << "C:\\Windows\\saplogon.20240413140105";
        QTest::newRow("windows, no extension") << "C:\\Windows\\saplogon"
                                               << "C:\\Windows\\saplogon.20240413140105";
        QTest::newRow("dotted folder") << "C:\\my.dir\\saplogon"
                                       << "C:\\my.dir\\saplogon.20240413140105";
        QTest::newRow("drive only") << "C:saplogon"
                                    << "C:saplogon.20240413140105";
        QTest::newRow("posix") << "/etc/sap/saplogon.ini"
                               << "/etc/sap/saplogon.20240413140105";
        QTest::newRow("posix dotted folder") << "/home/a.b/saplogon"
                                             << "/home/a.b/saplogon.20240413140105";
        QTest::newRow("two extensions") << "/x/saplogon.ini.bak"
                                        << "/x/saplogon.ini.20240413140105";
        QTest::newRow("bare name") << "saplogon.ini"
                                   << "saplogon.20240413140105";
    }

    void backupPath() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(BackupPathFor(path, QDateTime(QDate(2024, 4, 13), QTime(14, 1, 5, 999))), expected);
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
