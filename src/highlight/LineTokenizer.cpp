#include "highlight/LineTokenizer.h"

#include <algorithm>

namespace {

QChar Fold(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - 32)) : c;
}

// Substring test by a scan for the first character, much cheaper than a general search on
// the short delimiters used here.
bool ContainsText(QStringView hay, const QString &needle) {
    if (needle.isEmpty())
        return true;
    const QChar first = needle[0];
    const qsizetype n = needle.size();
    for (qsizetype p = hay.indexOf(first); p >= 0 && p + n <= hay.size(); p = hay.indexOf(first, p + 1))
        if (hay.mid(p, n) == needle)
            return true;
    return false;
}

qsizetype FindText(QStringView hay, QStringView needle, qsizetype from) {
    const qsizetype m = needle.size();
    if (m == 0)
        return -1;
    const QChar first = needle[0];
    const QStringView tail = needle.mid(1);
    for (qsizetype i = from, last = hay.size() - m; i <= last; ++i)
        if (hay[i] == first && hay.mid(i + 1, m - 1) == tail)
            return i;
    return -1;
}

bool InSet(QChar c, const QString &set) {
    for (QChar d : set)
        if (d == c)
            return true;
    return false;
}

QString FoldString(const QString &s) {
    QString r = s;
    for (QChar &c : r)
        c = Fold(c);
    return r;
}

} // namespace

// Holds the pending run: equal states are merged so that a plain line is drawn in one piece.
class TLineTokenizer::TEmitter {
public:
    TEmitter(const TStyle &incoming, const TRunSink &sink) : FStyle(incoming), FSink(sink) {
        FStyle.ClearRunFlags();
    }
    void Emit(QStringView text, TStyle &state) {
        if (state == FStyle) {
            FText += text;
        } else {
            Flush();
            FText = text.toString();
            FStyle = state;
        }
        state.ClearRunFlags();
    }
    void Flush() {
        if (!FText.isEmpty())
            FSink(FText, FStyle);
        FText.clear();
    }

private:
    QString FText;
    TStyle FStyle;
    const TRunSink &FSink;
};

TLineTokenizer::~TLineTokenizer() {
    if (FSyntaxStyles) {
        FSyntaxStyles->RemoveClient(this);
        if (FSyntaxStyles->AllStyles.FOwner == this)
            FSyntaxStyles->AllStyles.FOwner = nullptr;
    }
}

void TLineTokenizer::SetSyntaxStyles(TCustomMemoStyler *styler) {
    if (FSyntaxStyles && FSyntaxStyles != styler)
        FSyntaxStyles->RemoveClient(this);
    FSyntaxStyles = styler;
    UseStyler = styler != nullptr;
    if (styler) {
        styler->AddClient(this);
        styler->AllStyles.FOwner = this;
    }
    FTempdelimiters.clear();
    FbackupTopLine = -1;
    if (OnRepaint)
        OnRepaint();
}

void TLineTokenizer::StylerDestroyed(TCustomMemoStyler *styler) {
    if (styler != FSyntaxStyles)
        return;
    FSyntaxStyles = nullptr;
    UseStyler = false;
    FbackupTopLine = -1;
    if (OnRepaint)
        OnRepaint();
}

bool TLineTokenizer::IsDelimiter(QChar c) const {
    const char16_t u = c.unicode();
    if ((u >= 0x20 && u <= 0x22) || u == 0x27 || (u >= 0x2A && u <= 0x2F) || u == 0x3B || u == 0x3C ||
        u == 0x3E || u == 0x3F || u == 0x60 || u == 0xB4)
        return true;
    const TCustomMemoStyler *s = ActiveStyler();
    return s && s->AllStyles.IsWordBoundary(c);
}

