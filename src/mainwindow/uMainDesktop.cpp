// The main window as a desktop user drives it: shortcuts, keyboard order, title and file drops.
#include "mainwindow/uMain.h"

#include "mainwindow/OtherContentGroup.h"

#include "mainwindow/MessageDialogs.h"
#include "mainwindow/WindowTheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

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

// A focused drop-down keeps Alt+Up and Alt+Down, the keys that open its list, over Move up and
// down. Qt opens it on Alt+Down only and takes Alt+Up for the item above, a change the user never
// meant to make; here both open it.
class TDropDownKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
        if (!key || !IsMoveKey(static_cast<QKeyEvent *>(event)))
            return QObject::eventFilter(watched, event);
        event->accept();
        if (event->type() == QEvent::KeyPress)
            static_cast<QComboBox *>(watched)->showPopup();
        return true;
    }
};

// The first local file a drag carries; folders and other URLs do not count.
QString DraggedFile(const QMimeData *data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            return url.toLocalFile();
    return {};
}

// A file is copied from where it was dragged, never moved: the source must keep it.
bool AcceptFileDrag(QDropEvent *event) {
    if (DraggedFile(event->mimeData()).isEmpty() || QApplication::activeModalWidget())
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

// Controls that take drops of their own (edits take a dragged file's path as text, the text view
// its own selection) pass file drags on to the window.
class TFileDrops : public QObject {
public:
    TFileDrops(QObject *parent, std::function<void(const QString &)> open)
        : QObject(parent), FOpen(std::move(open)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (AcceptFileDrag(static_cast<QDropEvent *>(event)))
                return true;
            break;
        case QEvent::Drop:
            if (AcceptFileDrag(static_cast<QDropEvent *>(event))) {
                FOpen(DraggedFile(static_cast<QDropEvent *>(event)->mimeData()));
                return true;
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const QString &)> FOpen;
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
    QList<QWidget *> order{
        edtSapLogon, bbtOpen, bbtFind, bbtAbout,  bbtSave, bbtExit,   edtFilter, lbxEntries,
        bbtUp,       bbtDown, bbtAdd,  bbtRemove, bbtCopy, bbtImport, chkSID,    PageControl->tabBar()};
    // The pages follow the field numbers; the renumber button sits after SessManKey, and each page
    // ends with its list of what the file holds beyond the fields.
    for (int tag = 1; tag <= 31; ++tag) {
        order << FFields[tag];
        if (tag == fnSessManKey)
            order << bbtSessManKeyAuto;
        if (tag == fnMSSrvPort)
            order << grpOtherFields->List();
    }
    order << grpKeptContent->List();
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

// ---------------------------------------------------------------------------------------------
// Title

void TfrmMain::ShowTitle() {
    if (FSapLogon.isEmpty()) {
        setWindowTitle(ApplicationTitle());
        // No name to mark; the flag is kept without the placeholder Qt would otherwise ask for.
        setAttribute(Qt::WA_WindowModified, FModified);
        return;
    }
    QString name = QFileInfo(FSapLogon).fileName();
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")); // shown as written, not as the mark
    setWindowTitle(name + QStringLiteral("[*] \u2014 ") + ApplicationTitle());
    setWindowModified(FModified);
}

// ---------------------------------------------------------------------------------------------
// File drops

void TfrmMain::AcceptFileDrops() {
    setAcceptDrops(true);
    auto *drops = new TFileDrops(this, [this](const QString &path) { OpenDroppedFile(path); });
    for (QWidget *child : findChildren<QWidget *>())
        if (child->acceptDrops())
            child->installEventFilter(drops);
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event) {
    if (!AcceptFileDrag(event))
        QWidget::dragEnterEvent(event);
}

void TfrmMain::dragMoveEvent(QDragMoveEvent *event) {
    if (!AcceptFileDrag(event))
        QWidget::dragMoveEvent(event);
}

void TfrmMain::dropEvent(QDropEvent *event) {
    if (!AcceptFileDrag(event)) {
        event->ignore();
        return;
    }
    OpenDroppedFile(DraggedFile(event->mimeData()));
}

void TfrmMain::OpenDroppedFile(const QString &path) {
    // The drag source waits until the drop returns: the file is opened, with whatever it asks,
    // once it has.
    QTimer::singleShot(0, this, [this, path] {
        activateWindow();
        RunCommand([this, path] {
            if (!QFileInfo(path).isFile() || !ConfirmDiscard())
                return; // gone since it was dragged, or the changes are to stay
            OpenFile(path);
            UpdateButtons();
        });
    });
}
