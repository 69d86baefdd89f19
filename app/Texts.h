#pragma once
// User-visible texts looked up in the translation table, with the English text
// to use while the table has no entry (the lookup then answers the key itself).
#include <QString>
#include <QStringList>
#include <functional>

using TTranslateFunction = std::function<QString(const QString& key, const QStringList& args)>;

inline QString TextOr(const TTranslateFunction& translate, const QString& key, const QString& english,
                      const QStringList& args = {}) {
  QString text = translate ? translate(key, args) : key;
  if (text != key) return text;
  text = english;
  for (qsizetype i = 0; i < args.size(); ++i)
    text.replace(QStringLiteral("<%") + QString::number(i + 1) + QStringLiteral("%>"), args[i]);
  return text;
}
