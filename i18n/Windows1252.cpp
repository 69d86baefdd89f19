#include "Windows1252.h"

#include <QList>
#include <array>

namespace {

// The characters of the bytes 0x80 .. 0x9F; all other bytes are their Latin-1 character.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char EncodeChar(char32_t c) {
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  // The controls 0x80 .. 0x9F that the table replaces have no byte of their own.
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  return '?';
}

} // namespace

QString DecodeWindows1252(QByteArrayView bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char b : bytes) {
    const auto u = static_cast<unsigned char>(b);
    *out++ = QChar(u >= 0x80 && u < 0xA0 ? kHighControls[u - 0x80] : char16_t(u));
  }
  return text;
}

QByteArray EncodeWindows1252(QStringView text) {
  QByteArray bytes;
  bytes.reserve(text.size());
  for (const char32_t c : text.toUcs4()) bytes += EncodeChar(c); // one '?' per character, not per surrogate
  return bytes;
}
