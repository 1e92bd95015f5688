#include "mainwindow/EntryListBox.h"

#include <QItemSelectionModel>

int TEntryListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(FRows.size());
}

QVariant TEntryListModel::data(const QModelIndex &index, int role) const {
    const int row = index.row();
    if (!index.isValid() || !Valid(row))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return FRows[row];
    case Qt::ToolTipRole:
        if (const auto tip = FToolTips.constFind(row); tip != FToolTips.cend())
            return *tip;
        return {};
    case ProblemRole:
        return int(FLevels[size_t(row)]);
    default:
        return {};
    }
}

void TEntryListModel::SetRows(QStringList rows) {
    beginResetModel();
    FRows = std::move(rows);
    FLevels.assign(size_t(FRows.size()), 0);
    FToolTips.clear();
    endResetModel();
}

QString TEntryListModel::Text(int row) const {
    return Valid(row) ? FRows[row] : QString();
}

void TEntryListModel::SetText(int row, const QString &text) {
    if (!Valid(row) || FRows[row] == text)
        return;
    FRows[row] = text;
    Q_EMIT dataChanged(index(row), index(row), {Qt::DisplayRole, Qt::EditRole});
}

int TEntryListModel::Problem(int row) const {
    return Valid(row) ? FLevels[size_t(row)] : 0;
}

QString TEntryListModel::ToolTip(int row) const {
    return Valid(row) ? FToolTips.value(row) : QString();
}

void TEntryListModel::SetProblem(int row, int level, const QString &toolTip) {
    if (!Valid(row) || (FLevels[size_t(row)] == level && FToolTips.value(row) == toolTip))
        return;
    FLevels[size_t(row)] = quint8(level);
    if (toolTip.isEmpty())
        FToolTips.remove(row);
    else
        FToolTips.insert(row, toolTip);
    Q_EMIT dataChanged(index(row), index(row), {ProblemRole, Qt::ToolTipRole});
}

TEntryListBox::TEntryListBox(QWidget *parent) : QListView(parent), FRows(new TEntryListModel(this)) {
    setModel(FRows);
}

void TEntryListBox::setCurrentRow(int row) {
    selectionModel()->setCurrentIndex(FRows->index(row), QItemSelectionModel::ClearAndSelect);
}

int TEntryListBox::SelectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}
