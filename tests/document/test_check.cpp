#include "document/ProfileReader.h"
#include "document/SapLogonCheck.h"

#include <QTest>

// The mistakes SAP Logon does not report, one row a rule, with clean cases beside the faulty ones.
class TestCheck : public QObject {
    Q_OBJECT

    static tyEntry entry(const QString &description, const QString &origin, const QString &database,
                         const QString &sid, const QString &snc, const QString &key) {
        tyEntry e;
        e.Description = description;
        e.Origin = origin;
        e.Server = "app";
        e.System = "3";
        e.Database = database;
        e.MSSysName = sid;
        e.SncChoice = snc;
        e.RouterChoice = "0";
        e.SessManKey = key;
        return e;
    }

    // "Item2 Database: error" for each problem: where and how bad, without the wording.
    static QStringList summary(const QList<TProblem> &problems) {
        QStringList out;
        for (const TProblem &p : problems) {
            const QString line = ProblemLine(p);
            out << line.left(line.indexOf(u':', line.indexOf(u':') + 1));
        }
        return out;
    }

private Q_SLOTS:
    void model_data() {
        QTest::addColumn<QStringList>("changes"); // "1.Field=value" of an entry, "g.SessManNewKey=n"
        QTest::addColumn<bool>("ansi");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("clean") << none << true << none;
        QTest::newRow("duplicate SessManKey")
            << QStringList{"2.SessManKey=1"} << true << QStringList{"Item2 SessManKey: error"};
        QTest::newRow("-1 and empty keys repeat freely")
            << QStringList{"1.SessManKey=-1", "2.SessManKey=-1", "3.SessManKey="} << true << none;
        QTest::newRow("SessManNewKey not above the largest key")
            << QStringList{"g.SessManNewKey=3"} << true
            << QStringList{"[Configuration] SessManNewKey: error"};
        QTest::newRow("three-digit Database")
            << QStringList{"2.Database=123"} << true << QStringList{"Item2 Database: error"};
        QTest::newRow("group entry needs no Database") << QStringList{"1.Database="} << true << none;
        QTest::newRow("server entry with SNC, one digit")
            << QStringList{"1.Origin=ms_sel_server_snc", "1.Database=1"} << true
            << QStringList{"Item1 Database: error"};
        QTest::newRow("SID starting with a digit")
            << QStringList{"1.MSSysName=1AB"} << true << QStringList{"Item1 MSSysName: error"};
        QTest::newRow("manual entry without SID")
            << QStringList{"2.MSSysName="} << true << QStringList{"Item2 MSSysName: warning"};
        QTest::newRow("empty description")
            << QStringList{"2.Description="} << true << QStringList{"Item2 Description: warning"};
        QTest::newRow("same description") << QStringList{"3.Description=PRD Production"} << true
                                          << QStringList{"Item3 Description: warning"};
        QTest::newRow("unknown origin")
            << QStringList{"1.Origin=MS_SEL_GROUP"} << true << QStringList{"Item1 Origin: error"};
        QTest::newRow("origin in another case") << QStringList{"1.Origin=ms_sel_groups_SNC"} << true << none;
        QTest::newRow("SncChoice 5") << QStringList{"1.SncChoice=5"} << true
                                     << QStringList{"Item1 SncChoice: error"};
        QTest::newRow("SNC on without a name")
            << QStringList{"1.SncChoice=9"} << true << QStringList{"Item1 SncName: error"};
        QTest::newRow("SNC on with a name")
            << QStringList{"1.SncChoice=1", "1.SncName=p:CN=PRD"} << true << none;
        QTest::newRow("RouterChoice 1 without Router2")
            << QStringList{"1.RouterChoice=1"} << true << QStringList{"Item1 Router2: error"};
        QTest::newRow("router strings")
            << QStringList{"1.Router=/H/r/S/3299/H/", "1.RouterChoice=1", "1.Router2=/H/r/X/1"} << true
            << QStringList{"Item1 Router2: error"};
        QTest::newRow("letter outside Windows-1252")
            << QStringList{QString::fromUtf8("2.Server=Łódź")} << true << QStringList{"Item2 Server: error"};
        QTest::newRow("any letter in UTF-16")
            << QStringList{QString::fromUtf8("2.Server=Łódź")} << false << none;
    }

