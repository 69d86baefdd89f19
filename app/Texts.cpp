#include "Texts.h"

#include "SpokenNumbers.h"

#include <QObject>
#include <QVariant>

QString WithoutMnemonic(const QString& caption) {
  QString out;
  out.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&')) {
      if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) out += QLatin1Char('&');
      ++i;
      if (i < caption.size() && caption[i] != QLatin1Char('&')) out += caption[i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

void SetSpokenSeparator(QObject& window, const TTranslate& translate) {
  window.setProperty(DecimalSeparatorProperty,
                     TextOr(translate, QStringLiteral("A11yDecimalSeparator"), QStringLiteral(".")));
}
