// The translation tables are files anyone can edit: any bytes are loaded, then
// keys are looked up with arguments and a small window's placeholders translated.
#include "FuzzSupport.h"
#include "TLexivaran2000.h"

#include <QBuffer>
#include <QLabel>
#include <QWidget>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzInitApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  // The first bytes pick the lookups; the rest is the table file.
  const QString key = FuzzText(in, 64);
  QStringList args;
  for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) args << FuzzText(in, 32);
  const std::vector<uint8_t> table = in.ConsumeRemainingBytes<uint8_t>();
  QByteArray bytes(reinterpret_cast<const char*>(table.data()), qsizetype(table.size()));
  QBuffer file(&bytes);
  file.open(QIODevice::ReadOnly);

  TLexivaran2000 engine(QStringLiteral("Kalvora"));
  engine.LoadFromStream(file);
  engine.Translate(key, args);
  // Every stored key finds its own text.
  for (int i = 0; i < engine.Count() && i < 64; ++i) {
    const QString text = engine.Translate(engine.Keys()[i], args);
    (void)text;
  }
  QWidget window;
  auto* label = new QLabel(QStringLiteral("LX_") + key, &window);
  window.setWindowTitle(QStringLiteral("LX_Title"));
  engine.TranslateComponent(&window);
  (void)label;
  return 0;
}
