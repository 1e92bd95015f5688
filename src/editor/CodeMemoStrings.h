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
class TCodeMemoStrings {
public:
    explicit TCodeMemoStrings(ICodeMemoView *memo = nullptr);
    ~TCodeMemoStrings();
    TCodeMemoStrings(const TCodeMemoStrings &) = delete;
    TCodeMemoStrings &operator=(const TCodeMemoStrings &) = delete;

    ICodeMemoView *Memo() const { return FMemo; }
    void SetMemo(ICodeMemoView *memo) { FMemo = memo; }

    int Count() const;
    const QString &Get(int i) const; // EAppError "Index de liste hors limites (...)" out of range
    const QString &operator[](int i) const { return Get(i); }
    int Add(const QString &s);
    void Clear();
    void Insert(int i, const QString &s);
    void Delete(int i);
    void Put(int i, const QString &s);
    TLineProp *LineProp(int i) const; // nullptr when the line has none
    TLineProp *EnsureLineProp(int i); // creates and registers one on demand
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
    TLineProp *NewLineProp();
    void PrepareLoad();
    void FinishLoad();
    void LoadDecoded(const QString &text);
    void LoadBytes(const QByteArray &bytes);
    [[noreturn]] void ListIndexError(int i) const;
    int TabSize() const { return FMemo ? FMemo->TabSize() : 4; }
    bool AboveTopLine(int i) const { return FMemo && i < FMemo->TopLine(); }

    ICodeMemoView *FMemo = nullptr;
    QStringList FLines;
    std::vector<TLineProp *> FSlots; // parallel to FLines; entries point into FLinesProp
    // Registry owning every record, in fixed blocks: addresses stay stable as it grows, and a load
    // of many lines allocates and releases a few blocks instead of one record each.
    static constexpr int kPropBlock = 4096;
    std::vector<std::unique_ptr<TLineProp[]>> FLinesProp;
    int FPropsInLastBlock = kPropBlock;
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
    TTextEncoding FEncoding = TTextEncoding::Ansi;
};
