#include "Application.h"

#include "Exceptions.h"
#include "MessageBox.h"

#include <algorithm>

namespace {
QStringList rawArguments;

int programNameOnly = 0; // the toolkit keeps a reference to its argument count

int& KeepArguments(int& argc, char** argv, TApplication::TToolkitOptions options) {
  rawArguments.clear();
  for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
  if (options == TApplication::TToolkitOptions::Read) return argc;
  programNameOnly = std::min(argc, 1);
  return programNameOnly;
}
} // namespace

TApplication::TApplication(int& argc, char** argv, TToolkitOptions options)
    : QApplication(KeepArguments(argc, argv, options), argv) {}

QStringList TApplication::RawArguments() { return rawArguments; }

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}

void TApplication::HandleException(const std::exception_ptr& error) {
  if (!error) return;
  QString message;
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    message = e.Message();
  } catch (const std::exception& e) {
    message = QString::fromLocal8Bit(e.what());
  } catch (...) {
    message = QStringLiteral("Unknown error");
  }
  // Nothing escapes from here: the program goes on.
  try {
    ShowError(message);
  } catch (...) {
  }
}
