#include "highlight/LineTokenizer.h"

#include <QTest>

// Start states of a line must agree with the state the scanner carries down from line 0,
// whichever line the view happens to start drawing at.
class TestStartStyle : public QObject {
    Q_OBJECT

    std::unique_ptr<TIniMemoStyler> FStyler;

    static QStringList Text() {
        QStringList lines;
        for (int i = 0; i < 260; ++i)
            lines << QStringLiteral("Item%1=PRD %1").arg(i);
        lines[5] = QStringLiteral("Item2=Server #01");       // opens
        lines[21] = QStringLiteral("x #0 y");                // closes
        lines[40] = QString();                               // empty multiple of 20
        lines[47] = QStringLiteral("a#0b#0c #0");            // opens, closes, opens
        lines[48] = QStringLiteral("http://x#0 and #0#0 z"); // URL ignored; closes, opens
        lines[90] = QStringLiteral("#0#0#0#0#0");            // closes, opens, closes, opens, closes
        lines[131] = QStringLiteral("'#0'");                 // opens inside apostrophes
        lines[200] = QStringLiteral("  #0");                 // closes
        return lines;
    }

    void Prepare(TLineTokenizer &tok) {
        tok.SetSyntaxStyles(FStyler.get());
        tok.RebuildNumberSets();
    }

private Q_SLOTS:
    void init() { FStyler = CreateIniMemoStyler(); }

    void agreesWithCarriedState_data() {
        QTest::addColumn<QString>("literal");
        QTest::newRow("plain text") << QString();
        // a literal character in the text takes the word-by-word path
        QTest::newRow("with a literal") << QStringLiteral("\\");
    }
    void agreesWithCarriedState() {
        QFETCH(QString, literal);
        FStyler->Literal = literal;
        QStringList text = Text();
        for (int i = 3; i < text.size(); i += 11)
            text[i] += QStringLiteral(" a\\ #0b '#0' x");
        TStringStyledLines lines(text);
        TLineTokenizer carried;
        Prepare(carried);
        TLineTokenizer cachedTok;
        Prepare(cachedTok);
        TStyle st;
        for (int l = 0; l < lines.LineCount(); ++l) {
            TLineTokenizer fresh;
            Prepare(fresh);
            TStringStyledLines cold(text);
            QCOMPARE(fresh.GetStartStyle(cold, l).isComment, st.isComment);
            // the shared one jumps around so that it starts from caches
            const int probe = (l * 37) % lines.LineCount();
            TStyle want;
            for (int k = 0; k < probe; ++k)
                carried.LineRuns(lines.LineText(k), want);
            QCOMPARE(cachedTok.GetStartStyle(lines, probe).isComment, want.isComment);
            carried.LineRuns(lines.LineText(l), st);
        }
    }

    void carriedCommentUsesCommentStyle() {
        TStringStyledLines lines(Text());
        TLineTokenizer tok;
        Prepare(tok);
        const TStyle st = tok.GetStartStyle(lines, 10);
        QCOMPARE(st.isComment, 1);
        QCOMPARE(st.index, -1);
        QCOMPARE(st.ctype, -1);
        TStyle run = st;
        const QList<TRun> runs = tok.LineRuns(lines.LineText(10), run);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(tok.RunColors(runs[0].Style).TextColor, clSilver);
    }

    void cachesEveryTwentyLines() {
        TStringStyledLines lines(Text());
        TLineTokenizer tok;
        Prepare(tok);
        tok.GetStartStyle(lines, 101);
        QList<int> cached;
        TStyle s;
        for (int l = 0; l < lines.LineCount(); ++l)
            if (lines.GetCachedStyle(l, s))
                cached << l;
        // line 40 is empty and keeps no cache; line 101 caches its own result
        QCOMPARE(cached, (QList<int>{0, 20, 60, 80, 100, 101}));
    }

    void topLineStateIsReusedUntilTheTopChanges() {
        TStringStyledLines lines(Text());
        TLineTokenizer tok;
        Prepare(tok);
        QCOMPARE(tok.TopLineStartStyle(lines, 30).isComment, 0);
        QCOMPARE(tok.FbackupTopLine, 30);
        lines.ClearCachedStyles(0, lines.LineCount());
        tok.TopLineStartStyle(lines, 30);
        QCOMPARE(lines.CachedCount(), 0); // not rescanned
        QCOMPARE(tok.TopLineStartStyle(lines, 12).isComment, 1);
    }

    void editAboveTheTopIsSeenAfterScrolling() {
        TStringStyledLines lines(Text());
        TLineTokenizer tok;
        Prepare(tok);
        QCOMPARE(tok.TopLineStartStyle(lines, 250).isComment, 0);
        tok.TopLineStartStyle(lines, 230);
        lines.SetLine(210, QStringLiteral("#0 opened late"));
        tok.InvalidateStylesFrom(210);
        QCOMPARE(tok.TopLineStartStyle(lines, 230).isComment, 1);
        QCOMPARE(tok.TopLineStartStyle(lines, 250).isComment, 1);
        lines.SetLine(7, QStringLiteral("#0 closes early"));
        tok.InvalidateStylesFrom(7);
        QCOMPARE(tok.TopLineStartStyle(lines, 15).isComment, 0);
        // every later "#0" now toggles the other way
        QCOMPARE(tok.TopLineStartStyle(lines, 250).isComment, 0);
        QCOMPARE(tok.TopLineStartStyle(lines, 230).isComment, 0);
    }

    void emptyTextAndLineZero() {
        TStringStyledLines lines;
        TLineTokenizer tok;
        Prepare(tok);
        QCOMPARE(tok.GetStartStyle(lines, 0), TStyle{});
        TStringStyledLines one(QStringList{QStringLiteral("#0")});
        QCOMPARE(tok.GetStartStyle(one, 0), TStyle{});
        QCOMPARE(tok.GetStartStyle(one, 5).isComment, 1); // beyond the end: state after the last line
    }
};

QTEST_GUILESS_MAIN(TestStartStyle)
#include "test_startstyle.moc"
