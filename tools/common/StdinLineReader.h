#pragma once
// Line commands on standard input for the helper programs that tests and
// teachers drive from another process: each complete line goes to the handler
// (without its newline); the end of the input ends the event loop.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <unistd.h>

class TStdinLineReader {
public:
  explicit TStdinLineReader(std::function<void(const QString& line)> onLine)
      : onLine_(std::move(onLine)), input_(STDIN_FILENO, QSocketNotifier::Read) {
    QObject::connect(&input_, &QSocketNotifier::activated, [this] { Read(); });
  }

private:
  void Read() {
    char buf[4096];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) { // whoever drives this program is gone
      input_.setEnabled(false);
      QCoreApplication::exit(0);
      return;
    }
    pending_.append(buf, n);
    qsizetype eol;
    while ((eol = pending_.indexOf('\n')) >= 0) {
      const QString line = QString::fromUtf8(pending_.left(eol));
      pending_.remove(0, eol + 1);
      onLine_(line);
    }
    if (pending_.size() > 65536) pending_.clear(); // no command is that long
  }

  std::function<void(const QString&)> onLine_;
  QSocketNotifier input_;
  QByteArray pending_;
};
