#pragma once
// Runs the built program without a display (no platform, X or Wayland settings
// inherited) and returns its exit code; -1 when it crashed or did not end.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

inline int RunProgram(const QStringList& arguments, QByteArray* out = nullptr, QByteArray* err = nullptr) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QLatin1String(name));
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(KALVORA_PROGRAM), arguments);
  if (!process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished();
    return -1;
  }
  if (out) *out = process.readAllStandardOutput();
  if (err) *err = process.readAllStandardError();
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
