#include "Application.h"

#include "Exceptions.h"
#include "MessageBox.h"

namespace {
QStringList rawArguments;

int& KeepArguments(int& argc, char** argv) {
  rawArguments.clear();
  for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
  return argc;
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(KeepArguments(argc, argv), argv) {}

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
