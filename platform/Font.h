#pragma once
// Fonts as the platform describes them: a face name, a height (negative = pixel
// size, positive = cell height), a style set and a colour. Face names of the
// original desktop are substituted by installed fonts ("Arial" -> Liberation Sans).
#include "Colors.h"
#include "PlatformTypes.h"
#include <QFont>
#include <QObject>
#include <functional>

struct TFontData {
  QString Name = QStringLiteral("MS Sans Serif");
  int Height = -13;
  TFontStyles Style;
  TColor Color = clWindowText;
  bool operator==(const TFontData&) const = default;
};

// The QFont that draws a TFontData (with face substitution, pixel size, no hinting surprises).
QFont ToQFont(const TFontData& font);
// The installed family that stands in for a face name of the original desktop.
QString SubstituteFontFamily(const QString& name);

// A font object owned by a component and published as a sub-object property
// ("Font.Name", "Font.Height" ...). Every change raises OnChange.
class TFont : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(int Size READ Size WRITE SetSize)
  Q_PROPERTY(Platform::TFontStyles Style READ Style WRITE SetStyle)
  Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
public:
  explicit TFont(QObject* parent = nullptr) : QObject(parent) {}

  const TFontData& Data() const { return data_; }
  void SetData(const TFontData& d);
  void Assign(const TFont& other) { SetData(other.data_); }

  QString Name() const { return data_.Name; }
  void SetName(const QString& v);
  int Height() const { return data_.Height; }
  void SetHeight(int v);
  // Point size at the screen's 96 pixels per inch (Height = -Size * 96 / 72).
  int Size() const;
  void SetSize(int v);
  TFontStyles Style() const { return data_.Style; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return data_.Color; }
  void SetColor(TColor v);

  std::function<void(QObject* sender)> OnChange;

private:
  void Changed();
  TFontData data_;
};
