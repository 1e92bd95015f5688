#pragma once

#include "highlight/TokenizerState.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Encodings a file can be loaded in; Ansi is the active code page (Windows-1252 off Windows).
enum class TTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

enum TLineModifiedState { lmUnmodified, lmModified, lmSaved };

// Per-line record owned by the line store's registry (fields no feature reads are left out).
struct TLineProp {
    void *FObject = nullptr;
    bool FExpanded = true;
    TLineModifiedState Modified = lmUnmodified;
    bool Bookmark = false;
    qint32 BookmarkIndex = 0;
    TStyle Style;
    bool CachedStyle = false;
};

// What the line store needs from its text view. The editing model implements it; a headless
// implementation serves code that has no view (tests, the command-line tool).
class ICodeMemoView {
public:
    virtual ~ICodeMemoView() = default;
    virtual int TabSize() const = 0;
    virtual int TopLine() const = 0;
    virtual int CurX() const = 0;
    virtual int CurY() const = 0;
    virtual void SetCurX(int x) = 0;
    virtual void SetCurY(int y) = 0;
    virtual void ClearSelection() = 0;
    virtual void ResetSelectionCorners() = 0; // all four selection coordinates to 0
    virtual void DeleteLine() = 0;            // delete the caret line (no undo step while deleting)
    virtual void ClearUndoRedo() = 0;
    virtual void Invalidate() = 0;
    virtual void LinesChanged() = 0;
    virtual void InvalidateBackupTopLine() = 0; // FbackupTopLine := -1
    virtual void ShiftBookmarksAndMarkers(int fromLine, int count) = 0;
    virtual void BeginLoad() = 0; // clear FLetRefresh
    virtual void EndLoad() = 0;   // set FLetRefresh, FMaxLength from the lengths; LinesChanged follows
    // The outermost update bracket closed. No change notification is sent, but a view whose paint
    // requests were skipped inside the bracket needs one more repaint.
    virtual void UpdateBracketClosed() {}
};

// The text view's line store: lines, a TLineProp and a length per line, nested update brackets
// (FLockCount is the paint lock), whole-file load/save with encoding detection.
// Errors (EAppError) propagate to the caller.
//
// A file of many short lines must not cost a string and a record per line: a load keeps the file's
// bytes and each line is a slice of them, a generation appends its lines to one UTF-8 buffer, and
// only a line changed afterwards owns a string. A line's record is made when first asked for.
class TCodeMemoStrings {
public:
    explicit TCodeMemoStrings(ICodeMemoView *memo = nullptr);
    ~TCodeMemoStrings();
    TCodeMemoStrings(const TCodeMemoStrings &) = delete;
    TCodeMemoStrings &operator=(const TCodeMemoStrings &) = delete;

    ICodeMemoView *Memo() const { return FMemo; }
    void SetMemo(ICodeMemoView *memo) { FMemo = memo; }

    int Count() const;
    // The line's text, made on each call (a copy: it stays valid whatever the store does next).
    QString Get(int i) const; // EAppError "Index de liste hors limites (...)" out of range
    // Get(i) == text, without making the line's string where the store can avoid it.
    bool LineEquals(int i, QStringView text) const;
    // A value that stays the same while line i is an untouched line of the text as loaded or
    // generated, and differs for any other such line; 0 for a line edited since. Tokens are
    // compared only within one TextGeneration(), which changes when the whole text is replaced.
    quint64 LineToken(int i) const;
    quint64 TextGeneration() const { return FTextGeneration; }
    QString operator[](int i) const { return Get(i); }
    int Add(const QString &s);
    // Add(head + tail) without building the joined string first.
    int Add(QStringView head, QStringView tail);
    // Room for this many lines in all, and about this many bytes of their text, so that a
    // generation does not regrow the per-line lists or copy the text as it grows.
    void Reserve(int lines, qsizetype bytes = 0);
    // The bytes the text takes in the store: a measure for the next generation's Reserve.
    qsizetype TextBytes() const { return FBuffer.size(); }
    void Clear();
    void Insert(int i, const QString &s);
    void Delete(int i);
    void Put(int i, const QString &s);
    // nullptr when the line has none. Loaded and added lines have one, made when first asked for.
    TLineProp *LineProp(int i) const;
    TLineProp *EnsureLineProp(int i); // creates and registers one on demand
    // The record if it was made already: for readers of a state a fresh record would not have.
    TLineProp *ExistingLineProp(int i) const;
    const QList<int> &ListLengths() const { return FListLengths; }
    // Longest line, kept up to date as lines change; rescans the lengths only after the longest
    // line shrank or went away.
    int MaxLength() const;
    void *Objects(int i) const;           // the line's FObject; nullptr out of range
    void SetObjects(int i, void *object); // ignored out of range

