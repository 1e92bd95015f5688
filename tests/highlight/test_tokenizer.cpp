#include "highlight/LineTokenizer.h"

#include <QTest>

// Runs written as "K:text" joined by "|", lines by "\n"; K is P plain, N number, C comment, U URL.
static QString Describe(const QList<TRun> &runs) {
    QStringList parts;
    for (const TRun &r : runs) {
        const QChar k = r.Style.isURL ? u'U' : r.Style.isnumber ? u'N' : r.Style.isComment ? u'C' : u'P';
        parts << QString(k) + u':' + r.Text;
    }
    return parts.join(u'|');
}

class TestTokenizer : public QObject {
    Q_OBJECT

    std::unique_ptr<TIniMemoStyler> FStyler;
    TLineTokenizer FTok;

    QString Scan(const QString &text) {
        TStyle st;
        QStringList out;
        for (const QString &line : text.split(u'\n'))
            out << Describe(FTok.LineRuns(line, st));
        return out.join(u'\n');
    }

private Q_SLOTS:
    void init() {
        FStyler = CreateIniMemoStyler();
        FTok.SetSyntaxStyles(FStyler.get());
        FTok.RebuildNumberSets();
    }

    void runs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("runs");
        QTest::newRow("section") << "[Description]"
                                 << "P:[Description]";
        QTest::newRow("item merges into one run") << "Item1=PRD Production"
                                                  << "P:Item1=PRD Production";
        QTest::newRow("number inside a word") << "MessageServerTimeout=10"
                                              << "P:MessageServerTimeout=10";
        QTest::newRow("number word") << "Item3=PRD 3200"
                                     << "P:Item3=PRD |N:3200";
        QTest::newRow("digits then letter") << "Item3=PRD 3200x"
                                            << "P:Item3=PRD 3200x";
        QTest::newRow("address") << "Host 10.0.0.1"
                                 << "P:Host |N:10|P:.0.0.1";
        QTest::newRow("exponent") << "x 1e5"
                                  << "P:x |N:1e5";
        QTest::newRow("hex") << "x $1F"
                             << "P:x |N:$1F";
        QTest::newRow("lone hex identifier") << "x $"
                                             << "P:x |N:$";
        QTest::newRow("lone minus") << "x -"
                                    << "P:x -";
        QTest::newRow("signed") << "a -5 b"
                                << "P:a |N:-5|P: b";
        QTest::newRow("sign only in front") << "a 5-3"
                                            << "P:a 5-3";
        QTest::newRow("apostrophes") << "Item5='10'"
                                     << "P:Item5='|N:10|P:'";
        QTest::newRow("line start number") << "42"
                                           << "N:42";
        QTest::newRow("semicolon is no comment") << ";x 1"
                                                 << "P:;x |N:1";
        QTest::newRow("hash alone is no comment") << "# 1"
                                                  << "P:# |N:1";
        QTest::newRow("spaces") << "   "
                                << "P:   ";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("comment opens") << "Item2=Server #01"
                                       << "P:Item2=Server |C:#01";
        QTest::newRow("comment opens and closes") << "x #0#0 y"
                                                  << "P:x |C:#0#0|P: y";
        QTest::newRow("opener inside a word") << "a#0b#0c"
                                              << "P:a|C:#0b#0|P:c";
        QTest::newRow("after closer no word start") << "x#0#05"
                                                    << "P:x|C:#0#0|P:5";
        QTest::newRow("after closer at word start") << "#0#05"
                                                    << "C:#0#0|N:5";
        QTest::newRow("comment across lines") << "Item2=Server #01\nItem3=PRD 3200\n#0 tail 5"
                                              << "P:Item2=Server |C:#01\nC:Item3=PRD 3200\nC:#0|P: tail |N:5";
        QTest::newRow("url") << "Item1=x http://sap.example.com/a?b=1"
                             << "P:Item1=x |U:http://sap.example.com/a?b=1";
        QTest::newRow("url upper case") << "WWW.Example.com 7"
                                        << "U:WWW.Example.com|P: |N:7";
        QTest::newRow("file url") << "file://c:/x"
                                  << "U:file://c:/x";
        QTest::newRow("url after key is no url") << "Key=http://x"
                                                 << "P:Key=http://x";
        QTest::newRow("url inside comment") << "#0 http://a.b #0 1"
                                            << "C:#0 |U:http://a.b|C: #0|P: |N:1";
        QTest::newRow("url does not open a comment") << "www.x#0 1"
                                                     << "U:www.x#0|P: |N:1";
    }
    void runs() {
        QFETCH(QString, text);
        QFETCH(QString, runs);
        QCOMPARE(Scan(text), runs);
    }

    void runsCoverTheLine() {
        const QString line = QStringLiteral("Item9=a 'b' #0 c http://d 1.2.3 $ -");
        TStyle st;
        QString joined;
        for (const TRun &r : FTok.LineRuns(line, st))
            joined += r.Text;
        QCOMPARE(joined, line);
    }

    void colours_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("runText");
        QTest::addColumn<uint>("text");
        QTest::addColumn<uint>("bk");
        QTest::addColumn<int>("style");
        QTest::newRow("plain") << "abc"
                               << "abc" << uint(clBlack) << uint(clWhite) << 0;
        QTest::newRow("number") << "12"
                                << "12" << uint(clBlue) << uint(clWhite) << int(fsItalic);
        QTest::newRow("comment") << "#0 x"
                                 << "#0 x" << uint(clSilver) << uint(clWhite) << int(fsItalic);
        QTest::newRow("url") << "www.a"
                             << "www.a" << uint(clBlue) << uint(clWhite) << int(fsUnderline);
    }
    void colours() {
        QFETCH(QString, line);
        QFETCH(QString, runText);
        TStyle st;
        const QList<TRun> runs = FTok.LineRuns(line, st);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].Text, runText);
        const TRunColors c = FTok.RunColors(runs[0].Style);
        QTEST(uint(c.TextColor), "text");
        QTEST(uint(c.BkColor), "bk");
        QTEST(int(c.Style), "style");
    }

    void withoutStylerOnlyUrlsAreStyled() {
        FTok.SetSyntaxStyles(nullptr);
        QVERIFY(!FTok.UseStyler);
        FTok.RebuildNumberSets();
        QCOMPARE(Scan("a 3200 #01 www.x"), QStringLiteral("P:a 3200 #01 |U:www.x"));
    }

    void urlAwareOffMakesOneWord() {
        FTok.UrlAware = false;
        QCOMPARE(Scan("www.x 5"), QStringLiteral("P:www.x 5"));
        QCOMPARE(Scan("3"), QStringLiteral("N:3"));
    }

    void splitUrlWords_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("one") << "a=b" << QStringList{"a=b"};
        QTest::newRow("mixed") << "  a 'b''c" << QStringList{"  ", "a", " '", "b", "''", "c"};
    }
    void splitUrlWords() {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QStringList got;
        for (QStringView w : FTok.SplitUrlWords(line))
            got << w.toString();
        QCOMPARE(got, words);
    }

    void wordIsUrl_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("url");
        for (const char *w :
             {"http://a", "HTTPS://a", "mailto:x@y", "www.", "ftp://h", "nntp://h", "file:///etc"})
            QTest::newRow(w) << QString::fromLatin1(w) << true;
        for (const char *w : {"http:/a", "ww.x", "xhttp://a", "", "file:/x"})
            QTest::newRow(w[0] ? w : "empty") << QString::fromLatin1(w) << false;
    }
    void wordIsUrl() {
        QFETCH(QString, word);
        QTEST(TLineTokenizer::WordIsURL(word), "url");
    }
};

QTEST_GUILESS_MAIN(TestTokenizer)
#include "test_tokenizer.moc"
