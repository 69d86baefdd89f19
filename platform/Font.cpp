#include "Font.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <cmath>

namespace {

int MulDiv(int a, int b, int c) { return int(std::lround(double(a) * b / c)); }

// Ratio of the em size to the character cell height (ascent + descent) of a family.
double EmPerCell(const QFont& base) {
  static QHash<QString, double> cache;
  const QString key = base.family() + QLatin1Char('|') + QString::number(int(base.bold())) +
                      QString::number(int(base.italic()));
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  double ratio = 1.0 / 1.15; // typical for the Liberation families
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QFont f(base);
    f.setPixelSize(200);
    QFontMetricsF fm(f);
    const double cell = fm.ascent() + fm.descent();
    if (cell > 0) ratio = 200.0 / cell;
    cache.insert(key, ratio);
  }
  return ratio;
}

} // namespace

QString SubstituteFontFamily(const QString& name) {
  static const QHash<QString, QString> table = {
      {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("ms sans serif"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("microsoft sans serif"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("ms shell dlg"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("ms shell dlg 2"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("tahoma"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("verdana"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("segoe ui"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("system"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
      {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
      {QStringLiteral("fixedsys"), QStringLiteral("Liberation Mono")},
      {QStringLiteral("lucida console"), QStringLiteral("Liberation Mono")},
      {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
      {QStringLiteral("times"), QStringLiteral("Liberation Serif")},
      {QStringLiteral("ms serif"), QStringLiteral("Liberation Serif")},
  };
  auto it = table.constFind(name.trimmed().toLower());
  return it != table.constEnd() ? *it : name;
}

QFont ToQFont(const TFontData& font) {
  QFont f;
  const QString family = SubstituteFontFamily(font.Name);
  f.setFamilies({family, QStringLiteral("Liberation Sans")});
  if (family.contains(QLatin1String("Mono")))
    f.setStyleHint(QFont::TypeWriter);
  else if (family.contains(QLatin1String("Serif")) && !family.contains(QLatin1String("Sans")))
    f.setStyleHint(QFont::Serif);
  else
    f.setStyleHint(QFont::SansSerif);
  f.setBold(font.Style.testFlag(fsBold));
  f.setItalic(font.Style.testFlag(fsItalic));
  f.setUnderline(font.Style.testFlag(fsUnderline));
  f.setStrikeOut(font.Style.testFlag(fsStrikeOut));
  // Deterministic glyph placement: always full hinting, integer advances.
  f.setHintingPreference(QFont::PreferFullHinting);
  f.setKerning(false);
  int pixels = 13;
  if (font.Height < 0) {
    pixels = -font.Height;
  } else if (font.Height > 0) {
    // A cell height: ascent + descent, so the em is somewhat smaller.
    pixels = qMax(1, int(std::lround(font.Height * EmPerCell(f))));
  }
  f.setPixelSize(pixels);
  return f;
}

void TFont::SetData(const TFontData& d) {
  if (data_ == d) return;
  data_ = d;
  Changed();
}

void TFont::SetName(const QString& v) {
  if (data_.Name == v) return;
  data_.Name = v;
  Changed();
}

void TFont::SetHeight(int v) {
  if (data_.Height == v) return;
  data_.Height = v;
  Changed();
}

int TFont::Size() const { return -MulDiv(data_.Height, 72, 96); }

void TFont::SetSize(int v) { SetHeight(-MulDiv(v, 96, 72)); }

void TFont::SetStyle(TFontStyles v) {
  if (data_.Style == v) return;
  data_.Style = v;
  Changed();
}

void TFont::SetColor(TColor v) {
  if (data_.Color == v) return;
  data_.Color = v;
  Changed();
}

void TFont::Changed() {
  if (OnChange) OnChange(this);
}
