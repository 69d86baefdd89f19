#pragma once
// User-visible texts looked up in the translation table, with the English text
// to use while the table has no entry (the lookup then answers the key itself).
#include <QString>
#include <QStringList>
#include <functional>

class QObject;

// The window's translation: the text for key with "<%1%>", "<%2%>", ... filled
// from args, or the key itself while the table has none.
using TTranslate = std::function<QString(const QString& key, const QStringList& args)>;

inline QString TextOr(const TTranslate& translate, const QString& key, const QString& english,
                      const QStringList& args = {}) {
  QString text = translate ? translate(key, args) : key;
  if (text != key) return text;
  text = english;
  for (qsizetype i = 0; i < args.size(); ++i)
    text.replace(QStringLiteral("<%") + QString::number(i + 1) + QStringLiteral("%>"), args[i]);
  return text;
}

// A caption without its mnemonic marks: "E&xit" -> "Exit", "&&" -> "&".
QString WithoutMnemonic(const QString& caption);

// Gives window the decimal separator of the table's language (key A11yDecimalSeparator:
// "." in English, "," in German) for the numbers its widgets give to screen readers
// (SpokenNumbers); the texts on screen keep their points.
void SetSpokenSeparator(QObject& window, const TTranslate& translate);
