#pragma once

#include "document/SapLogonModel.h"

#include <QGroupBox>

class QTreeWidget;
class QTreeWidgetItem;

// A read-only list of what the file holds beyond the form's fields, so that the user sees it
// exists and travels with the file. Hidden while there is nothing to show.
class TOtherContentGroup : public QGroupBox {
public:
    TOtherContentGroup(const QString &title, const char *name, const char *listName, QWidget *parent);

    // The entry's values of the further entry sections, one row a section; "(no key)" where the
    // entry has none.
    void ShowEntryValues(const tyOtherContent &other, const tyEntry &entry);
    // Kept global keys and kept sections, one row a section with its keys below.
    void ShowKept(const tyOtherContent &other);

    QTreeWidget *List() const { return FList; }
    // Height the group takes when shown.
    int Extent() const;

private:
    void FillKeys(QTreeWidgetItem *sectionItem);
    void SetRowCount(int rows);

    QTreeWidget *FList;
    tyOtherContent FShown; // what the kept list shows; shared with the document, so cheap to keep
};
