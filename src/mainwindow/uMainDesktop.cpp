// The main window as a desktop user drives it: shortcuts and keyboard order.
#include "mainwindow/uMain.h"

#include "mainwindow/MessageDialogs.h"
#include "mainwindow/WindowTheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

namespace {

// The platform's binding of a standard key; some platforms bind none (Quit on the offscreen one).
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey key, const QKeySequence &fallback) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty())
        keys << fallback;
    return keys;
}

bool IsMoveKey(const QKeyEvent *event) {
    return event->modifiers() == Qt::AltModifier &&
           (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down);
}

// A focused drop-down keeps Alt+Up and Alt+Down, its own keys for its list, over Move up and down.
class TDropDownKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::ShortcutOverride && IsMoveKey(static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Shortcuts and keyboard order

void TfrmMain::CreateShortcuts() {
    struct TCommandKeys {
        QAbstractButton *Button;
        QList<QKeySequence> Keys;
    };
    const TCommandKeys commands[] = {
        {bbtOpen, StandardKeys(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O))},
        // Ctrl+F stays free for searching the entry list.
        {bbtFind, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}},
        {bbtAbout, StandardKeys(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1))},
        {bbtSave, StandardKeys(QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S))},
        {bbtExit, StandardKeys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q))},
        {bbtAdd, StandardKeys(QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N))},
        {bbtCopy, {QKeySequence(Qt::CTRL | Qt::Key_D)}},
        {bbtImport, {QKeySequence(Qt::CTRL | Qt::Key_I)}},
        {bbtUp, {QKeySequence(Qt::ALT | Qt::Key_Up)}},
        {bbtDown, {QKeySequence(Qt::ALT | Qt::Key_Down)}},
    };
    auto bind = [this](QWidget *owner, Qt::ShortcutContext context, const QList<QKeySequence> &keys,
                       std::function<void()> command) {
        auto *shortcut = new QShortcut(owner);
        shortcut->setKeys(keys);
        shortcut->setContext(context);
        connect(shortcut, &QShortcut::activated, this, [this, command] { RunCommand(command); });
    };
    auto hint = [](QAbstractButton *button, const QString &keys) {
        const QString text = button->toolTip().isEmpty() ? button->text() : button->toolTip();
        button->setToolTip(text + QStringLiteral(" (") + keys + u')');
    };
    for (const TCommandKeys &command : commands) {
        QAbstractButton *button = command.Button;
        bind(this, Qt::WindowShortcut, command.Keys, [button] { button->click(); });
        hint(button, command.Keys.first().toString(QKeySequence::NativeText));
    }

    // Insert and Delete belong to the list alone: the fields and the text view edit with them.
    const QKeySequence insert(Qt::Key_Insert), remove(Qt::Key_Delete);
    bind(lbxEntries, Qt::WidgetShortcut, {insert}, [this] { bbtAdd->click(); });
    bind(lbxEntries, Qt::WidgetShortcut, {remove}, [this] { bbtRemove->click(); });
    bbtAdd->setToolTip(bbtAdd->toolTip().chopped(1) + QStringLiteral(", ") +
                       insert.toString(QKeySequence::NativeText) + QStringLiteral(" in the list)"));
    hint(bbtRemove, remove.toString(QKeySequence::NativeText) + QStringLiteral(" in the list"));

    // Ctrl+1 to Ctrl+3 go to a page and into its first control; Ctrl+PgUp and Ctrl+PgDown step
    // through the pages as the tab widget does, but from anywhere in the window.
    auto showPage = [this](int page) {
        QWidget *const firstOfPage[] = {FFields[fnDescription], FFields[fnSessManNewKey], CodeMemo};
        PageControl->setCurrentIndex(page);
        firstOfPage[page]->setFocus(Qt::ShortcutFocusReason);
    };
    for (int page = 0; page < 3; ++page) {
        const QKeySequence keys(QKeyCombination(Qt::ControlModifier, Qt::Key(Qt::Key_1 + page)));
        bind(this, Qt::WindowShortcut, {keys}, [showPage, page] { showPage(page); });
    }
    for (const int step : {-1, 1}) {
        const QKeySequence keys(
            QKeyCombination(Qt::ControlModifier, step < 0 ? Qt::Key_PageUp : Qt::Key_PageDown));
        bind(this, Qt::WindowShortcut, {keys},
             [this, showPage, step] { showPage((PageControl->currentIndex() + step + 3) % 3); });
    }

    auto *dropDownKeys = new TDropDownKeys(this);
    for (QComboBox *combo : findChildren<QComboBox *>())
        combo->installEventFilter(dropDownKeys);
}

void TfrmMain::SetKeyboardOrder() {
    QList<QWidget *> order{edtSapLogon, bbtOpen,    bbtFind,   bbtAbout, bbtSave,
                           bbtExit,     lbxEntries, bbtUp,     bbtDown,  bbtAdd,
                           bbtRemove,   bbtCopy,    bbtImport, chkSID,   PageControl->tabBar()};
    // The pages follow the field numbers; the renumber button sits after SessManKey.
    for (int tag = 1; tag <= 31; ++tag) {
        order << FFields[tag];
        if (tag == fnSessManKey)
            order << bbtSessManKeyAuto;
    }
    order << CodeMemo << memHelp;
    // The tab widget hands its focus to the tab bar, which makes it a stop of its own elsewhere
    // in the order, and a compound that setTabOrder() moves whole, fields included.
    PageControl->setFocusProxy(nullptr);
    PageControl->setFocusPolicy(Qt::NoFocus);
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool TfrmMain::CommitFocusedField() {
    QWidget *focused = QApplication::focusWidget();
    if (!focused || !isAncestorOf(focused) || focused->property("tag").toInt() <= 0)
        return true;
    bool committed = true;
    try {
        ReadModification(focused);
    } catch (const std::exception &error) {
        ShowException(error, this);
        committed = false;
    }
    // The field keeps the focus, and with it the highlight that the commit took away.
    if (qobject_cast<QLineEdit *>(focused) || qobject_cast<QComboBox *>(focused))
        HighlightField(focused);
    return committed;
}

void TfrmMain::RunCommand(const std::function<void()> &command) {
    if (QApplication::activeModalWidget())
        return;
    if (!CommitFocusedField())
        return;
    try {
        command();
    } catch (const std::exception &error) {
        ShowException(error, this);
    }
}
