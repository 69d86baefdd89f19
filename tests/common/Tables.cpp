#include "Tables.h"

#include "TLexivaran2000.h"

#include <QBuffer>
#include <QFile>

namespace TestTables {

void LoadTable(TLexivaran2000& engine, const QByteArray& text) {
  QBuffer buffer;
  buffer.setData(text);
  buffer.open(QIODevice::ReadOnly);
  engine.LoadFromStream(buffer);
}

bool LoadShippedTable(TLexivaran2000& engine, const QString& fileName) {
  QFile file(ResourcesFolder() + QLatin1Char('/') + fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;
  engine.LoadFromStream(file);
  return true;
}

QString ResourcesFolder() { return QStringLiteral(KALVORA_TEST_RESOURCES); }

} // namespace TestTables
