#include "WorkAreaFile.h"

#include "TLexivaran2000.h"

#include <QFileInfo>

bool IsPlainFileName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

QString WorkAreaFile(const QString& workArea, const QString& name, TLexivaran2000* translator, TWorkAreaUse use) {
  const QString fileName = workArea + name;
  if (IsPlainFileName(name) && (use == TWorkAreaUse::Read || !QFileInfo(fileName).isSymLink())) return fileName;
  const QString key = QStringLiteral("FileNameRefused");
  QString text = translator ? translator->Translate(key, {name}) : key;
  if (text == key)
    text = QStringLiteral("The file \"%1\" is refused: a name from outside must name a plain file in the work area, "
                          "without a folder.")
               .arg(name);
  throw Exception(text);
}
