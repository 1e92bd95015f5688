#include "editor/HeadlessCodeMemoView.h"
#include "platform/AppError.h"
#include "platform/Codepage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TTextEncoding)

namespace {

// Counts what the store asks of its view, so brackets and loads can be checked.
class TSpyView : public THeadlessCodeMemoView {
public:
    int undoClears = 0;
    int changes = 0;
    int loading = 0;
    void ClearUndoRedo() override { ++undoClears; }
    void LinesChanged() override { ++changes; }
    void BeginLoad() override { ++loading; }
    void EndLoad() override { --loading; }
};

QStringList LinesOf(const TCodeMemoStrings &s) {
    QStringList r;
    for (int i = 0; i < s.Count(); ++i)
        r << s.Get(i);
    return r;
}

QByteArray Utf16(const char16_t *text, bool bigEndian) {
    QByteArray b;
    for (const char16_t *p = text; *p; ++p) {
        const char hi = char(*p >> 8), lo = char(*p & 0xFF);
        b += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return b;
}

bool WriteFile(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestLineStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadAndSave_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<TTextEncoding>("encoding");
        QTest::addColumn<QByteArray>("saved");

        QTest::newRow("empty file") << QByteArray() << QStringList{QString()} << TTextEncoding::Ansi
                                    << QByteArray();
        QTest::newRow("utf-8 mark, CR LF after each line") << QByteArray("\xEF\xBB\xBF"
                                                                         "a\r\nb\r\n")
                                                           << QStringList{"a", "b"} << TTextEncoding::Utf8
                                                           << QByteArray("\xEF\xBB\xBF"
                                                                         "a\r\nb");
        QTest::newRow("utf-8 mark only") << QByteArray("\xEF\xBB\xBF") << QStringList{QString()}
                                         << TTextEncoding::Utf8 << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("utf-8 bad bytes become replacement characters")
            << QByteArray("\xEF\xBB\xBF"
                          "a\xFF"
                          "b")
            << QStringList{QStringLiteral("a\uFFFDb")} << TTextEncoding::Utf8
            << QByteArray("\xEF\xBB\xBF"
                          "a\xEF\xBF\xBD"
                          "b");
        // Found by fuzzing: a U+FEFF after the mark, or starting a line, was dropped as a mark.
        QTest::newRow("utf-8 U+FEFF right after the mark")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF")
            << QStringList{QStringLiteral("\uFEFF\uFEFF")} << TTextEncoding::Utf8
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF");
        QTest::newRow("utf-8 U+FEFF starting a line after the mark")
            << QByteArray("\xEF\xBB\xBF\r\xEF\xBB\xBF"
                          "a")
            << QStringList{QString(), QStringLiteral("\uFEFFa")} << TTextEncoding::Utf8
            << QByteArray("\xEF\xBB\xBF\r\n\xEF\xBB\xBF"
                          "a");
        QTest::newRow("utf-8 without mark is the code page")
            << QByteArray("caf\xC3\xA9") << QStringList{QStringLiteral("caf\u00C3\u00A9")}
            << TTextEncoding::Ansi << QByteArray("caf\xC3\xA9");
        QTest::newRow("utf-16 LE round trip")
            << QByteArray("\xFF\xFE") + Utf16(u"[A]\r\nx=\u00e9\u20ac", false) << QStringList{"[A]", "x=é€"}
            << TTextEncoding::Utf16LE << QByteArray("\xFF\xFE") + Utf16(u"[A]\r\nx=\u00e9\u20ac", false);
        QTest::newRow("utf-16 BE round trip")
            << QByteArray("\xFE\xFF") + Utf16(u"a\r\nb", true) << QStringList{"a", "b"}
            << TTextEncoding::Utf16BE << QByteArray("\xFE\xFF") + Utf16(u"a\r\nb", true);
        QTest::newRow("FF FE 00 00 is utf-16 LE")
            << QByteArray("\xFF\xFE\x00\x00", 4) << QStringList{QString(QChar(0))} << TTextEncoding::Utf16LE
            << QByteArray("\xFF\xFE\x00\x00", 4);
        QTest::newRow("utf-16 lone surrogates kept")
            << QByteArray("\xFF\xFE") + Utf16(u"\xD800x\xDC00", false)
            << QStringList{QString(QChar(0xD800)) + "x" + QChar(0xDC00)} << TTextEncoding::Utf16LE
            << QByteArray("\xFF\xFE") + Utf16(u"\xD800x\xDC00", false);
        QTest::newRow("utf-16 odd trailing byte shown, not dropped")
            << QByteArray("\xFF\xFE"
                          "a\x00"
                          "b",
                          5)
            << QStringList{QStringLiteral("a\uFFFD")} << TTextEncoding::Utf16LE
            << QByteArray("\xFF\xFE"
                          "a\x00\xFD\xFF",
                          6);
        QTest::newRow("LF-only lines saved with CR LF")
            << QByteArray("a\nb\nc\n") << QStringList{"a", "b", "c"} << TTextEncoding::Ansi
            << QByteArray("a\r\nb\r\nc");
        QTest::newRow("LF CR gives an empty line between")
            << QByteArray("a\n\rb") << QStringList{"a", "", "b"} << TTextEncoding::Ansi
            << QByteArray("a\r\n\r\nb");
        QTest::newRow("lone CR ends a line")
            << QByteArray("a\rb") << QStringList{"a", "b"} << TTextEncoding::Ansi << QByteArray("a\r\nb");
        QTest::newRow("Tab becomes four spaces")
            << QByteArray("k=\tv") << QStringList{"k=    v"} << TTextEncoding::Ansi << QByteArray("k=    v");
        QTest::newRow("every code page byte round trips")
            << QByteArray("\x80\x81\x8D\x8F\x90\x9D\xE9\xFF")
            << QStringList{QStringLiteral("€\u0081\u008D\u008F\u0090\u009Déÿ")} << TTextEncoding::Ansi
            << QByteArray("\x80\x81\x8D\x8F\x90\x9D\xE9\xFF");
        QTest::newRow("NUL stays in its line")
            << QByteArray("a\0b", 3) << QStringList{QString("a") + QChar(0) + "b"} << TTextEncoding::Ansi
            << QByteArray("a\0b", 3);
    }

    void loadAndSave() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, lines);
        QFETCH(TTextEncoding, encoding);
        QFETCH(QByteArray, saved);
        QTemporaryDir dir;
        const QString in = dir.filePath("in.ini"), out = dir.filePath("out.ini");
        QVERIFY(WriteFile(in, file));

        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.LoadFromFile(in);
        QCOMPARE(LinesOf(s), lines);
        QCOMPARE(s.Encoding(), encoding);
        QCOMPARE(s.ListLengths().size(), s.Count());
        for (int i = 0; i < s.Count(); ++i)
            QCOMPARE(s.ListLengths().at(i), s.Get(i).size());
        QCOMPARE(s.EncodedText(), saved);
        s.SaveToFile(out);
        QCOMPARE(ReadFile(out), saved);
        QCOMPARE(view.loading, 0);
    }

    void codePageSavingAgreesWithTheConversion() {
        TCodeMemoStrings s;
        s.Add(QStringLiteral("plain é ÿ € \u0100 \u4E2D ") + QString::fromUtf8("\xF0\x9F\x98\x80") +
              QChar(0xD800) + "x" + QChar(0x81));
        s.Add(QStringLiteral("second"));
        QCOMPARE(s.EncodedText(), EncodeAnsi(s.Text()));
    }

    void loadPreparesTheView() {
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.Add("first");
        s.Add("second line");
        view.SetCurY(2);
        view.SetCurX(5);
        view.changes = 0;
        s.LoadFromBytes("x\r\ny\r\nz");
        QCOMPARE(view.undoClears, 1);
        QCOMPARE(view.changes, 1); // once at the end, not once per line
        QCOMPARE(view.CurX(), 0);
        QCOMPARE(view.CurY(), 0);
        QCOMPARE(s.FLockCount, 0);
    }

    void loadFailureKeepsLines_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << QStringLiteral("missing.ini");
        QTest::newRow("folder") << QStringLiteral(".");
    }

    void loadFailureKeepsLines() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        TSpyView view;
        view.Lines().Add("kept");
        try {
            view.Lines().LoadFromFile(path);
            QFAIL("no error raised");
        } catch (const EAppError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". ")
                                                .arg(QFileInfo(path).absoluteFilePath())),
                     qPrintable(e.message()));
        }
        QCOMPARE(LinesOf(view.Lines()), (QStringList{"", "kept"}));
        QCOMPARE(view.loading, 0);
        QCOMPARE(view.Lines().FLockCount, 0);
    }

    void saveFailureLeavesFileAlone() {
        QTemporaryDir dir;
        TSpyView view;
        view.Lines().Add("x");
        const QString target = dir.filePath("no/such/folder/out.ini");
        try {
            view.Lines().SaveToFile(target);
            QFAIL("no error raised");
        } catch (const EAppError &e) {
            QVERIFY2(
                e.message().startsWith(QStringLiteral("Impossible de créer le fichier \"%1\". ").arg(target)),
                qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(target));
    }

    void add_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("last");
        QTest::newRow("CR splits, LF vanishes") << "a\rb\nc" << QStringList{"a", "bc"} << 1;
        QTest::newRow("CR LF splits once") << "a\r\nb" << QStringList{"a", "b"} << 1;
        QTest::newRow("trailing CR adds an empty line") << "a\r" << QStringList{"a", ""} << 1;
        QTest::newRow("tab") << "\tx" << QStringList{"    x"} << 0;
        QTest::newRow("empty") << "" << QStringList{""} << 0;
    }

    void add() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QFETCH(int, last);
        TCodeMemoStrings s;
        QCOMPARE(s.Add(text), last);
        QCOMPARE(LinesOf(s), lines);
        for (int i = 0; i < s.Count(); ++i) {
            QVERIFY(s.LineProp(i));
            QCOMPARE(s.ListLengths().at(i), lines.at(i).size());
        }
    }

    void insert_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF splits") << 1 << "x\r\ny" << QStringList{"a", "x", "y", "b"};
        QTest::newRow("lone CR stays, lone LF dropped") << 0 << "x\ry\nz" << QStringList{"x\ryz", "a", "b"};
        QTest::newRow("at the end") << 2 << "\t" << QStringList{"a", "b", "    "};
    }

    void insert() {
        QFETCH(int, at);
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.Put(0, "a");
        s.Add("b");
        s.Insert(at, text);
        QCOMPARE(LinesOf(s), lines);
        QCOMPARE(s.ListLengths().size(), lines.size());
        QVERIFY(!s.LineProp(at)); // inserted lines get their record on demand
        QVERIFY(s.EnsureLineProp(at));
        QCOMPARE(s.EnsureLineProp(at), s.LineProp(at));
    }

    void regenerationBracketKeepsUndoAndResetsCaret() {
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.Add("one");
        s.Add("two");
        view.SetCurY(2);
        view.SetCurX(3);
        view.changes = 0;
        s.BeginUpdate();
        s.BeginUpdate();
        QCOMPARE(s.FLockCount, 1);
        s.Clear();
        s.Add("a");
        s.Add("b");
        s.Add("c");
        s.EndUpdate();
        QCOMPARE(s.FLockCount, 1);
        s.EndUpdate();
        s.EndUpdate(); // unbalanced: must not go below zero
        QCOMPARE(s.FLockCount, 0);
        QCOMPARE(s.Count(), 3);
        QCOMPARE(view.CurX(), 0);
        QCOMPARE(view.CurY(), 0);
        QCOMPARE(view.undoClears, 0);
        QCOMPARE(view.changes, 0);
    }

    void encodingKeptAfterClearAndRefill() {
        QTemporaryDir dir;
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.LoadFromBytes(QByteArray("\xFF\xFE") + Utf16(u"x", false));
        s.Clear();
        s.Add("y");
        s.SaveToFile(dir.filePath("out.ini"));
        QCOMPARE(ReadFile(dir.filePath("out.ini")), QByteArray("\xFF\xFE") + Utf16(u"y", false));
    }

    void deleteLines_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("curY");
        QTest::newRow("out of range") << 5 << QStringList{"a", "b", "c"} << 2;
        QTest::newRow("negative") << -1 << QStringList{"a", "b", "c"} << 2;
        QTest::newRow("above the caret") << 0 << QStringList{"b", "c"} << 1;
        QTest::newRow("caret line") << 2 << QStringList{"a", "b"} << 1;
    }

    void deleteLines() {
        QFETCH(int, index);
        QFETCH(QStringList, lines);
        QFETCH(int, curY);
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.Put(0, "a");
        s.Add("b");
        s.Add("c");
        view.SetCurY(2);
        view.SetCurX(1);
        s.Delete(index);
        QCOMPARE(LinesOf(s), lines);
        QCOMPARE(s.ListLengths().size(), lines.size());
        QCOMPARE(view.CurY(), curY);
        QCOMPARE(view.CurX(), 1);
    }

    void deleteOnlyLineEmptiesIt() {
        TSpyView view;
        view.Lines().Put(0, "abc");
        view.SetCurX(2);
        view.Lines().Delete(0);
        QCOMPARE(LinesOf(view.Lines()), QStringList{QString()});
        QCOMPARE(view.CurX(), 0);
    }

    void indexErrors_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("message");
        QTest::newRow("beyond")
            << 3 << 3 << "Index de liste hors limites (3).  L'intervalle de TCodeMemoStrings est 0..2";
        QTest::newRow("negative")
            << 1 << -1 << "Index de liste hors limites (-1).  L'intervalle de TCodeMemoStrings est 0..0";
        QTest::newRow("empty") << 0 << 0 << "Index de liste hors limites (0).  TCodeMemoStrings est vide";
    }

    void indexErrors() {
        QFETCH(int, count);
        QFETCH(int, index);
        QFETCH(QString, message);
        TCodeMemoStrings s;
        for (int i = 0; i < count; ++i)
            s.Add("x");
        for (int put = 0; put < 2; ++put) {
            try {
                if (put)
                    s.Put(index, "y");
                else
                    (void)s.Get(index);
                QFAIL("no error raised");
            } catch (const EAppError &e) {
                QCOMPARE(e.message(), message);
            }
        }
        QCOMPARE(s.ListLengths().size(), count); // a failed Put leaves the lengths in step
    }

    void longestLineFollowsChanges_data() {
        QTest::addColumn<QString>("ops"); // p:i:text put, d:i delete, i:i:text insert, a:text add
        QTest::addColumn<int>("longest");
        QTest::newRow("longest shortened") << "p:1:x" << 3;
        QTest::newRow("longest removed") << "d:1" << 3;
        QTest::newRow("longest grown") << "p:1:abcdefgh" << 8;
        QTest::newRow("other line grown past it") << "p:0:abcdefghij" << 10;
        QTest::newRow("inserted") << "i:0:abcdefghij" << 10;
        QTest::newRow("shrunk then regrown") << "p:1:x p:1:abcde" << 5;
        QTest::newRow("cleared") << "c a:ab" << 2;
    }

    void longestLineFollowsChanges() {
        QFETCH(QString, ops);
        QFETCH(int, longest);
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.Put(0, "abc");
        s.Add("abcdef");
        s.Add("ab");
        for (const QString &op : ops.split(' ')) {
            const QStringList f = op.split(':');
            if (f[0] == "p")
                s.Put(f[1].toInt(), f[2]);
            else if (f[0] == "d")
                s.Delete(f[1].toInt());
            else if (f[0] == "i")
                s.Insert(f[1].toInt(), f[2]);
            else if (f[0] == "a")
                s.Add(f[1]);
            else
                s.Clear();
        }
        QCOMPARE(s.MaxLength(), longest);
    }

    void textRoundTrip() {
        TCodeMemoStrings s;
        QCOMPARE(s.Text(), QString());
        s.SetText("a\nb\r\n\tc\r\n");
        QCOMPARE(LinesOf(s), (QStringList{"a", "b", "    c"}));
        QCOMPARE(s.Text(), QStringLiteral("a\r\nb\r\n    c"));
    }

    // A generation reserves room of the size of the text it replaces; lines whose encoding is
    // longer than one byte a character must still take exactly that room, not more.
    void textFillsRoomOfItsExactSize_data() {
        QTest::addColumn<TTextEncoding>("encoding");
        QTest::addColumn<QByteArray>("mark");
        QTest::newRow("code page") << TTextEncoding::Ansi << QByteArray();
        QTest::newRow("utf-8") << TTextEncoding::Utf8 << QByteArray("\xEF\xBB\xBF");
    }

    void textFillsRoomOfItsExactSize() {
        QFETCH(TTextEncoding, encoding);
        QFETCH(QByteArray, mark);
        const QString value = encoding == TTextEncoding::Utf8
                                  ? QStringLiteral("M\u00fcller \u20ac \u0144 \U0001D11E")
                                  : QStringLiteral("M\u00fcller \u20ac");
        const QByteArray text = "[Description]\r\nItem1=" +
                                (encoding == TTextEncoding::Utf8 ? value.toUtf8() : EncodeAnsi(value));
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.LoadFromBytes(mark + "x");
        QCOMPARE(s.Encoding(), encoding);
        s.Clear();
        s.Reserve(2, mark.size() + text.size());
        s.Add("[Description]");
        s.Add(QStringLiteral("Item1="), value);
        QCOMPARE(LinesOf(s), (QStringList{"[Description]", "Item1=" + value}));
        QCOMPARE(s.TextBytes(), mark.size() + text.size()); // both lines are slices of the room
        QCOMPARE(s.EncodedText(), mark + text);
    }

    // Generated lines go into one buffer in the file's encoding where they can, and into strings of
    // their own where they cannot; edits afterwards change single lines. Whatever the mix, the lines
    // read back as added and save as the plain encoding of their text.
    void generatedLinesSaveAsTheirText_data() {
        QTest::addColumn<TTextEncoding>("encoding");
        QTest::newRow("code page") << TTextEncoding::Ansi;
        QTest::newRow("utf-8") << TTextEncoding::Utf8;
        QTest::newRow("utf-16 LE") << TTextEncoding::Utf16LE;
        QTest::newRow("utf-16 BE") << TTextEncoding::Utf16BE;
    }

    void generatedLinesSaveAsTheirText() {
        QFETCH(TTextEncoding, encoding);
        const QByteArray marks[] = {QByteArray(), "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
        const QByteArray mark = marks[int(encoding)];
        auto encoded = [&](const QStringList &lines) -> QByteArray {
            const QString text = lines.join("\r\n");
            switch (encoding) {
            case TTextEncoding::Ansi:
                return EncodeAnsi(text);
            case TTextEncoding::Utf8:
                return QByteArray(mark + text.toUtf8());
            case TTextEncoding::Utf16LE:
            case TTextEncoding::Utf16BE:
                break;
            }
            return QByteArray(mark + Utf16(reinterpret_cast<const char16_t *>(text.utf16()),
                                           encoding == TTextEncoding::Utf16BE));
        };
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.LoadFromBytes(QByteArray(mark + (encoding >= TTextEncoding::Utf16LE
                                               ? Utf16(u"x", encoding == TTextEncoding::Utf16BE)
                                               : QByteArray("x"))));
        QCOMPARE(s.Encoding(), encoding);
        s.Clear();
        const QString lone = QString(QChar(0xD800)) + "lone";
        s.Add("[Description]");
        s.Add(QStringLiteral("Item1=M\u00fcller \u20ac \u2013 \u0144 \U0001D11E"));
        s.Add(QStringLiteral("Item2="), QStringLiteral("caf\u00e9"));
        s.Add(lone);
        s.Add(QStringLiteral("Item3="), QStringLiteral("a\tb"));
        s.Add(QStringLiteral("c\rd"));
        s.Add(QString());
        QStringList lines{"[Description]",
                          QStringLiteral("Item1=M\u00fcller \u20ac \u2013 \u0144 \U0001D11E"),
                          QStringLiteral("Item2=caf\u00e9"),
                          lone,
                          "Item3=a    b",
                          "c",
                          "d",
                          ""};
        QCOMPARE(LinesOf(s), lines);
        for (int i = 0; i < s.Count(); ++i)
            QCOMPARE(s.ListLengths().at(i), lines.at(i).size());
        QCOMPARE(s.EncodedText(), encoded(lines));

        const QString held = s.Get(2);
        s.Put(2, "Item2=changed");
        s.Insert(1, "inserted");
        s.RemoveLine(5);
        s.Add("after edits");
        lines[2] = "Item2=changed";
        lines.insert(1, "inserted");
        lines.removeAt(5);
        lines << "after edits";
        QCOMPARE(LinesOf(s), lines);
        QCOMPARE(s.EncodedText(), encoded(lines));
        QCOMPARE(held, QStringLiteral("Item2=caf\u00e9")); // a line read stays as it was
    }

    void recordsAreMadeWhenAskedFor() {
        TCodeMemoStrings s;
        s.LoadFromBytes("a\r\nb\r\nc");
        QVERIFY(!s.ExistingLineProp(1));
        TLineProp *p = s.LineProp(1);
        QVERIFY(p);
        QCOMPARE(s.ExistingLineProp(1), p);
        QCOMPARE(p->Modified, lmUnmodified);
        p->Modified = lmModified;
        s.Insert(0, "new");
        QVERIFY(!s.LineProp(0));
        QCOMPARE(s.LineProp(2), p); // the record moves with its line
        s.MarkLinesSaved();
        QCOMPARE(p->Modified, lmSaved);
    }

    void lineStatesFollowSaveAndLoad() {
        QTemporaryDir dir;
        TSpyView view;
        TCodeMemoStrings &s = view.Lines();
        s.Add("x");
        s.LineProp(0)->Modified = lmModified;
        s.LineProp(1)->Modified = lmModified;
        s.SaveToFile(dir.filePath("a.ini"));
        QCOMPARE(s.LineProp(0)->Modified, lmSaved);
        s.LineProp(1)->Modified = lmModified;
        s.LoadFromFile(dir.filePath("a.ini"));
        QCOMPARE(s.LineProp(0)->Modified, lmUnmodified);
    }
};

QTEST_GUILESS_MAIN(TestLineStore)
#include "test_linestore.moc"
