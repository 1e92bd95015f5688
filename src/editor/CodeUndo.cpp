#include "editor/CodeUndo.h"

#include "editor/CodeMemoModel.h"

void TUndo::PlaceCaret(int x, int y) {
    Memo->SetCurY(y);
    Memo->SetCurX(x);
}

void TUndo::Undo() {
    if (FUndoCurY != -1)
        PlaceCaret(FUndoCurX, FUndoCurY);
    PerformUndo();
    if (FUndoCurY != -1)
        PlaceCaret(FUndoCurX0, FUndoCurY0);
}

void TUndo::Redo() {
    if (FUndoCurY != -1)
        PlaceCaret(FUndoCurX0, FUndoCurY0);
    PerformRedo();
    if (FUndoCurY != -1)
        PlaceCaret(FUndoCurX, FUndoCurY);
}

bool TInsertCharUndo::Append(TUndo *step) {
    auto *other = dynamic_cast<TInsertCharUndo *>(step);
    if (!other || other->FUndoCurX0 != FUndoCurX || other->FUndoCurY0 != FUndoCurY)
        return false;
    FUndoText += other->FUndoText;
    FUndoCurX = other->FUndoCurX;
    FUndoCurY = other->FUndoCurY;
    return true;
}

// Removes the inserted characters backwards, but only where they still stand before the caret:
// the text may have been regenerated since.
void TInsertCharUndo::PerformUndo() {
    for (qsizetype i = FUndoText.size() - 1; i >= 0; --i) {
        const QChar c = FUndoText.at(i);
        const int x = Memo->CurX(), y = Memo->CurY();
        const QString &line = Memo->Lines().Get(y);
        const bool before = x > 0 && x <= line.size() && line.at(x - 1) == c;
        if ((c == QLatin1Char('\r') && x == 0) || before)
            Memo->BackspaceChar();
    }
}

void TInsertCharUndo::PerformRedo() {
    for (const QChar c : std::as_const(FUndoText)) {
        if (c == QLatin1Char('\r')) {
            Memo->NewLine();
            if (TLineProp *p = Memo->Lines().EnsureLineProp(Memo->CurY()))
                p->Modified = lmModified;
        } else {
            Memo->InsertChar(c);
        }
    }
}

void TOverwriteCharUndo::Exchange(int x, int y) {
    TCodeMemoStrings &lines = Memo->Lines();
    if (y < 0 || y >= lines.Count() || FUndoText.isEmpty())
        return;
    QString line = lines.Get(y);
    if (x < 0 || x >= line.size())
        return;
    const QChar kept = line.at(x);
    line[x] = FUndoText.at(0);
    FUndoText = QString(kept);
    lines.Put(y, line);
    Memo->LinesChanged();
}

// The character was typed at the start column; both directions swap it with the stored one.
void TOverwriteCharUndo::PerformUndo() {
    Exchange(FUndoCurX0, FUndoCurY0);
}

void TOverwriteCharUndo::PerformRedo() {
    Exchange(Memo->CurX(), Memo->CurY());
}

bool TDeleteCharUndo::Append(TUndo *step) {
    auto *other = dynamic_cast<TDeleteCharUndo *>(step);
    if (!other || other->FUndoCurX0 != FUndoCurX || other->FUndoCurY0 != FUndoCurY ||
        other->FIsBackspace != FIsBackspace)
        return false;
    FUndoText = other->FUndoText + FUndoText;
    FUndoCurX = other->FUndoCurX;
    FUndoCurY = other->FUndoCurY;
    return true;
}

void TDeleteCharUndo::PerformUndo() {
    for (const QChar c : std::as_const(FUndoText)) {
        if (!FIsBackspace)
            PlaceCaret(FUndoCurX0, FUndoCurY0);
        if (c == QLatin1Char('\r')) {
            Memo->NewLine();
        } else {
            Memo->InsertChar(c);
            Memo->Invalidate();
        }
    }
}

void TDeleteCharUndo::PerformRedo() {
    for (qsizetype i = 0; i < FUndoText.size(); ++i) {
        if (FIsBackspace)
            Memo->BackspaceChar();
        else
            Memo->DeleteChar(-1, -1);
    }
}

void TDeleteBufUndo::PerformUndo() {
    Memo->ClearSelection();
    Memo->SetSelection(FUndoText);
    Memo->Select(FUndoSelStartX, FUndoSelStartY, FUndoSelEndX, FUndoSelEndY);
}

void TDeleteBufUndo::PerformRedo() {
    Memo->Select(FUndoSelStartX, FUndoSelStartY, FUndoSelEndX, FUndoSelEndY);
    Memo->DeleteSelection();
}

void TPasteUndo::PerformUndo() {
    Memo->Select(FUndoCurX0, FUndoCurY0, FUndoCurX, FUndoCurY);
    Memo->DeleteSelection();
}

void TPasteUndo::PerformRedo() {
    Memo->ClearSelection();
    Memo->SetSelection(FUndoText);
}

void TIndentUndo::PerformUndo() {
    Memo->BlockIndent(FSelRowFrom, FSelRowTo, -FIndent, false);
    PlaceCaret(FUndoCurX0, FUndoCurY0);
}

void TIndentUndo::PerformRedo() {
    Memo->BlockIndent(FSelRowFrom, FSelRowTo, FIndent, false);
    PlaceCaret(FUndoCurX0, FUndoCurY0);
}

void TInsertOverwriteUndo::PerformUndo() {
    Memo->FOverwrite = FInsertMode;
}

void TInsertOverwriteUndo::PerformRedo() {
    Memo->FOverwrite = !FInsertMode;
}

void TDeleteLineUndo::PerformUndo() {
    Memo->ClearSelection();
    Memo->SetSelection(FUndoText + QLatin1StringView("\r\n"));
}

void TDeleteLineUndo::PerformRedo() {
    Memo->DeleteLine();
}

void TCodeUndoList::Add(TUndo *step) {
    std::unique_ptr<TUndo> owned(step);
    if (FIsPerforming)
        return;
    if (FPos == 0 && !FSteps.empty() && FSteps.front()->Append(step))
        return;
    step->Memo = FMemo;
    for (; FPos > 0; --FPos)
        FSteps.pop_front();
    FSteps.push_front(std::move(owned));
    while (Count() > FLimit)
        FSteps.pop_back();
}

void TCodeUndoList::Undo() {
    if (!CanUndo())
        return;
    const bool autoIndent = FMemo->AutoIndent;
    FMemo->FOnChangeAttached = false;
    FMemo->AutoIndent = false;
    FIsPerforming = true;
    TUndo *step = FSteps.at(size_t(FPos)).get();
    step->Undo();
    if (step->FLinkedUndo && FPos + 1 < Count()) {
        ++FPos;
        FSteps.at(size_t(FPos))->Undo();
    }
    ++FPos;
    FMemo->FOnChangeAttached = true;
    FMemo->LinesChanged();
    FIsPerforming = false;
    FMemo->AutoIndent = autoIndent;
}

void TCodeUndoList::Redo() {
    if (!CanRedo())
        return;
    const bool autoIndent = FMemo->AutoIndent;
    FMemo->AutoIndent = false;
    FIsPerforming = true;
    --FPos;
    FSteps.at(size_t(FPos))->Redo();
    if (FPos > 0 && FSteps.at(size_t(FPos - 1))->FLinkedUndo) {
        --FPos;
        FSteps.at(size_t(FPos))->Redo();
    }
    FIsPerforming = false;
    FMemo->AutoIndent = autoIndent;
}

void TCodeUndoList::Clear() {
    FSteps.clear();
    FPos = 0;
}