bool TLineTokenizer::WordIsURL(QStringView word) {
    static const QLatin1StringView prefixes[] = {QLatin1StringView("http://"), QLatin1StringView("mailto:"),
                                                 QLatin1StringView("www."),    QLatin1StringView("https://"),
                                                 QLatin1StringView("ftp://"),  QLatin1StringView("nntp://"),
                                                 QLatin1StringView("file://")};
    if (word.size() < 4 || !QStringView(u"hmwfnHMWFN").contains(word[0]))
        return false;
    for (QLatin1StringView p : prefixes) {
        const qsizetype n = p.size();
        if (word.size() < n)
            continue;
        qsizetype k = 0;
        while (k < n && word[k].toLower() == p[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

QList<QStringView> TLineTokenizer::SplitUrlWords(QStringView line) const {
    QList<QStringView> words;
    const QChar literal =
        (ActiveStyler() && !ActiveStyler()->Literal.isEmpty()) ? ActiveStyler()->Literal[0] : QChar(0);
    qsizetype start = 0;
    qsizetype i = 0;
    const qsizetype n = line.size();
    bool inDelims = n > 0 && URLDelimiters.contains(line[0]);
    while (i < n) {
        if (line[i] == literal) {
            i += 2; // the literal character and the one after it stay in the current word
            continue;
        }
        const bool d = URLDelimiters.contains(line[i]);
        if (d != inDelims && i > start) {
            words.append(line.mid(start, i - start));
            start = i;
        }
        inDelims = d;
        ++i;
    }
    if (start < n)
        words.append(line.mid(start));
    return words;
}

void TLineTokenizer::RebuildNumberSets() {
    const TCustomMemoStyler *s = ActiveStyler();
    if (!s) {
        FtmpNoStart.clear();
        FtmpNo.clear();
        return;
    }
    FtmpNoStart = FoldString(s->NumericChars + s->HexIdentifier + s->BinIdentifier);
    FtmpNo = FoldString(s->NumericChars) + QLatin1Char('E');
    FtmpNoHex = FoldString(s->HexIdentifier);
    FTmpNoBin = FoldString(s->BinIdentifier);
}

void TLineTokenizer::RebuildTempDelimiters() {
    FTempdelimiters.clear();
    const TCustomMemoStyler *s = ActiveStyler();
    if (!s)
        return;
    for (int i = 0; i < s->AllStyles.Count(); ++i)
        if (s->AllStyles.Items(i)->StyleType() == stSymbol)
            FTempdelimiters += s->AllStyles.Items(i)->Symbols();
}

int TLineTokenizer::SymbolItemOf(QChar c) const {
    const TCustomMemoStyler *s = ActiveStyler();
    for (int i = 0; i < s->AllStyles.Count(); ++i) {
        const TElementStyle *e = s->AllStyles.Items(i);
        if (e->StyleType() == stSymbol && e->Symbols().contains(c))
            return i;
    }
    return -1;
}

void TLineTokenizer::ScanRuns(QString w, TStyle &st, TEmitter &em, bool &lineComment) const {
    const TCustomMemoStyler *styler = ActiveStyler();
    if (!styler || (st.isURL && UrlAware) || st.isHighlight) {
        em.Emit(w, st);
        return;
    }
    const bool multi = styler->HasMultiComment();
    bool hasKeywords = false;
    for (int k = 0; k < styler->AllStyles.Count(); ++k)
        hasKeywords |= styler->AllStyles.Items(k)->StyleType() == stKeyword;
    qsizetype i = 0;
    bool atWordStart = true;
    bool fixed = false;
    // Delimiter searches only change when the word does; keep them across passes.
    int openerPos = -1;
    int lineCommentPos = -1;
    TCommentMatch opener;
    auto changed = [&] {
        openerPos = -1;
        lineCommentPos = -1;
    };
    while (!w.isEmpty() && i < w.size()) {
        if (!fixed)
            atWordStart = i == 0 || w[i] == QLatin1Char(' ') || FTempdelimiters.contains(w[i]);
        fixed = false;
        if (!st.isBracket && multi) {
            if (st.isComment > 0) {
                const TCommentMatch m = styler->FindCommentEnd(w);
                if (m.Pos == 0 || lineComment || (st.ctype != -1 && st.ctype != m.Kind)) {
                    em.Emit(w, st);
                    return;
                }
                const qsizetype end = m.Pos - 1 + m.Len;
                em.Emit(QStringView(w).left(end), st);
                w.remove(0, end);
                changed();
                i = 0;
                st.isComment = qMax(0, st.isComment - 1);
                st.ctype = -1;
                fixed = true;
                continue;
            }
            if (openerPos < 0) {
                opener = styler->FindCommentStart(w);
                openerPos = opener.Pos;
            }
            if (openerPos == i + 1) {
                const QString text = w.mid(i, opener.Len);
                w.remove(0, i + opener.Len);
                changed();
                i = 0;
                st.isComment++;
                st.index = opener.Index;
                st.ctype = opener.Kind;
                em.Emit(text, st);
                fixed = true;
                continue;
            }
        }
        if (st.isComment == 0 && !st.isBracket && !styler->LineComment.isEmpty()) {
            if (lineCommentPos < 0)
                lineCommentPos = TCustomMemoStyler::LineCommentPos(styler->LineComment, w);
            if (lineCommentPos == i + 1) {
                st.isComment++;
                st.index = -1;
                lineComment = true;
                em.Emit(QStringView(w).mid(i), st);
                return;
            }
        }
        const QChar c = w[i];
        if (!FTempdelimiters.isEmpty()) {
            const int item = SymbolItemOf(c);
            if (item >= 0) {
                st.isdelimiter = true;
                st.index = item;
                em.Emit(QStringView(w).mid(i, 1), st);
                w.remove(i, 1);
                changed();
                atWordStart = fixed = true;
                continue;
            }
        }
        if (atWordStart && c != QLatin1Char(',') && FtmpNoStart.contains(Fold(c))) {
            QString allowed = FtmpNo;
            qsizetype d = i;
            if (!FtmpNoHex.isEmpty() && FoldString(w.mid(i, FtmpNoHex.size())) == FtmpNoHex) {
                allowed += QLatin1String("ABCDEF");
                d = i + FtmpNoHex.size();
            }
            qsizetype stop = d;
            qsizetype firstDot = -1;
            bool secondDot = false;
            while (stop < w.size()) {
                const QChar f = Fold(w[stop]);
                if (!allowed.contains(f))
                    break;
                if (f == QLatin1Char('.')) {
                    if (firstDot >= 0) {
                        stop = firstDot;
                        secondDot = true;
                        break;
                    }
                    firstDot = stop;
                }
                if (stop == d) {
                    allowed.remove(QLatin1Char('+'));
                    allowed.remove(QLatin1Char('-'));
                }
                ++stop;
            }
            const bool noNumber = !secondDot && stop < w.size() && !FTempdelimiters.contains(w[stop]);
            if (!noNumber && stop > i) {
                const QString text = w.mid(i, stop - i);
                st.isnumber = text != QLatin1String("+") && text != QLatin1String("-");
                em.Emit(text, st);
                w.remove(i, stop - i);
                changed();
                atWordStart = fixed = true;
                continue;
            }
        }
        if (hasKeywords && (atWordStart || (!UrlAware && c == QLatin1Char(' ')))) {
            qsizetype e = i;
            while (e < w.size() && w[e] != QLatin1Char(' ') && w[e] != QLatin1Char(';') &&
                   !FTempdelimiters.contains(w[e]))
                ++e;
            const QString typed = w.mid(i, e - i);
            const QString key = (CaseSensitive ? typed : typed.toLower()).trimmed();
            bool hit = false;
            for (int k = 0; !key.isEmpty() && k < styler->AllStyles.Count() && !hit; ++k) {
                const TElementStyle *item = styler->AllStyles.Items(k);
                if (item->StyleType() != stKeyword)
                    continue;
                for (const QString &kw : item->KeyWords())
                    if ((CaseSensitive ? kw : kw.toLower()) == key) {
                        hit = true;
                        st.iskeyWord = true;
                        st.index = k;
                        em.Emit(typed, st);
                        w.remove(i, e - i);
                        changed();
                        break;
                    }
            }
            if (hit)
                continue;
        }
        em.Emit(QStringView(w).mid(i, 1), st);
        ++i;
    }
}

void TLineTokenizer::ScanLine(QStringView line, TStyle &state, const TRunSink &sink) const {
    TEmitter em(state, sink);
    bool lineComment = false;
    if (UrlAware) {
        for (QStringView word : SplitUrlWords(line)) {
            state.isURL = WordIsURL(word);
            ScanRuns(word.toString(), state, em, lineComment);
            state.isURL = false;
        }
    } else if (!line.isEmpty()) {
        // Without URL awareness no word is drawn as a URL.
        ScanRuns(line.toString(), state, em, lineComment);
    }
    em.Flush();
    if (lineComment)
        state.isComment = qMax(0, state.isComment - 1);
}

QList<TRun> TLineTokenizer::LineRuns(QStringView line, TStyle &state) const {
    QList<TRun> runs;
    ScanLine(line, state, [&](const QString &text, const TStyle &style) { runs.append({text, style}); });
    return runs;
}

TRunColors TLineTokenizer::RunColors(const TStyle &st) const {
    TRunColors c{FontColor, FBkColor, FontStyle};
    const TCustomMemoStyler *s = ActiveStyler();
    auto applyChar = [&](const TCharStyle &cs) {
        c.TextColor = cs.TextColor;
        c.Style = cs.Style;
        if (cs.BkColor != clNone)
            c.BkColor = cs.BkColor;
    };
    auto applyElement = [&](int index) {
        if (!s || index < 0 || index >= s->AllStyles.Count()) {
            c = {FontColor, FBkColor, FontStyle};
            return;
        }
        const TElementStyle *e = s->AllStyles.Items(index);
        c.TextColor = e->Font().Color;
        c.Style = e->Font().Style;
        c.BkColor = e->BGColor() == clNone ? FBkColor : e->BGColor();
    };
    if (st.isHighlight) {
        if (s) {
            c.TextColor = s->HighlightStyle.TextColor;
            c.Style = s->HighlightStyle.Style;
            c.BkColor = s->HighlightStyle.BkColor;
        }
    } else if (st.isComment < 1 || st.isURL) {
        if (!st.isBracket || st.isURL) {
            if (st.isnumber && s)
                applyChar(s->NumberStyle);
            if (st.isdelimiter)
                applyElement(st.index);
            if (st.iskeyWord)
                applyElement(st.index);
            if (st.isURL)
                applyChar(UrlStyle);
        } else {
            applyElement(st.index);
        }
    } else if (st.index == -1) {
        if (s)
            applyChar(s->CommentStyle);
    } else {
        applyElement(st.index);
    }
    return c;
}

void TLineTokenizer::InvalidateStylesFrom(int line) {
    FStylesValidBelow = qMin(FStylesValidBelow, qMax(line, 0));
    if (line <= FbackupTopLine)
        FbackupTopLine = -1;
}

void TLineTokenizer::ScanLineComments(const QString &line, TStyle &st, bool &openerFound) const {
    const TCustomMemoStyler *s = ActiveStyler();
    const QString &open = s->MultiCommentLeft;
    const QString &close = s->MultiCommentRight;
    // Most lines hold no delimiter at all and leave the state as it is.
    if (!s->HasCommentStyles()) {
        const QString &needed = st.isComment > 0 ? close : open;
        const QString &lc = s->LineComment;
        if (!needed.isEmpty() && !ContainsText(line, needed) &&
            (st.isComment > 0 || lc.isEmpty() || lc == needed ||
             (!lc.contains(QLatin1Char(',')) && !ContainsText(line, lc))))
            return;
    }
    const QString &lineComment = s->LineComment;
    const bool plain = !s->HasCommentStyles() && !lineComment.contains(QLatin1Char(','));
    const QChar literal = !s->Literal.isEmpty() ? s->Literal[0] : QChar(0);
    auto freeOfDelims = [&](const QString &t) {
        return std::none_of(t.cbegin(), t.cend(),
                            [&](QChar c) { return InSet(c, URLDelimiters) || c == literal; });
    };
    if (plain && UrlAware && freeOfDelims(open) && freeOfDelims(close) && freeOfDelims(lineComment) &&
        !line.contains(literal)) {
        // Jump from delimiter to delimiter; each one lies inside a single word, so only the word
        // around it needs looking at.
        const qsizetype n = line.size();
        qsizetype pos = 0;
        for (;;) {
            qsizetype p, len;
            bool opening = false;
            if (st.isComment > 0) {
                p = FindText(line, close, pos);
                len = close.size();
                if (p < 0)
                    return;
            } else {
                p = FindText(line, open, pos);
                const qsizetype q = FindText(line, lineComment, pos);
                if (p < 0 && q < 0)
                    return;
                opening = p >= 0 && (q < 0 || p <= q);
                if (opening) {
                    len = open.size();
                } else {
                    p = q;
                    len = lineComment.size();
                }
            }
            qsizetype ws = p, we = p;
            while (ws > 0 && !InSet(line[ws - 1], URLDelimiters))
                --ws;
            while (we < n && !InSet(line[we], URLDelimiters))
                ++we;
            if (WordIsURL(QStringView(line).mid(ws, we - ws))) {
                pos = we;
                continue;
            }
            if (st.isComment > 0) {
                st.isComment--;
                st.ctype = -1;
            } else if (opening) {
                st.isComment++;
                st.index = -1;
                st.ctype = 255;
                openerFound = true;
            } else {
                return; // a line comment ends the line
            }
            pos = p + len;
        }
    }
    auto consume = [&](QStringView w) {
        while (!w.isEmpty()) {
            if (st.isComment > 0) {
                const TCommentMatch m = s->FindCommentEnd(w);
                if (m.Pos == 0)
                    return true;
                w = w.mid(m.Pos - 1 + m.Len);
                st.isComment--;
                st.ctype = -1;
                continue;
            }
            if (st.isBracket)
                return true;
            const TCommentMatch m = s->FindCommentStart(w);
            const int lc = lineComment.isEmpty() ? 0 : TCustomMemoStyler::LineCommentPos(lineComment, w);
            if (m.Pos == 0 && lc == 0)
                return true;
            if (m.Pos > 0 && (lc == 0 || m.Pos <= lc)) {
                w = w.mid(m.Pos - 1 + m.Len);
                st.isComment++;
                st.index = m.Index;
                st.ctype = m.Kind;
                openerFound = true;
                continue;
            }
            return false; // a line comment ends the line
        }
        return true;
    };
    if (!UrlAware) {
        consume(line);
        return;
    }
    // The words of SplitUrlWords, walked in place; runs of URL delimiters hold no comment text.
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        const bool delims = InSet(line[i], URLDelimiters);
        while (i < n) {
            if (line[i] == literal) {
                i += 2;
                continue;
            }
            if (InSet(line[i], URLDelimiters) != delims)
                break;
            ++i;
        }
        const QStringView w = QStringView(line).mid(start, qMin(i, n) - start);
        if (delims && !w.contains(literal))
            continue;
        if (WordIsURL(w))
            continue;
        if (!consume(w))
            return;
    }
}

TStyle TLineTokenizer::GetStartStyle(IStyledLines &lines, int line) {
    TStyle st;
    RebuildTempDelimiters();
    const int count = lines.LineCount();
    line = qMin(line, count);
    if (count > 0 && line > 0) {
        int start = 0;
        bool fromCache = false;
        TStyle cached;
        for (int k = qMin(line, FStylesValidBelow) - 1; k >= 0; --k)
            if (lines.GetCachedStyle(k, cached)) {
                start = k;
                st = cached;
                fromCache = true;
                break;
            }
        const TCustomMemoStyler *s = ActiveStyler();
        const bool scan = s && s->HasMultiComment();
        bool openerFound = false;
        for (int k = start; k < line; ++k) {
            const TStyle noted = st;
            const QString &text = lines.LineText(k);
            if (scan && !text.isEmpty())
                ScanLineComments(text, st, openerFound);
            const bool stale = k >= FStylesValidBelow;
            const bool own = k == start && fromCache;
            TStyle dummy;
            if (!own && !text.isEmpty() && k % 20 == 0 && (stale || !lines.GetCachedStyle(k, dummy)))
                lines.SetCachedStyle(k, noted);
            else if (stale && !own)
                lines.ClearCachedStyles(k, k);
        }
        if (openerFound)
            st.ctype = -1;
    }
    st.ClearRunFlags();
    if (line < count) {
        lines.SetCachedStyle(line, st);
        if (line >= FStylesValidBelow)
            FStylesValidBelow = line + 1;
    }
    return st;
}

TStyle TLineTokenizer::TopLineStartStyle(IStyledLines &lines, int topLine) {
    if (topLine != FbackupTopLine) {
        FBackupTopStyle = GetStartStyle(lines, topLine);
        FbackupTopLine = topLine;
    }
    return FBackupTopStyle;
}
