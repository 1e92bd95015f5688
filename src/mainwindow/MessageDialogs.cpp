#include "mainwindow/MessageDialogs.h"

#include "platform/AppError.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

void CentreOnScreen(QWidget *box, QWidget *parent) {
    QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    box->adjustSize();
    box->move(screen->availableGeometry().center() - box->rect().center());
}

class TQtDialogs final : public TDialogs {
public:
    bool Confirm(QWidget *parent, const QString &message, TMsgDlgType type) override {
        return Ask(parent, message, type, false) == TMsgDlgAnswer::Yes;
    }

    TMsgDlgAnswer ConfirmOrCancel(QWidget *parent, const QString &message, TMsgDlgType type) override {
        return Ask(parent, message, type, true);
    }

    void Message(QWidget *parent, const QString &message, TMsgDlgType type, const QString &caption) override {
        QMessageBox box(IconOf(type), caption.isEmpty() ? MsgDlgTitle(type) : caption, message,
                        QMessageBox::NoButton, parent);
        QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        CentreOnScreen(&box, parent);
        box.exec();
    }

    std::optional<QString> OpenFileName(QWidget *parent, const QStringList &filters) override {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(filters);
        if (!filters.isEmpty())
            dialog.selectNameFilter(filters.first());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }

    std::optional<QString> SaveFileName(QWidget *parent, const QString &initialName) override {
        const QString name = QFileDialog::getSaveFileName(parent, QString(), initialName, QString(), nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        if (name.isEmpty())
            return std::nullopt;
        return name;
    }

private:
    // Yes and No, and Cancel when asked for; Yes is the default, Escape answers No or Cancel.
    static TMsgDlgAnswer Ask(QWidget *parent, const QString &message, TMsgDlgType type, bool withCancel) {
        QMessageBox box(IconOf(type), MsgDlgTitle(type), message, QMessageBox::NoButton, parent);
        QPushButton *yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
        QPushButton *cancel =
            withCancel ? box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole) : nullptr;
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel ? cancel : no);
        CentreOnScreen(&box, parent);
        box.exec();
        if (box.clickedButton() == yes)
            return TMsgDlgAnswer::Yes;
        return box.clickedButton() == no ? TMsgDlgAnswer::No : TMsgDlgAnswer::Cancel;
    }
};

TDialogs *CurrentDialogs = nullptr;

} // namespace

TDialogs &Dialogs() {
    static TQtDialogs qtDialogs;
    return CurrentDialogs ? *CurrentDialogs : qtDialogs;
}

void SetDialogs(TDialogs *dialogs) {
    CurrentDialogs = dialogs;
}

QString MsgDlgTitle(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QStringLiteral("Avertissement");
    case TMsgDlgType::mtError:
        return QStringLiteral("Erreur");
    case TMsgDlgType::mtInformation:
        return QStringLiteral("Informations");
    case TMsgDlgType::mtConfirmation:
        return QStringLiteral("Confirmer");
    }
    return QString();
}

void ShowErrorMessage(const QString &message, QWidget *parent) {
    QString text = message;
    if (!text.endsWith(u'.'))
        text += u'.';
    Dialogs().Message(parent, text, TMsgDlgType::mtError, ApplicationTitle());
}

void ShowException(const std::exception &error, QWidget *parent) {
    if (const auto *appError = dynamic_cast<const EAppError *>(&error))
        ShowErrorMessage(appError->message(), parent);
    else
        ShowErrorMessage(QString::fromUtf8(error.what()), parent);
}

QStringList QtFileFilters(const QString &filter) {
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            // Windows matches "*.*" against names without a dot too, and matches names without case.
            if (pattern == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
            } else {
                patterns << pattern;
                if (pattern.toUpper() != pattern)
                    patterns << pattern.toUpper();
            }
        }
        QString text = parts[i];
        const int paren = text.lastIndexOf(u'(');
        if (paren > 0 && text.endsWith(u')'))
            text = text.left(paren).trimmed();
        result << text + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}
