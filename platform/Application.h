#pragma once
// The application object: an exception that escapes an event handler (a
// click, a paint, a message) is shown in an error box and the program goes on.
#include <QApplication>

class TApplication : public QApplication {
  Q_OBJECT
public:
  // Whether the toolkit reads its own options (-style, -platform, -display, ...)
  // from the command line, or sees the program name only.
  enum class TToolkitOptions { Read, Ignore };
  // Keeps the command line as typed before the toolkit takes its own options
  // out of argv.
  TApplication(int& argc, char** argv, TToolkitOptions options = TToolkitOptions::Read);
  // The command line as typed, argument 0 first; empty before an application exists.
  static QStringList RawArguments();
  bool notify(QObject* receiver, QEvent* event) override;
  // Shows the message of the exception being handled in an error box.
  static void HandleException(const std::exception_ptr& error);
};

// Runs f; an exception that escapes is shown in an error box. Returns false then.
template <class F> bool RunGuarded(F&& f) {
  try {
    f();
    return true;
  } catch (...) {
    TApplication::HandleException(std::current_exception());
    return false;
  }
}
