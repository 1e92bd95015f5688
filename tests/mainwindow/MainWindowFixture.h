#pragma once

#include "mainwindow/MessageDialogs.h"
#include "mainwindow/uMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Answers the window's dialogs from queued replies and records what was shown.
struct TStubDialogs : TDialogs {
    QList<bool> answers;          // replies to confirmations, in order; none left means No
    QList<TMsgDlgAnswer> choices; // replies to Yes/No/Cancel questions; none left means Cancel
    QStringList questions;
    QList<TMsgDlgType> questionTypes;
    QStringList messages;
    QStringList captions;
    std::optional<QString> openResult;
    QStringList openFilters;
    int openCount = 0;
    std::optional<QString> saveResult;
    QString saveInitial;
    int saveCount = 0;

    bool Confirm(QWidget *, const QString &message, TMsgDlgType type) override {
        questions << message;
        questionTypes << type;
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    TMsgDlgAnswer ConfirmOrCancel(QWidget *, const QString &message, TMsgDlgType type) override {
        questions << message;
        questionTypes << type;
        return choices.isEmpty() ? TMsgDlgAnswer::Cancel : choices.takeFirst();
    }
    void Message(QWidget *, const QString &message, TMsgDlgType type, const QString &caption) override {
        messages << message;
        captions << (caption.isEmpty() ? MsgDlgTitle(type) : caption);
    }
    std::optional<QString> OpenFileName(QWidget *, const QStringList &filters) override {
        ++openCount;
        openFilters = filters;
        return openResult;
    }
    std::optional<QString> SaveFileName(QWidget *, const QString &initialName) override {
        ++saveCount;
        saveInitial = initialName;
        return saveResult;
    }
};

// Installs the stub for the lifetime of a test and builds windows on copies of the fixtures.
class TWindowFixture {
public:
    TStubDialogs dialogs;
    QTemporaryDir dir;

    TWindowFixture() {
        SetDialogs(&dialogs);
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                // The offscreen platform's remark on every top-level window is noise here.
                if (!message.contains(QLatin1String("propagateSizeHints")))
                    previous(type, context, message);
            });
    }
    ~TWindowFixture() { SetDialogs(nullptr); }

    // A copy of a fixture file in the temporary folder (tests may overwrite it).
    QString Copy(const QString &name, const QString &as = QString()) {
        const QString target = dir.filePath(as.isEmpty() ? name : as);
        QFile::remove(target);
        QFile::copy(QStringLiteral(SAPLOGON_TEST_DATA "/") + name, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

    // A shown, active window; with a path, started as if that path was on the command line.
    std::unique_ptr<TfrmMain> Window(const QString &path = QString()) {
        auto window = std::make_unique<TfrmMain>();
        if (!path.isEmpty())
            window->SetCommandLine({path});
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("window did not become active");
        return window;
    }
};

template <typename T> T *Find(TfrmMain &w, const char *name) {
    T *control = w.findChild<T *>(QLatin1String(name));
    if (!control)
        qFatal("no control %s", name);
    return control;
}

// Gives the control the focus, then takes it away to the entry list: one commit.
inline void EnterAndLeave(TfrmMain &w, QWidget *control) {
    control->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    w.lbxEntries->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
}

// Replaces the text of an edit by typing, as a user would, then leaves it.
inline void TypeInto(TfrmMain &w, const char *name, const QString &text) {
    auto *edit = Find<QLineEdit>(w, name);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    w.lbxEntries->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
}

inline QStringList Rows(const TEntryListBox *list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->Rows().Text(i);
    return rows;
}

inline QStringList Lines(TfrmMain &w) {
    QStringList lines;
    for (int i = 0; i < w.Lines().Count(); ++i)
        lines << w.Lines().Get(i);
    return lines;
}

inline tyEntry MakeEntry(const QString &description, const QString &sid = QString()) {
    tyEntry entry;
    entry.Description = description;
    entry.MSSysName = sid;
    return entry;
}
