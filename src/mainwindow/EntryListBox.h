#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QListView>
#include <QStringList>

#include <vector>

// The rows of the entry list: a text, a problem level and a tooltip a row, in flat lists. The
// largest files have 100,000 entries, where an item object for each row cost some 170 bytes.
class TEntryListModel : public QAbstractListModel {
public:
    static constexpr int ProblemRole = Qt::UserRole + 1; // 0 none, 1 warning, 2 error

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // New rows, without problems.
    void SetRows(QStringList rows);
    QString Text(int row) const;
    void SetText(int row, const QString &text);
    int Problem(int row) const;
    QString ToolTip(int row) const;
    // Tells the views only when the row's problems changed.
    void SetProblem(int row, int level, const QString &toolTip);

private:
    bool Valid(int row) const { return row >= 0 && row < FRows.size(); }
    QStringList FRows;
    std::vector<quint8> FLevels;
    QHash<int, QString> FToolTips; // the rows that have problems
};

// The entry list: one row per entry, addressed by row as in a list widget.
class TEntryListBox : public QListView {
public:
    explicit TEntryListBox(QWidget *parent = nullptr);
    TEntryListModel &Rows() const { return *FRows; }
    int count() const { return FRows->rowCount(); }
    int currentRow() const { return currentIndex().row(); }
    // The row becomes the current and only selected one; -1 leaves none.
    void setCurrentRow(int row);
    // The first selected row, -1 when none is.
    int SelectedRow() const;
    QRect RowRect(int row) const { return visualRect(FRows->index(row)); }

private:
    TEntryListModel *FRows;
};
