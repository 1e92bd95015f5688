#pragma once

#include "platform/AppInfo.h" // ApplicationTitle(): also the caption of the standard error box

#include <QString>
#include <QStringList>
#include <exception>
#include <optional>

class QWidget;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class TMsgDlgAnswer { Yes, No, Cancel };

// Every dialog the window opens goes through this seam, so that tests can answer them.
class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Yes/No confirmation (Yes is the default button); true only for Yes.
    virtual bool Confirm(QWidget *parent, const QString &message, TMsgDlgType type) = 0;
    // Yes/No/Cancel question (Yes is the default, Escape cancels).
    virtual TMsgDlgAnswer ConfirmOrCancel(QWidget *parent, const QString &message, TMsgDlgType type) = 0;
    // A message with a single OK button; an empty caption takes the stock title of the type.
    virtual void Message(QWidget *parent, const QString &message, TMsgDlgType type,
                         const QString &caption = QString()) = 0;
    // Open dialog; std::nullopt when cancelled. A typed name of a missing file is accepted.
    virtual std::optional<QString> OpenFileName(QWidget *parent, const QStringList &filters) = 0;
    // Save dialog without filter and without the overwrite question.
    virtual std::optional<QString> SaveFileName(QWidget *parent, const QString &initialName) = 0;
};

// The dialogs in use; the Qt ones unless a test installed its own. Not owned.
TDialogs &Dialogs();
void SetDialogs(TDialogs *dialogs); // nullptr restores the Qt dialogs

// Stock French title of a message type: "Avertissement", "Erreur", "Informations", "Confirmer".
QString MsgDlgTitle(TMsgDlgType type);

// The standard error box: the message with a full stop appended, the application title as caption.
void ShowException(const std::exception &error, QWidget *parent = nullptr);
void ShowErrorMessage(const QString &message, QWidget *parent = nullptr);

// Turns "Text|pattern|Text|pattern" filters into Qt's "Text (patterns)" form, one per choice.
QStringList QtFileFilters(const QString &filter);
