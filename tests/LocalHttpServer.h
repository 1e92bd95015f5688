#pragma once

#include <QHash>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A tiny HTTP server on 127.0.0.1 for the download tests, so that no test leaves the machine.
// It runs in the test's thread: the client's waiting loop serves it.
class LocalHttpServer {
public:
    struct Answer {
        Answer(int status = 200, QByteArray body = {}, int delayMs = 0, QByteArray location = {})
            : status(status), body(std::move(body)), delayMs(delayMs), location(std::move(location)) {}
        int status;
        QByteArray body;
        int delayMs;
        QByteArray location; // redirect target
    };

    LocalHttpServer() {
        FServer.listen(QHostAddress::LocalHost);
        FPort = FServer.serverPort();
        QObject::connect(&FServer, &QTcpServer::newConnection, &FServer, [this] {
            while (QTcpSocket *socket = FServer.nextPendingConnection())
                accept(socket);
        });
    }

    // "http://127.0.0.1:port"; stays valid after close(), then nothing answers there.
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(FPort); }
    quint16 port() const { return FPort; }
    void serve(const QString &path, const Answer &answer) { FAnswers.insert(path, answer); }
    void close() { FServer.close(); }
    // Request targets (path and query) in arrival order.
    const QStringList &requests() const { return FRequests; }

private:
    void accept(QTcpSocket *socket) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            FPending[socket] += socket->readAll();
            if (!FPending[socket].contains("\r\n\r\n"))
                return;
            const QList<QByteArray> requestLine =
                FPending.take(socket).split('\n').first().trimmed().split(' ');
            const QString target = QString::fromLatin1(requestLine.value(1));
            FRequests.append(target);
            const Answer answer =
                FAnswers.value(target.section(u'?', 0, 0), Answer{404, QByteArrayLiteral("not found")});
            QTimer::singleShot(answer.delayMs, socket, [socket, answer] { respond(socket, answer); });
        });
    }

    static void respond(QTcpSocket *socket, const Answer &answer) {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                          " Answer\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                          "\r\nConnection: close\r\n";
        if (!answer.location.isEmpty())
            head += "Location: " + answer.location + "\r\n";
        socket->write(head + "\r\n" + answer.body);
        socket->disconnectFromHost();
    }

    QTcpServer FServer;
    quint16 FPort = 0;
    QHash<QString, Answer> FAnswers;
    QHash<QTcpSocket *, QByteArray> FPending;
    QStringList FRequests;
};

// While it lives, every request of the test goes to server as to an HTTP proxy: a request for
// any host name is then counted there, and no name is looked up on the way.
class LocalProxy {
public:
    explicit LocalProxy(const LocalHttpServer &server) {
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), server.port()));
    }
    ~LocalProxy() { QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy)); }
    LocalProxy(const LocalProxy &) = delete;
    LocalProxy &operator=(const LocalProxy &) = delete;
};
