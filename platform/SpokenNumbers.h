#pragma once
// Numbers as a screen reader of the interface's language reads them. In German the
// point separates thousands, so "1.072 MHz" would be read as one thousand seventy-two:
// the texts given to assistive technology write the decimal point as the separator
// of the translation table's language, while the texts on screen keep their points.
// A window carries its separator in the dynamic property DecimalSeparatorProperty;
// the accessible interfaces of its widgets read it from there.
#include <QString>

class QObject;

inline constexpr char DecimalSeparatorProperty[] = "kalvoraDecimalSeparator";

// text with every decimal point (a point between two digits) written as separator.
QString SpokenNumbers(const QString& text, const QString& separator);
// text with the separator of object or of the nearest parent that carries one ("." if none).
QString SpokenNumbers(const QObject& object, const QString& text);
