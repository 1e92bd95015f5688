#include "document/ProfileReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// The reader must see what the Windows profile API sees: every recorded answer is replayed.
class TestProfileReader : public QObject {
    Q_OBJECT

    static QString vectors() { return QStringLiteral(SAPLOGON_SHARED_DIR "/profile-vectors"); }

    static ProfileReader over(const char *text) { return ProfileReader::FromBytes(QByteArray(text)); }

private Q_SLOTS:
    void agreesWithRecordedAnswers_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QJsonObject>("query");
        QTest::addColumn<QJsonObject>("result");
        QFile f(vectors() + QStringLiteral("/answers.jsonl"));
        if (!f.open(QIODevice::ReadOnly))
            QSKIP("profile vectors not available");
        int line = 0;
        while (!f.atEnd()) {
            const QByteArray raw = f.readLine().trimmed();
            ++line;
            if (raw.isEmpty())
                continue;
            const QJsonObject o = QJsonDocument::fromJson(raw).object();
            const QJsonObject q = o.value(u"query").toObject();
            if (q.value(u"op").toString() == u"SECTIONS")
                continue; // no operation of ours lists section names
            const QString file = o.value(u"case").toString();
            QTest::newRow(qPrintable(QStringLiteral("%1:%2").arg(line).arg(file.section(u'/', -1))))
                << vectors() + u'/' + file << q << o.value(u"result").toObject();
        }
    }

    void agreesWithRecordedAnswers() {
        QFETCH(QString, file);
        QFETCH(QJsonObject, query);
        QFETCH(QJsonObject, result);
        const ProfileReader reader(file);
        const QString op = query.value(u"op").toString();
        const QString section = query.value(u"section").toString();
        if (op == u"SECTION") {
            QStringList names(QStringLiteral("left over"));
            reader.ReadSection(section, names);
            QStringList expected;
            for (const QJsonValue &v : result.value(u"names").toArray())
                expected << v.toString();
            QCOMPARE(names, expected);
            QCOMPARE(reader.LastSectionBufferSize(), result.value(u"bufsize").toInt());
            QCOMPARE(reader.LastSectionCalls(), result.value(u"calls").toInt());
        } else {
            const QString value = reader.ReadString(section, query.value(u"key").toString(),
                                                    query.value(u"default").toString());
            QCOMPARE(value, result.value(u"value").toString());
        }
    }

    void integerConversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -999 stands for "no integer"
        QTest::newRow("decimal") << "12" << 12;
        QTest::newRow("leading spaces") << "   12" << 12;
        QTest::newRow("trailing space") << "12 " << -999;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("minus") << "-5" << -5;
        QTest::newRow("leading zeros") << "0012" << 12;
        QTest::newRow("trailing letters") << "12abc" << -999;
        QTest::newRow("empty") << "" << -999;
        QTest::newRow("sign only") << "-" << -999;
        QTest::newRow("two signs") << "+-1" << -999;
        QTest::newRow("0x") << "0x1A" << 26;
        QTest::newRow("0X") << "0X1a" << 26;
        QTest::newRow("dollar") << "$1A" << 26;
        QTest::newRow("x") << "x1A" << 26;
        QTest::newRow("X") << "X1a" << 26;
        QTest::newRow("0x alone") << "0x" << -999;
        QTest::newRow("dollar alone") << "$" << -999;
        QTest::newRow("minus hex") << "-$10" << -16;
        QTest::newRow("minus 0x") << "-0x10" << -16;
        QTest::newRow("spaces then 0x") << "  0x10" << 16;
        QTest::newRow("hex wraps") << "$FFFFFFFF" << -1;
        QTest::newRow("hex lowest") << "$80000000" << int(0x80000000u);
        QTest::newRow("minus wrapped hex") << "-$FFFFFFFF" << 1;
        QTest::newRow("hex leading zeros") << "$000000001" << 1;
        QTest::newRow("nine hex digits") << "$100000000" << -999;
        QTest::newRow("decimal max") << "2147483647" << 2147483647;
        QTest::newRow("decimal min") << "-2147483648" << int(0x80000000u);
        QTest::newRow("decimal over") << "2147483648" << -999;
        QTest::newRow("decimal under") << "-2147483649" << -999;
        QTest::newRow("huge") << "99999999999999999999999" << -999;
        QTest::newRow("hex digit in decimal") << "1A" << -999;
        QTest::newRow("tab is no blank here") << "\t5" << -999;
    }

    void integerConversion() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(ProfileReader::ToInteger(text).value_or(-999), expected);
    }

    void integersAndBooleansFallBackToTheirDefaults() {
        const ProfileReader r = over("[Configuration]\nSessManNewKey= 0x1A \nA=$1A\nB=  12  \nC=12abc\n"
                                     "NormX=\nConfirmDelete=0\nNo=no\nTwo=2\nMinus=-1\nQ=\"7\"\n");
        QCOMPARE(r.ReadInteger("Configuration", "SessManNewKey", 0), 26);
        QCOMPARE(r.ReadInteger("configuration", "a", 0), 26);
        QCOMPARE(r.ReadInteger("Configuration", "B", 0), 12);
        QCOMPARE(r.ReadInteger("Configuration", "C", 0), 0);
        QCOMPARE(r.ReadInteger("Configuration", "NormX", 50), 50);
        QCOMPARE(r.ReadInteger("Configuration", "Q", 0), 7);
        QCOMPARE(r.ReadInteger("MSWinPos", "NormX", 50), 50);
        QCOMPARE(r.ReadBool("Configuration", "ConfirmDelete", true), false);
        QCOMPARE(r.ReadBool("Configuration", "No", true), true);
        QCOMPARE(r.ReadBool("Configuration", "No", false), false);
        QCOMPARE(r.ReadBool("Configuration", "Two", false), true);
        QCOMPARE(r.ReadBool("Configuration", "Minus", false), true);
    }

    void quotedValueFillingTheBufferLosesItsLastCharacter() {
        // The API removes the closing quote only when it lies inside its 2048-character buffer.
        const QString body(2047, u'a');
        const ProfileReader r =
            ProfileReader::FromBytes("[S]\nfits=\"" + QByteArray(2046, 'a') + "\"\nfull=\"" +
                                     body.toLatin1() + "\"\nover=\"" + QByteArray(3000, 'a') + "\"\n");
        QCOMPARE(r.ReadString("S", "fits", ""), QString(2046, u'a'));
        QCOMPARE(r.ReadString("S", "full", ""), QString(2046, u'a'));
        QCOMPARE(r.ReadString("S", "over", ""), QString(2047, u'a'));
    }

    void firstOfDuplicateKeysWinsEvenWithoutEqualsSign() {
        const ProfileReader r = over("[S]\nk\nk=v\n=a\n=b\nz=1\n");
        QCOMPARE(r.ReadString("S", "k", "d"), QString("d"));
        QStringList names;
        r.ReadSection("S", names);
        QCOMPARE(names, QStringList{"k"});
    }

    void utf8DecodingReplacesBadSequences_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("stray continuation") << QByteArray("a\x80z") << QString::fromUtf8("a\xEF\xBF\xBDz");
        QTest::newRow("cut sequence") << QByteArray("a\xE2\x82z") << QString::fromUtf8("a\xEF\xBF\xBDz");
        QTest::newRow("overlong") << QByteArray("a\xC0\xAFz")
                                  << QString::fromUtf8("a\xEF\xBF\xBD\xEF\xBF\xBDz");
        QTest::newRow("encoded surrogate")
            << QByteArray("a\xED\xA0\x80z") << QString::fromUtf8("a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz");
        QTest::newRow("astral") << QByteArray("a\xF0\x9F\x98\x80z")
                                << QString::fromUtf8("a\xF0\x9F\x98\x80z");
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("a\xF4\x90\x80\x80z")
            << QString::fromUtf8("a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz");
    }

    void utf8DecodingReplacesBadSequences() {
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);
        const ProfileReader r = ProfileReader::FromBytes("\xEF\xBB\xBF[S]\nk=" + value + "\n");
        QCOMPARE(r.ReadString("S", "k", ""), expected);
    }

    void oddLengthUtf16AndLoneSurrogatesReadSanely() {
        QByteArray b("\xFF\xFE");
        for (char16_t c : u"[S]\nk=a\xD800z\n")
            if (c)
                b.append(char(c & 0xFF)).append(char(c >> 8));
        b.append('\x41'); // a dangling byte
        const ProfileReader r = ProfileReader::FromBytes(b);
        QCOMPARE(r.ReadString("S", "k", ""), QString::fromUtf16(u"a\xD800z"));
    }

    void missingFolderAndUnreadableSourcesAreReported() {
        QTemporaryDir dir;
        const ProfileReader missing(dir.filePath("none.ini"));
        QCOMPARE(missing.SourceState(), ProfileReader::Source::Missing);
        QCOMPARE(missing.ReadString("S", "k", "\"d\""), QString("d"));
        const ProfileReader folder(dir.path());
        QCOMPARE(folder.SourceState(), ProfileReader::Source::Unreadable);
        QVERIFY(!folder.SourceError().isEmpty());
        QStringList names("x");
        folder.ReadSection("S", names);
        QVERIFY(names.isEmpty());
        QCOMPARE(ProfileReader(QString()).SourceState(), ProfileReader::Source::Missing);
    }

    void numberedItemsAreFoundOnlyUnderTheirExactNames_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("first") << "Item1"
                               << "a";
        QTest::newRow("letter case and blanks") << " iTEM12\t"
                                                << "l";
        QTest::newRow("leading zero") << "Item01"
                                      << "-";
        QTest::newRow("beyond the last") << "Item13"
                                         << "-";
        QTest::newRow("zero") << "Item0"
                              << "-";
        QTest::newRow("sign") << "Item+1"
                              << "-";
        QTest::newRow("prefix only") << "Item"
                                     << "-";
    }

    void numberedItemsAreFoundOnlyUnderTheirExactNames() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QByteArray text("[Description]\n");
        for (int i = 1; i <= 12; ++i)
            text += "Item" + QByteArray::number(i) + '=' + char('a' + i - 1) + '\n';
        const ProfileReader r = ProfileReader::FromBytes(text);
        QCOMPARE(r.ReadString("Description", key, "-"), value);
    }

    void sectionOfThreeHundredKeysIsReadCompletely() {
        QByteArray text("[Description]\n");
        for (int i = 1; i <= 300; ++i)
            text += "Item" + QByteArray::number(i).rightJustified(4, '0') + "=x\n";
        const ProfileReader r = ProfileReader::FromBytes(text);
        QStringList names;
        r.ReadSection("Description", names);
        QCOMPARE(names.size(), 300);
        QCOMPARE(names.last(), QString("Item0300"));
        QCOMPARE(r.LastSectionBufferSize(), 4096);
    }
};

QTEST_GUILESS_MAIN(TestProfileReader)
#include "test_profilereader.moc"
