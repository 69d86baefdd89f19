#include "Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace Shell {

namespace {

TShellHook& Hook() {
  static TShellHook hook;
  return hook;
}

int OpenWebAddress(const QString& address) {
  const QUrl url(address, QUrl::TolerantMode);
  if (!url.isValid()) return ERROR_FILE_NOT_FOUND;
  return QDesktopServices::openUrl(url) ? kSuccess : SE_ERR_NOASSOC;
}

int StartProgram(const QString& file, const QString& parameters, const QString& directory) {
  QString program = file;
  QFileInfo info(program);
  if (!info.exists() && !file.contains(QLatin1Char('/'))) {
    // A bare name: the system's search path.
    const QString found = QStandardPaths::findExecutable(file);
    if (!found.isEmpty()) {
      program = found;
      info = QFileInfo(program);
    }
  }
  if (!info.exists()) {
    const QFileInfo dir(info.absolutePath());
    return dir.isDir() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  if (info.isDir() || !info.isExecutable()) return SE_ERR_ACCESSDENIED;
  if (!directory.isEmpty() && !QFileInfo(directory).isDir()) return ERROR_PATH_NOT_FOUND;

  QProcess process;
  process.setProgram(info.absoluteFilePath());
  process.setArguments(QProcess::splitCommand(parameters));
  if (!directory.isEmpty()) process.setWorkingDirectory(directory);
  process.setStandardInputFile(QProcess::nullDevice());
  return process.startDetached() ? kSuccess : ERROR_BAD_FORMAT;
}

} // namespace

bool IsWebAddress(const QString& file) {
  // A scheme of two or more letters (one letter would be a drive) and "//", or mailto:.
  static const QRegularExpression web(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
  return web.match(file).hasMatch() || file.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
}

int ShellExecute(const QString& verb, const QString& file, const QString& parameters,
                 const QString& directory, int showCmd) {
  if (const TShellHook& hook = Hook()) return hook(TShellRequest{verb, file, parameters, directory, showCmd});
  if (file.trimmed().isEmpty()) return ERROR_FILE_NOT_FOUND;
  if (IsWebAddress(file)) return OpenWebAddress(file);
  return StartProgram(file, parameters, directory);
}

TShellHook SetShellHook(TShellHook hook) {
  TShellHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

} // namespace Shell