    void model() {
        QFETCH(QStringList, changes);
        QFETCH(bool, ansi);
        QFETCH(QStringList, expected);
        QList<tyEntry> entries = {entry("PRD Production", "MS_SEL_GROUPS", "00", "PRD", "0", "1"),
                                  entry("QAS Quality", "USEREDIT", "01", "QAS", "-1", "2"),
                                  entry("DEV Development", "MS_SEL_SERVER", "02", "DEV", "", "3")};
        tyGlobal global;
        global.Configuration.SessManNewKey = 4;
        for (const QString &change : changes) {
            const qsizetype dot = change.indexOf(u'.'), eq = change.indexOf(u'=');
            const QString field = change.mid(dot + 1, eq - dot - 1), value = change.mid(eq + 1);
            if (change.startsWith(u'g')) {
                global.Configuration.SessManNewKey = value.toInt();
                continue;
            }
            tyEntry &e = entries[change.left(dot).toInt() - 1];
            for (int f = 0; f < tyEntry::FieldCount; ++f)
                if (field == QLatin1String(EntryFieldNames[f]))
                    e.field(f) = value;
        }
        const QList<TProblem> problems = CheckModel(entries, global, tyOtherContent{}, ansi);
        QCOMPARE(summary(problems), expected);
        QCOMPARE(HasErrors(problems), expected.join(u' ').contains("error"));
    }

    void unwritableLetterIsNamed() {
        tyEntry e = entry("PRD", "USEREDIT", "00", "PRD", "0", "1");
        e.Server = QString::fromUtf8("Łódź");
        tyGlobal global;
        global.Configuration.SessManNewKey = 2;
        const QList<TProblem> problems = CheckModel({e}, global, tyOtherContent{}, true);
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems[0].Message,
                 QString::fromUtf8(
                     "\"Ł\" (U+0141) cannot be written in Windows-1252: saving turns it into \"?\""));
    }

    void file_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("clean") << QByteArray("[Description]\nItem1=a\n; a comment\n[Server]\nitem1=s\n")
                               << QStringList{} << QString();
        QTest::newRow("keys SAP Logon never reads")
            << QByteArray("[Description]\nItem1=a\n[Server]\nItem1=s\nItem2=t\nFoo=1\n")
            << QStringList{"[Server]: warning"} << "2 keys SAP Logon never reads: \"Item2\", \"Foo\"";
        QTest::newRow("second copy of a section")
            << QByteArray("[Description]\nItem1=a\n[description]\nItem2=b\n[Description]\n")
            << QStringList{"[description]: error"} << "appears 3 times";
        QTest::newRow("line without =") << QByteArray("[Description]\nItem1=a\ngarbage\n")
                                        << QStringList{"[Description]: warning"} << "\"garbage\"";
    }

    void file() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        QFETCH(QString, mentions);
        const ProfileReader reader = ProfileReader::FromBytes(text);
        const QList<TProblem> problems = CheckFile(reader, 1);
        QCOMPARE(summary(problems), expected);
        if (!mentions.isEmpty())
            QVERIFY2(problems.first().Message.contains(mentions), qPrintable(problems.first().Message));
    }

    void routerString_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        for (const char *ok :
             {"/H/host", "/H/host/S/3299", "/H/r/S/3299/H/", "/H/r1/S/3299/W/pw/H/r2/S/3299/H/",
              "/h/r/s/sapdp00/h/", "/H/r/P/secret/H/", "/H/r/H/"})
            QTest::newRow(ok) << QString(ok) << true;
        for (const char *bad : {"host", "/H/", "/H//S/3299", "/S/3299/H/x", "/H/r/S/", "/H/r/S/1/S/2",
                                "/H/r/X/y", "/H/r/", "/H/r/H//H/", "/H/r/W/pw/S/1", "H/r"})
            QTest::newRow(bad) << QString(bad) << false;
    }

    void routerString() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(IsRouterString(text), valid);
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "test_check.moc"
