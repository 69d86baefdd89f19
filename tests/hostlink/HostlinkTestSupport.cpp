#include "HostlinkTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cstdlib>
#include <filesystem>

// The test main points both at private temporary folders before any test runs.
QString TestRuntimeDir() { return QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")); }
QString TestConfigDir() { return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_DIRS")); }

void WriteRegistryValue(const QString& value) {
  const QString dir = TestConfigDir() + "/Orvex";
  QDir().mkpath(dir);
  QFile file(dir + "/quillon.ini");
  if (value.isEmpty()) {
    file.remove();
    return;
  }
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write("[demon]\nViewerHandle=" + value.toUtf8() + "\n");
}

void ServiceEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    ServiceEvents();
    QThread::msleep(2);
  }
  return true;
}

QString Hex(quint32 value) { return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper(); }

QByteArray Bytes(const char* hex) { return QByteArray::fromHex(QByteArray(hex).replace(' ', "")); }

QString ServerProgram() { return QStringLiteral(TEACHING_SERVER); }
QString ProbeProgram() { return QStringLiteral(HOSTLINK_PROBE); }

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& environment) {
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.setProcessEnvironment(environment);
  process_.setProgram(program);
  process_.setArguments(arguments);
  process_.start();
  process_.waitForStarted(5000);
}

ChildProcess::~ChildProcess() { Kill(); }

void ChildProcess::Kill() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

void ChildProcess::ReadLines() {
  partial_ += process_.readAllStandardOutput();
  qsizetype eol;
  while ((eol = partial_.indexOf('\n')) >= 0) {
    lines_.push_back(QString::fromUtf8(partial_.left(eol)).split('\t'));
    taken_.push_back(false);
    partial_.remove(0, eol + 1);
  }
}

QStringList ChildProcess::Expect(const QString& tag, int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    ReadLines();
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!taken_[i] && lines_[i].value(0) == tag) {
        taken_[i] = true;
        return lines_[i];
      }
    }
    if (timer.elapsed() > milliseconds) return {};
    ServiceEvents();
    if (process_.state() == QProcess::NotRunning) {
      ReadLines();
      bool any = false;
      for (size_t i = 0; i < lines_.size(); ++i) any |= !taken_[i] && lines_[i].value(0) == tag;
      if (!any) return {};
      continue;
    }
    process_.waitForReadyRead(5);
  }
}

bool ChildProcess::Saw(const QString& tag) {
  ReadLines();
  for (const QStringList& line : lines_)
    if (line.value(0) == tag) return true;
  return false;
}

void ChildProcess::Send(const QString& line) { process_.write(line.toUtf8() + '\n'); }

void ChildProcess::CloseInput() { process_.closeWriteChannel(); }

bool ChildProcess::WaitForExit(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (process_.state() != QProcess::NotRunning) {
    if (timer.elapsed() > milliseconds) return false;
    ServiceEvents();
    process_.waitForFinished(5);
  }
  ReadLines();
  return true;
}

QString ChildProcess::Errors() {
  errors_ += process_.readAllStandardError();
  return QString::fromUtf8(errors_);
}

QString ChildProcess::Log() const {
  QStringList all;
  for (const QStringList& line : lines_) all << line.join(" | ");
  auto& self = const_cast<ChildProcess&>(*this);
  return all.join('\n') + "\nstderr: " + self.Errors();
}

TFakeServer::TFakeServer(const QString& suffix) : className_(DidactoServerWindowClass + suffix) {
  using namespace Platform;
  RegisterClassA(className_);
  window = CreateWindowExA(className_, DidactoServerWindowTitle + suffix);
  SetWindowProc(window, [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg != WM_COPYDATA) return 0;
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    TReceived r{cds->dwData, HWND(wParam), QByteArray(static_cast<const char*>(cds->lpData), qsizetype(cds->cbData))};
    received.push_back(r);
    if (!Answer) return 1;
    const std::optional<QByteArray> reply = Answer(r);
    if (!reply) return 1;
    for (int i = 0; i < repliesPerRequest; ++i) SendTo(r.from, dmReply, *reply, r.Stamp());
    return 1;
  });
}

TFakeServer::~TFakeServer() {
  Platform::DestroyWindow(window);
  Platform::UnregisterClassA(className_);
}

Platform::LRESULT TFakeServer::SendTo(Platform::HWND to, quint32 kind, const QByteArray& payload, QByteArray stamp) {
  const QByteArray data = stamp + payload;
  Platform::COPYDATASTRUCT cds;
  cds.dwData = kind;
  cds.cbData = quint32(data.size());
  cds.lpData = data.constData();
  return Platform::SendMessageA(to, Platform::WM_COPYDATA, window, reinterpret_cast<Platform::LPARAM>(&cds));
}

std::vector<TReceived> TFakeServer::OfKind(quint32 kind) const {
  std::vector<TReceived> out;
  for (const TReceived& r : received)
    if (r.kind == kind) out.push_back(r);
  return out;
}

qint64 ResidentKiB() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
  return 0;
}
