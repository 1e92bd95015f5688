#include "mainwindow/OtherContentGroup.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kVisibleRows = 8;
constexpr int kShownCharacters = 200; // a value may be megabytes long
constexpr int kTooltipCharacters = 1000;

// A value as a row shows it: cut, and on one line.
QString Shown(const QString &value, int limit) {
    return value.size() <= limit ? value : value.left(limit) + QChar(0x2026);
}

void SetValue(QTreeWidgetItem *item, const QString &value) {
    item->setText(1, Shown(value, kShownCharacters));
    item->setToolTip(1, Shown(value, kTooltipCharacters));
}

// The keys of one kept section as rows are made of them when the row is opened.
const QList<tyKeptKey> *KeysOf(const tyOtherContent &other, int index) {
    switch (index) {
    case -1:
        return &other.ConfigurationKeys;
    case -2:
        return &other.MSLastKeys;
    case -3:
        return &other.MSWinPosKeys;
    default:
        return index >= 0 && index < other.Sections.size() ? &other.Sections[index].Keys : nullptr;
    }
}
} // namespace

TOtherContentGroup::TOtherContentGroup(const QString &title, const char *name, const char *listName,
                                       QWidget *parent)
    : QGroupBox(title, parent), FList(new QTreeWidget(this)) {
    setObjectName(QLatin1String(name));
    setAccessibleName(title);
    FList->setObjectName(QLatin1String(listName));
    FList->setAccessibleName(title);
    FList->setColumnCount(2);
    FList->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    FList->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    FList->header()->resizeSection(0, 130);
    FList->setRootIsDecorated(false);
    FList->setUniformRowHeights(true);
    FList->setSelectionMode(QAbstractItemView::SingleSelection);
    FList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FList->setTextElideMode(Qt::ElideRight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(FList);
    connect(FList, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { FillKeys(item); });
    hide();
}

void TOtherContentGroup::SetRowCount(int rows) {
    const int row = FList->fontMetrics().height() + 4;
    FList->setFixedHeight(FList->header()->sizeHint().height() + std::clamp(rows, 1, kVisibleRows) * row +
                          2 * FList->frameWidth() + 2);
    adjustSize();
}

int TOtherContentGroup::Extent() const {
    return isHidden() ? 0 : sizeHint().height();
}

void TOtherContentGroup::ShowEntryValues(const tyOtherContent &other, const tyEntry &entry) {
    FList->clear();
    QList<QTreeWidgetItem *> rows;
    for (qsizetype s = 0; s < other.EntrySections.size(); ++s) {
        auto *item = new QTreeWidgetItem(QStringList{other.EntrySections[s]});
        if (s < entry.Other.size() && entry.Other[s]) {
            SetValue(item, *entry.Other[s]);
        } else {
            item->setText(1, QStringLiteral("(no key)"));
            item->setForeground(1, FList->palette().brush(QPalette::Disabled, QPalette::Text));
        }
        rows << item;
    }
    FList->addTopLevelItems(rows);
    SetRowCount(int(rows.size()));
    setVisible(!rows.isEmpty());
}

void TOtherContentGroup::ShowKept(const tyOtherContent &other) {
    // Left as it is when nothing changed, so that opened sections stay open.
    if (FList->topLevelItemCount() > 0 && other.ConfigurationKeys == FShown.ConfigurationKeys &&
        other.MSLastKeys == FShown.MSLastKeys && other.MSWinPosKeys == FShown.MSWinPosKeys &&
        other.Sections == FShown.Sections)
        return;
    FShown = other;
    FList->clear();
    FList->setRootIsDecorated(true);
    QList<QTreeWidgetItem *> rows;
    auto addSection = [&](const QString &name, int index, qsizetype keys) {
        auto *item = new QTreeWidgetItem(QStringList{QString(u'[' + name + u']')});
        item->setText(1, keys == 1 ? QStringLiteral("1 key") : QStringLiteral("%1 keys").arg(keys));
        item->setData(0, Qt::UserRole, index);
        // Keys become rows when the section is opened: a section may hold 100,000 of them.
        item->setChildIndicatorPolicy(keys ? QTreeWidgetItem::ShowIndicator
                                           : QTreeWidgetItem::DontShowIndicator);
        rows << item;
    };
    if (!other.ConfigurationKeys.isEmpty())
        addSection(QStringLiteral("Configuration"), -1, other.ConfigurationKeys.size());
    if (!other.MSLastKeys.isEmpty())
        addSection(QStringLiteral("MSLast"), -2, other.MSLastKeys.size());
    if (!other.MSWinPosKeys.isEmpty())
        addSection(QStringLiteral("MSWinPos"), -3, other.MSWinPosKeys.size());
    for (qsizetype s = 0; s < other.Sections.size(); ++s)
        addSection(other.Sections[s].Name, int(s), other.Sections[s].Keys.size());
    FList->addTopLevelItems(rows);
    SetRowCount(kVisibleRows);
    setVisible(!rows.isEmpty());
}

void TOtherContentGroup::FillKeys(QTreeWidgetItem *sectionItem) {
    if (sectionItem->childCount() > 0 || sectionItem->parent())
        return;
    const QList<tyKeptKey> *keys = KeysOf(FShown, sectionItem->data(0, Qt::UserRole).toInt());
    if (!keys)
        return;
    QList<QTreeWidgetItem *> children;
    children.reserve(keys->size());
    for (const tyKeptKey &k : *keys) {
        auto *child = new QTreeWidgetItem(QStringList{k.Name});
        SetValue(child, k.Value);
        children << child;
    }
    sectionItem->addChildren(children);
}
