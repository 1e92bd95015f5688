#include "document/ProfileReader.h"
#include "document/SapLogonDocument.h"
#include "editor/HeadlessCodeMemoView.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "common/TestFiles.h"

// What a file holds beyond the form's fields: further entry sections, further keys of the global
// sections and whole sections of SAP Logon's own travel through every operation unchanged.
class TestKeptContent : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    static QString fixture() { return QStringLiteral(SAPLOGON_TEST_DATA "/saplogon-7x.ini"); }

    // Every value a profile query by name reaches, as "section/key" -> value.
    static QMap<QString, QString> readable(const QString &path) {
        const ProfileReader reader(path);
        QMap<QString, QString> values;
        for (const QString &section : reader.SectionNames())
            reader.ForEachRawKey(section, [&](QStringView key, QStringView) {
                values.insert(ProfileReader::FoldedName(section) + u'/' + ProfileReader::FoldedName(key),
                              reader.ReadString(section, key.toString(), QString()));
            });
        return values;
    }

    // The value of an entry section for the entry whose description starts with who.
    static QString valueOf(const QString &path, const QString &section, const QString &who) {
        const ProfileReader reader(path);
        QStringList items;
        reader.ReadSection(QStringLiteral("Description"), items);
        for (const QString &item : items)
            if (reader.ReadString(QStringLiteral("Description"), item, QString()).startsWith(who))
                return reader.ReadString(section, item, QStringLiteral("<missing>"));
        return QStringLiteral("<no entry %1>").arg(who);
    }

    struct Loaded {
        THeadlessCodeMemoView view;
        SapLogonDocument doc{view.Lines()};
        explicit Loaded(const QString &path) {
            doc.FSapLogon = path;
            doc.LoadSapLogon(QString());
        }
    };

