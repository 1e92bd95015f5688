#include "editor/HeadlessCodeMemoView.h"

THeadlessCodeMemoView::THeadlessCodeMemoView() : FLines(this) {
    FLines.Add(QString());
}

THeadlessCodeMemoView::~THeadlessCodeMemoView() {
    FLines.SetMemo(nullptr);
}

void THeadlessCodeMemoView::SetCurX(int x) {
    if (x < 0) {
        if (FCurY > 0) {
            --FCurY;
            FCurX = FLines.ListLengths().value(FCurY);
        } else {
            FCurX = 0;
        }
        return;
    }
    FCurX = x;
}

void THeadlessCodeMemoView::SetCurY(int y) {
    if (FLines.Count() == 0)
        FLines.Add(QString());
    FCurY = qBound(0, y, FLines.Count() - 1);
}

void THeadlessCodeMemoView::ClearSelection() {
    FSelStartX = FSelEndX = FCurX;
    FSelStartY = FSelEndY = FCurY;
}

void THeadlessCodeMemoView::ResetSelectionCorners() {
    FSelStartX = FSelStartY = FSelEndX = FSelEndY = 0;
}

void THeadlessCodeMemoView::DeleteLine() {
    if (FLines.Count() == 1)
        FLines.Put(0, QString());
    else
        FLines.RemoveLine(FCurY);
    FCurY = qBound(0, FCurY, FLines.Count() - 1);
}
