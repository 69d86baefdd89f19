#pragma once
// Shared by the host-link tests: private runtime and configuration
// directories for the whole test program, event servicing with deadlines,
// child processes that report line by line, and an in-process stand-in for the
// teaching server that records every message byte for byte.
#include "QuillonDemon.h"
#include "Sanitizers.h"
#include "WindowMessages.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << b.toHex(' ').toStdString(); }

// The directories that XDG_RUNTIME_DIR and XDG_CONFIG_DIRS point at.
QString TestRuntimeDir();
QString TestConfigDir();
// Writes the registry value the host link reads (an empty value removes the file).
void WriteRegistryValue(const QString& value);

// Handles the events and deferred deletions of this process.
void ServiceEvents();
// Services events until done() or the time is up; returns done().
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000);

QString Hex(quint32 value);

// This process's resident memory (VmRSS) in KiB.
qint64 ResidentKiB();
QByteArray Bytes(const char* hex); // "01 02 ff" -> bytes

// A program started for a test; killed when the test ends.
class ChildProcess {
public:
  ChildProcess(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
  ~ChildProcess();
  // The next line (split at tabs) whose first field is tag; empty when none came in time.
  QStringList Expect(const QString& tag, int milliseconds = 8000);
  // Whether any line so far had this first field.
  bool Saw(const QString& tag);
  void Send(const QString& line);
  // Ends its standard input.
  void CloseInput();
  bool WaitForExit(int milliseconds = 8000);
  int ExitCode() const { return process_.exitCode(); }
  bool Crashed() const { return process_.exitStatus() == QProcess::CrashExit; }
  bool Running() const { return process_.state() != QProcess::NotRunning; }
  // What it wrote on its standard error so far.
  QString Errors();
  QString Log() const;
  qint64 Pid() const { return process_.processId(); }
  void Kill();

private:
  void ReadLines();
  QProcess process_;
  QByteArray partial_;
  QByteArray errors_;
  std::vector<QStringList> lines_;
  std::vector<bool> taken_;
};

QString ServerProgram();
QString ProbeProgram();

// One WM_COPYDATA as it arrived.
struct TReceived {
  quint32 kind = 0;
  Platform::HWND from = 0;
  QByteArray data; // time stamp and payload
  QByteArray Payload() const { return data.mid(8); }
  QByteArray Stamp() const { return data.left(8); }
};

// A server window in this process: records what it gets and answers through
// the Answer callback (no reply when it gives nothing).
class TFakeServer {
public:
  explicit TFakeServer(const QString& suffix);
  ~TFakeServer();
  Platform::HWND window = 0;
  std::vector<TReceived> received;
  std::function<std::optional<QByteArray>(const TReceived&)> Answer;
  int repliesPerRequest = 1;
  // Sends a message of the kind with the time stamp and payload to a window.
  Platform::LRESULT SendTo(Platform::HWND to, quint32 kind, const QByteArray& payload, QByteArray stamp = QByteArray(8, 0));
  // The messages of one kind.
  std::vector<TReceived> OfKind(quint32 kind) const;

private:
  QString className_;
};
