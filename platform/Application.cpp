#include "Application.h"

#include "Exceptions.h"
#include "MessageBox.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

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
