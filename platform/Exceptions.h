#pragma once
// The base exception class of the platform: every error the program raises
// derives from it and carries a message text.
#include <QString>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(const QString& message) : message_(message), utf8_(message.toStdString()) {}
  const QString& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

private:
  QString message_;
  std::string utf8_;
};

// The component suite's errors.
class EVKTError : public Exception {
public:
  using Exception::Exception;
};

// An object that cannot be assigned to another (the platform's conversion error).
class EConvertError : public Exception {
public:
  using Exception::Exception;
};
