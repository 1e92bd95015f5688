#pragma once

#include "editor/CodeMemoStrings.h"

// A view without a window: it owns a line store and keeps the caret and the selection corners,
// so that the document and the command-line tool use the store exactly as the text view does.
class THeadlessCodeMemoView : public ICodeMemoView {
public:
    THeadlessCodeMemoView();
    ~THeadlessCodeMemoView() override;

    TCodeMemoStrings &Lines() { return FLines; }
    const TCodeMemoStrings &Lines() const { return FLines; }

    int TabSize() const override { return 4; }
    int TopLine() const override { return 0; }
    int CurX() const override { return FCurX; }
    int CurY() const override { return FCurY; }
    void SetCurX(int x) override;
    void SetCurY(int y) override;
    void ClearSelection() override;
    void ResetSelectionCorners() override;
    void DeleteLine() override;
    void ClearUndoRedo() override {}
    void Invalidate() override {}
    void LinesChanged() override {}
    void InvalidateBackupTopLine() override {}
    void ShiftBookmarksAndMarkers(int, int) override {}
    void BeginLoad() override {}
    void EndLoad() override {}

    int FSelStartX = 0, FSelStartY = 0, FSelEndX = 0, FSelEndY = 0;

private:
    TCodeMemoStrings FLines;
    int FCurX = 0;
    int FCurY = 0;
};
