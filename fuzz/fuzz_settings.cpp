// The stored window settings are files anyone can edit: any text is applied to
// a small window owning a chart, a scroll bar and a push button. A bad file may
// only end in the loader's error.
#include "FuzzSupport.h"
#include "StoredSettings.h"
#include "TRChart.h"

#include <QPushButton>
#include <QScrollBar>
#include <QWidget>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzInitApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  QWidget window;
  window.setObjectName(QStringLiteral("Form1"));
  auto* chart = new TRChart(&window);
  chart->setObjectName(QStringLiteral("RCResponse"));
  auto* bar = new QScrollBar(Qt::Horizontal, &window);
  bar->setObjectName(QStringLiteral("SBarR"));
  auto* button = new QPushButton(QStringLiteral("LX_Reset"), &window);
  button->setObjectName(QStringLiteral("BButReset"));
  try {
    ApplyStoredSettings(&window, text, QStringLiteral("fuzz.settings"));
  } catch (const EStoredSettingsError&) {
    return 0;
  }
  // What a loaded window does next: draw.
  chart->MoveTo(0, 0);
  chart->LineTo(1, 1);
  chart->ComposeControlImage();
  return 0;
}
