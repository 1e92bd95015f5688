#pragma once

#include <QApplication>

// The editor's application object. An error raised while an event is handled ends that
// operation here instead of unwinding through the event loop: the user sees the standard error
// box and the application goes on.
class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
