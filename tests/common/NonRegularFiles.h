#pragma once

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// Files that are not regular files, for the tests that check they are refused at once.

inline QString MakeFifo(const QString &path) {
    if (::mkfifo(QFile::encodeName(path).constData(), 0644) != 0)
        qFatal("cannot make FIFO %s", qPrintable(path));
    return path;
}

// A socket file stays on disk after its socket is closed.
inline QString MakeSocketFile(const QString &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof addr.sun_path)
        qFatal("cannot make socket %s", qPrintable(path));
    std::memcpy(addr.sun_path, name.constData(), size_t(name.size()));
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
        qFatal("cannot bind socket %s", qPrintable(path));
    ::close(fd);
    return path;
}

// Opens and closes the writing end of a FIFO again and again after a grace time, so that code
// blocked opening or reading it comes back (it then reads an empty file): a regression shows as
// failed checks and a long time taken, never as a test that does not end.
class TFifoWatchdog {
public:
    explicit TFifoWatchdog(const QString &fifo, std::chrono::milliseconds grace = std::chrono::seconds(2))
        : FPath(QFile::encodeName(fifo)), FThread([this, grace] {
              const auto start = std::chrono::steady_clock::now();
              while (!FStop) {
                  if (std::chrono::steady_clock::now() - start >= grace) {
                      const int fd = ::open(FPath.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                      if (fd >= 0) {
                          FReleased = true;
                          ::close(fd);
                      }
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          }) {}
    ~TFifoWatchdog() {
        FStop = true;
        FThread.join();
    }
    // Whether a reader was found blocked on the FIFO and had to be released.
    bool Released() const { return FReleased; }

private:
    QByteArray FPath;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FReleased{false};
    std::thread FThread;
};
