// The application's standard error box for errors that reach the event loop.
#include "MainWindowFixture.h"

#include "mainwindow/Application.h"
#include "platform/AppError.h"

namespace {
// Raises the error it was given while handling any user event.
class TThrower : public QObject {
public:
    std::function<void()> raise;
    bool event(QEvent *e) override {
        if (e->type() == QEvent::User)
            raise();
        return QObject::event(e);
    }
};
} // namespace

class TestErrorBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void errorsEndInTheBox_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("full stop appended")
            << 0 << "Impossible d'ouvrir le fichier \"x\". Permission denied.";
        QTest::newRow("full stop kept") << 1 << "Fin de fichier.";
        QTest::newRow("standard exception") << 2 << "bad things.";
        QTest::newRow("anything else") << 3 << "Erreur inconnue.";
    }
    void errorsEndInTheBox() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        TWindowFixture f;
        TThrower thrower;
        thrower.raise = [kind] {
            switch (kind) {
            case 0:
                throw EAppError(QStringLiteral("Impossible d'ouvrir le fichier \"x\". Permission denied"));
            case 1:
                throw EAppError(QStringLiteral("Fin de fichier."));
            case 2:
                throw std::runtime_error("bad things");
            default:
                throw 42;
            }
        };
        QEvent event(QEvent::User);
        QCOMPARE(QApplication::sendEvent(&thrower, &event), false);
        QCOMPARE(f.dialogs.messages, QStringList{message});
        QCOMPARE(f.dialogs.captions, QStringList{QStringLiteral("Editor for SAPLOGON.INI")});
    }
};

int main(int argc, char *argv[]) {
    TApplication app(argc, argv);
    TestErrorBox test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_errorbox.moc"
