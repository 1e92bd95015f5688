#include "mainwindow/FileContentView.h"

#include "editor/CodeMemoStrings.h"

#include <QAbstractListModel>

class TLinesModel : public QAbstractListModel {
public:
    TLinesModel(TCodeMemoStrings &lines, QObject *parent) : QAbstractListModel(parent), FLines(lines) {}

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : FCount; }

    QVariant data(const QModelIndex &index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= FLines.Count())
            return QVariant();
        return FLines.Get(index.row());
    }

    void Reload() {
        beginResetModel();
        FCount = FLines.Count();
        endResetModel();
    }

private:
    TCodeMemoStrings &FLines;
    int FCount = 0;
};

TFileContentView::TFileContentView(TCodeMemoStrings &lines, QWidget *parent)
    : QListView(parent), FModel(new TLinesModel(lines, this)) {
    setModel(FModel);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
}

void TFileContentView::Reload() {
    FModel->Reload();
}
