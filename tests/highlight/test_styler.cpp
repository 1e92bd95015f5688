#include "highlight/LineTokenizer.h"
#include "highlight/MemoStyler.h"

#include <QTest>

class TestStyler : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void constructorValues() {
        TIniMemoStyler s;
        QCOMPARE(s.LineComment, QStringLiteral("#0"));
        QCOMPARE(s.MultiCommentLeft, QStringLiteral("#0"));
        QCOMPARE(s.MultiCommentRight, QStringLiteral("#0"));
        QCOMPARE(s.NumberStyle, (TCharStyle{clSilver, clWhite, fsItalic}));
        QCOMPARE(s.HexIdentifier, QStringLiteral("$"));
        QCOMPARE(s.BlockStart, QString(QChar(0)));
        QCOMPARE(s.AllStyles.Count(), 2);
        QCOMPARE(s.AllStyles.Items(0)->StyleType(), stBracket);
        QCOMPARE(s.AllStyles.Items(1)->Symbols(), QStringLiteral("="));
        QCOMPARE(s.Filter,
                 QStringLiteral("Configuration files (*.ini;*.inf)|*.ini;*.inf|All files (*.*)|*.*"));
    }

    void loadedStylerHasNoElementStyles() {
        auto s = CreateIniMemoStyler();
        QCOMPARE(s->Name, QStringLiteral("IniMemoStyler"));
        QCOMPARE(s->AllStyles.Count(), 0);
        QCOMPARE(s->NumberStyle, (TCharStyle{clBlue, clWhite, fsItalic}));
        QCOMPARE(s->CommentStyle, (TCharStyle{clSilver, clWhite, fsItalic}));
    }

    void initKeepsElementStylesThroughLoading() {
        TIniMemoStyler s;
        ApplyStoredIniStylerSettings(s);
        s.AllStyles.Init();
        s.Loaded();
        QCOMPARE(s.AllStyles.Count(), 2);
    }

    void commentSearch() {
        TIniMemoStyler s;
        const TCommentMatch none = s.FindCommentStart(u"Item1=abc");
        QCOMPARE(none.Pos, 0);
        QCOMPARE(none.Len, 2);
        QCOMPARE(none.Kind, 255);
        QCOMPARE(s.FindCommentEnd(u"ab#0").Pos, 3);
        QVERIFY(s.HasMultiComment());
        QVERIFY(!s.HasCommentStyles());
    }

    void commentItemsCompeteAmongThemselves() {
        TCustomMemoStyler s;
        s.MultiCommentLeft = QStringLiteral("{");
        s.MultiCommentRight = QStringLiteral("}");
        TElementStyle *plain = s.AllStyles.Add();
        plain->SetStyleType(stComment);
        plain->SetCommentLeft(QStringLiteral("(*"));
        plain->SetCommentRight(QStringLiteral("*)"));
        TElementStyle *red = s.AllStyles.Add();
        red->SetStyleType(stComment);
        red->SetCommentLeft(QStringLiteral("/*"));
        red->SetCommentRight(QStringLiteral("*/"));
        red->SetBGColor(clRed);
        // The item's opener wins although the styler's own one comes first in the text.
        TCommentMatch m = s.FindCommentStart(u"{ x (* y");
        QCOMPARE(m.Pos, 5);
        QCOMPARE(m.Kind, 0);
        QCOMPARE(m.Index, -1); // black on white lends no colours
        m = s.FindCommentStart(u"a /* (*");
        QCOMPARE(m.Kind, 1);
        QCOMPARE(m.Index, 1);
        // The styler's own closer is taken whenever present.
        m = s.FindCommentEnd(u"*) }");
        QCOMPARE(m.Pos, 4);
        QCOMPARE(m.Kind, 255);
    }

    void lineCommentAlternatives_data() {
        QTest::addColumn<QString>("delimiters");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pos");
        QTest::newRow("single") << "#0"
                                << "ab #0" << 4;
        QTest::newRow("absent") << "#0"
                                << "ab #" << 0;
        QTest::newRow("list order wins over text order") << "//,#"
                                                         << "# x // y" << 5;
        QTest::newRow("second alternative") << "//,#"
                                            << "a # b" << 3;
    }
    void lineCommentAlternatives() {
        QFETCH(QString, delimiters);
        QFETCH(QString, text);
        QTEST(TCustomMemoStyler::LineCommentPos(delimiters, text), "pos");
    }

    void delimiters_data() {
        QTest::addColumn<QString>("chars");
        QTest::addColumn<bool>("delimiter");
        QTest::newRow("fixed set") << QString::fromUtf8(" !\"'*+,-./;<>?`\u00B4") << true;
        QTest::newRow("others") << QStringLiteral("aZ09#$%&()[]=:_@\\{}|~\t") << false;
    }
    void delimiters() {
        QFETCH(QString, chars);
        QFETCH(bool, delimiter);
        auto s = CreateIniMemoStyler();
        TLineTokenizer tok;
        tok.SetSyntaxStyles(s.get());
        for (QChar c : chars)
            QVERIFY2(tok.IsDelimiter(c) == delimiter, qPrintable(QString(c)));
    }

    void elementStylesAddWordBoundaries() {
        TIniMemoStyler s; // before load completion: "[", "]" and "=" still present
        TLineTokenizer tok;
        tok.SetSyntaxStyles(&s);
        QVERIFY(tok.IsDelimiter(u'='));
        QVERIFY(tok.IsDelimiter(u'['));
        tok.UseStyler = false;
        QVERIFY(!tok.IsDelimiter(u'='));
    }

    void numberSets() {
        auto s = CreateIniMemoStyler();
        TLineTokenizer tok;
        tok.SetSyntaxStyles(s.get());
        tok.RebuildNumberSets();
        QCOMPARE(tok.FtmpNoStart, QStringLiteral("+-.0123456789$"));
        QCOMPARE(tok.FtmpNo, QStringLiteral("+-.0123456789E"));
        QCOMPARE(tok.FtmpNoHex, QStringLiteral("$"));
        QVERIFY(tok.FTmpNoBin.isEmpty());
        s->HexIdentifier.clear();
        s->NumericChars = QStringLiteral("0x");
        tok.RebuildNumberSets();
        QCOMPARE(tok.FtmpNoStart, QStringLiteral("0X"));
        tok.SetSyntaxStyles(nullptr);
        tok.RebuildNumberSets();
        QVERIFY(tok.FtmpNoStart.isEmpty());
        QVERIFY(tok.FtmpNo.isEmpty());
    }

    void viewDropsDestroyedStyler() {
        TLineTokenizer tok;
        int repaints = 0;
        tok.OnRepaint = [&] { ++repaints; };
        {
            auto s = CreateIniMemoStyler();
            tok.SetSyntaxStyles(s.get());
            QCOMPARE(s->AllStyles.FOwner, static_cast<IMemoStylerClient *>(&tok));
        }
        QCOMPARE(tok.SyntaxStyles(), nullptr);
        QVERIFY(!tok.UseStyler);
        QCOMPARE(repaints, 2);
    }

    void newElementTakesViewBackground() {
        TCustomMemoStyler s;
        QCOMPARE(s.AllStyles.Add()->BGColor(), clWhite);
        TLineTokenizer tok;
        tok.FBkColor = RGBToColor(1, 2, 3);
        tok.SetSyntaxStyles(&s);
        QCOMPARE(s.AllStyles.Add()->BGColor(), RGBToColor(1, 2, 3));
    }

    void settersReportOnlyChanges() {
        TCustomMemoStyler s;
        int changes = 0;
        s.AllStyles.OnChange = [&] { ++changes; };
        TElementStyle *e = s.AllStyles.Add();
        changes = 0;
        e->SetInfo(QStringLiteral("x"));
        e->SetInfo(QStringLiteral("x"));
        e->SetBGColor(e->BGColor());
        e->SetFont(e->Font()); // fonts and keyword lists are always copied and reported
        QCOMPARE(changes, 2);
    }
};

QTEST_GUILESS_MAIN(TestStyler)
#include "test_styler.moc"