    // Raw line changes for the view's own editing operations: no call back into the view, no
    // per-line record for inserted lines, one change notification each.
    void RemoveLine(int i);
    void RemoveLines(int i, int count);
    void InsertLines(int i, const QStringList &lines);
    bool Deleting() const { return FDeleting; }
    void ResetLineStates(); // every line lmUnmodified
    void MarkLinesSaved();  // lmModified lines become lmSaved

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    int FLockCount = 0;

    QString Text() const;
    void SetText(const QString &text);

    // Reads only a regular file; a FIFO, socket, device or folder is refused at once.
    void LoadFromFile(const QString &fileName);
    void LoadFromBytes(const QByteArray &bytes); // detection + decoding + split, as a load
    // LoadFromFile of bytes the caller read from fileName (which names the file in errors);
    // readError is the system's message when reading failed.
    void LoadFromFileBytes(const QString &fileName, const QByteArray &bytes, const QString &readError);
    // Written through a temporary file renamed into place: a failed save leaves the old file intact.
    void SaveToFile(const QString &fileName);
    QByteArray EncodedText() const; // mark + encoded text, exactly what SaveToFile writes

    // Encoding of the last load; std::nullopt-like: FHasEncoding false until the first load.
    TTextEncoding Encoding() const;
    bool HasLoadedEncoding() const { return FHasEncoding; }
    // Chooses the encoding the next save writes in, as if the file had been loaded in it.
    void SetEncoding(TTextEncoding encoding) {
        FEncoding = encoding;
        FHasEncoding = true;
    }

    // Detection and decoding alone: the encoding and the text after the mark.
    static TTextEncoding DetectEncoding(const QByteArray &bytes, int *markLength);
    static QString Decode(const QByteArray &bytes, TTextEncoding encoding, int markLength);

private:
    void Changed();
    void AppendLine(QString &&s);
    bool AppendSlice(QStringView a, QStringView b);
    quint64 OwnedSpan(QString &&s);
    void ReleaseSpan(quint64 span);
    QString TextOf(quint64 span) const;
    void PushLine(quint64 span, int length);
    void InsertUnrecorded(int at, quint64 span, int length);
    TLineProp *NewLineProp() const;
    TLineProp *PropAt(quint32 slot) const;
    void MaterializeSlots() const;
    void PrepareLoad();
    void FinishLoad();
    void LoadDecoded(const QString &text);
    void LoadBytes(const QByteArray &bytes);
    bool AdoptBytes(const QByteArray &bytes, TTextEncoding encoding, int mark);
    void ResetText();
    bool BufferIsEncodedText() const;
    [[noreturn]] void ListIndexError(int i) const;
    int TabSize() const { return FMemo ? FMemo->TabSize() : 4; }
    bool AboveTopLine(int i) const { return FMemo && i < FMemo->TopLine(); }

    ICodeMemoView *FMemo = nullptr;
    // Per line: a slice of FBuffer (start and byte length) or, with kOwnedBit, an index into FOwned.
    std::vector<quint64> FSpans;
    // Laid out as the file is written (mark, lines, CR LF between them), in FBufferCodec.
    QByteArray FBuffer;
    TTextEncoding FBufferCodec = TTextEncoding::Ansi;
    bool FBufferAppendable = true; // false while FBuffer is a loaded file's bytes, shared with others
    std::vector<QString> FOwned;
    std::vector<quint32> FFreeOwned;
    // Per line: kNoProp, kOwedProp (a record is made when asked for) or 2 + the record's number.
    // Empty while every line is owed one, as after a load or a generation.
    mutable std::vector<quint32> FSlots;
    // Registry owning every record, in fixed blocks: addresses stay stable as it grows, and many
    // records cost a few blocks instead of one allocation each.
    static constexpr int kPropBlock = 4096;
    mutable std::vector<std::unique_ptr<TLineProp[]>> FLinesProp;
    mutable int FPropsInLastBlock = kPropBlock;
    QList<int> FListLengths;
    bool FNotifyAttached = true; // the view's LinesChanged hears of changes
    mutable int FMaxLength = 0;
    mutable bool FMaxLengthStale = false;
    // While stale, FMaxLength can only be too high, so a length reaching it is the true maximum.
    void LengthAdded(int length) {
        if (length >= FMaxLength) {
            FMaxLength = length;
            FMaxLengthStale = false;
        }
    }
    void LengthRemoved(int length) {
        if (length == FMaxLength)
            FMaxLengthStale = true;
    }
    int FUpdateCount = 0;
    bool FDeleting = false;
    bool FHasEncoding = false;
    quint64 FTextGeneration = 0;
    TTextEncoding FEncoding = TTextEncoding::Ansi;
};