private Q_SLOTS:
    void readsEntrySectionsKeptKeysAndSections() {
        Loaded d(fixture());
        const tyOtherContent &o = d.doc.FOther;
        QCOMPARE(o.EntrySections, (QStringList{"EntryKey", "SncNoSSO", "Utf8Off", "ShortcutType",
                                               "ShortcutString", "ShortcutTo", "ShortcutBy"}));
        QCOMPARE(d.doc.FEntries.size(), 3);
        const tyEntry &qas = d.doc.FEntries[1];
        QCOMPARE(qas.Other.size(), 7);
        QCOMPARE(qas.Other[0], std::optional<QString>("3F2504E0-4F89-11D3-9A0C-0305E82C3302"));
        QCOMPARE(qas.Other[1], std::optional<QString>()); // no key: kept apart from an empty value
        QCOMPARE(qas.Other[2], std::optional<QString>(""));
        QCOMPARE(qas.Other[4], std::optional<QString>("\"-command=SU01\"")); // quotes as written
        QCOMPARE(d.doc.FEntries[0].Other[2], std::optional<QString>("1"));   // the first "Item1" wins
        QCOMPARE(o.ConfigurationKeys, (QList<tyKeptKey>{{"LogonTimeout", "300"}}));
        QCOMPARE(o.MSLastKeys, (QList<tyKeptKey>{{"LastGroup", "PUBLIC"}}));
        QCOMPARE(o.MSWinPosKeys, (QList<tyKeptKey>{{"MaxX", "1024"}}));
        QCOMPARE(o.Sections.size(), 2);
        QCOMPARE(o.Sections[0].Name, QString("Options"));
        QCOMPARE(o.Sections[0].Keys, (QList<tyKeptKey>{{"Theme", "\"Blue Crystal\""},
                                                       {"Banner", "\"a=b\" = 'c'"},
                                                       {"Item1", "not an entry section: other keys"}}));
        QCOMPARE(o.Sections[1].Name, QString("Groups")); // an Item above the entry count
    }

    void regeneratesEverythingSapLogonReads() {
        Loaded d(fixture());
        d.doc.BuildFileContent();
        QCOMPARE(d.view.Lines().Text().toUtf8(), ReadFile(SAPLOGON_TEST_DATA "/saplogon-7x.expected.ini"));

        const QString copy = FDir.filePath("regenerated.ini");
        d.doc.FSapLogon = copy;
        d.doc.Save();
        const QMap<QString, QString> before = readable(fixture());
        const QMap<QString, QString> after = readable(copy);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(after.value(it.key(), "<dropped>"), it.value());
        QCOMPARE(after.size(), before.size());

        Loaded again(copy);
        QCOMPARE(again.doc.FEntries, d.doc.FEntries);
        QCOMPARE(again.doc.FOther, d.doc.FOther);
    }

    // Written back, a kept value reads as it did, also where a NUL cut the line after a blank.
    void keptValuesReadTheSameAfterSaving_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("quoted") << QByteArray("[Own]\r\nKey=\"  spaced  \"\r\n") << "Own"
                                << "Key";
        QTest::newRow("blank before a NUL") << QByteArrayLiteral("[Own]\r\nKey=inner \0rest\r\n") << "Own"
                                            << "Key";
        QTest::newRow("entry section, blank before a NUL")
            << QByteArrayLiteral("[EntryKey]\r\nItem1=k \0x\r\n") << "EntryKey"
            << "Item1";
        QTest::newRow("global key, quotes inside")
            << QByteArray("[Configuration]\r\nMore='a' b 'c'\r\n") << "Configuration"
            << "More";
    }

    void keptValuesReadTheSameAfterSaving() {
        QFETCH(QByteArray, text);
        QFETCH(QString, section);
        QFETCH(QString, key);
        const QString path = WriteFile(FDir.filePath("kept.ini"), "[Description]\r\nItem1=one\r\n" + text);
        const QString before = ProfileReader(path).ReadString(section, key, "<missing>");
        Loaded d(path);
        d.doc.BuildFileContent();
        d.doc.Save();
        QCOMPARE(ProfileReader(path).ReadString(section, key, "<missing>"), before);
    }

    void valuesTravelWithTheirEntries() {
        Loaded d(fixture());
        QList<tyEntry> &entries = d.doc.FEntries;
        entries.swapItemsAt(0, 1);           // move: QAS, PRD, DEV
        entries.append(tyEntry(entries[1])); // copy PRD
        entries.last().Description = "PRD copy";
        entries.removeAt(2); // remove DEV
        tyEntry added;
        added.Description = "New";
        entries.append(added);
        const QString other = WriteFile(FDir.filePath("other.ini"), "[Description]\r\nItem1=IMP imported\r\n"
                                                                    "[EntryKey]\r\nItem1=imp-key\r\n"
                                                                    "[ImportOnly]\r\nItem1=only here\r\n"
                                                                    "[Configuration]\r\nFromOther=1\r\n"
                                                                    "[OtherOwn]\r\nx=1\r\n");
        d.doc.LoadSapLogon(other);
        const QString saved = FDir.filePath("moved.ini");
        d.doc.FSapLogon = saved;
        d.doc.BuildFileContent();
        d.doc.Save();

        const QString entryKey = QStringLiteral("EntryKey");
        QCOMPARE(valueOf(saved, entryKey, "QAS"), QString("3F2504E0-4F89-11D3-9A0C-0305E82C3302"));
        QCOMPARE(valueOf(saved, entryKey, "PRD Production"), QString("3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
        QCOMPARE(valueOf(saved, entryKey, "PRD copy"), QString("3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
        QCOMPARE(valueOf(saved, entryKey, "New"), QString("<missing>"));
        QCOMPARE(valueOf(saved, entryKey, "IMP"), QString("imp-key"));
        QCOMPARE(valueOf(saved, "ShortcutTo", "QAS"), QString("QAS"));
        QCOMPARE(valueOf(saved, "ShortcutTo", "PRD copy"), QString("<missing>"));
        QCOMPARE(valueOf(saved, "SncNoSSO", "IMP"), QString("<missing>"));
        QCOMPARE(valueOf(saved, "ImportOnly", "IMP"), QString("only here"));
        QCOMPARE(valueOf(saved, "ImportOnly", "QAS"), QString("<missing>"));
        QVERIFY(!valueOf(saved, entryKey, "DEV").startsWith("3F"));

        const ProfileReader reader(saved);
        QCOMPARE(reader.ReadString("Options", "Theme", "<missing>"), QString("Blue Crystal"));
        QCOMPARE(reader.ReadString("Configuration", "LogonTimeout", "<missing>"), QString("300"));
        // The imported file's own keys and sections stay behind, like its global settings.
        QCOMPARE(reader.ReadString("Configuration", "FromOther", "<missing>"), QString("<missing>"));
        QVERIFY(!reader.SectionNames().contains("OtherOwn"));
    }

    void renumberingKeepsTheOtherValues() {
        Loaded d(fixture());
        const QList<tyEntry> before = d.doc.FEntries;
        d.doc.RenumberSessManKeys();
        for (qsizetype i = 0; i < before.size(); ++i)
            QCOMPARE(d.doc.FEntries[i].Other, before[i].Other);
    }

    void largeKeptContentSurvives_data() {
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<int>("sections");
        QByteArray many;
        for (int s = 0; s < 5000; ++s)
            many += "[Own" + QByteArray::number(s) + "]\r\nKey=" + QByteArray::number(s) + "\r\n";
        QTest::newRow("5,000 kept sections") << many << 5000;
        QByteArray wide = "[Wide]\r\n";
        for (int k = 0; k < 100000; ++k)
            wide += "Key" + QByteArray::number(k) + '=' + QByteArray::number(k) + "\r\n";
        QTest::newRow("100,000 keys") << wide << 1;
        QTest::newRow("1 MB value") << "[Big]\r\nValue=" + QByteArray(1 << 20, 'v') + "\r\n" << 1;
    }

    void largeKeptContentSurvives() {
        QFETCH(QByteArray, extra);
        QFETCH(int, sections);
        const QString path = WriteFile(FDir.filePath("large.ini"), "[Description]\r\nItem1=one\r\n" + extra);
        Loaded d(path);
        QCOMPARE(d.doc.FOther.Sections.size(), sections);
        d.doc.BuildFileContent();
        d.doc.Save();
        Loaded again(path);
        QCOMPARE(again.doc.FOther, d.doc.FOther);
    }
};

QTEST_GUILESS_MAIN(TestKeptContent)
#include "test_keptcontent.moc"
