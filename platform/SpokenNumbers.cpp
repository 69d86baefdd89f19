#include "SpokenNumbers.h"

#include <QObject>
#include <QVariant>

QString SpokenNumbers(const QString& text, const QString& separator) {
  if (separator.isEmpty() || separator == QLatin1String(".")) return text;
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const bool decimalPoint = text[i] == QLatin1Char('.') && i > 0 && i + 1 < text.size() &&
                              text[i - 1].isDigit() && text[i + 1].isDigit();
    if (decimalPoint)
      out += separator;
    else
      out += text[i];
  }
  return out;
}

QString SpokenNumbers(const QObject& object, const QString& text) {
  for (const QObject* o = &object; o; o = o->parent()) {
    const QVariant separator = o->property(DecimalSeparatorProperty);
    if (separator.isValid()) return SpokenNumbers(text, separator.toString());
  }
  return text;
}
