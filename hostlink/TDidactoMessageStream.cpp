#include "TDidactoMessageStream.h"

#include "QuillonDemon.h"
#include "TEntity.h"

#include <QtEndian>

TTimeStamp DateTimeToTimeStamp(const QDate& date, const QTime& time) {
  static const qint64 firstDay = QDate(1, 1, 1).toJulianDay();
  TTimeStamp stamp;
  stamp.Time = time.isValid() ? time.msecsSinceStartOfDay() : 0;
  stamp.Date = date.isValid() ? qint32(date.toJulianDay() - firstDay + 1) : 0;
  return stamp;
}

TTimeStamp CurrentTimeStamp() {
  const QDateTime now = QDateTime::currentDateTime();
  return DateTimeToTimeStamp(now.date(), now.time());
}

QByteArray StringListText(const QStringList& list) {
  QByteArray text;
  for (const QString& entry : list) text += entry.toUtf8() + "\r\n";
  return text;
}

QStringList StringListFromText(const QByteArray& text) {
  QStringList list;
  const qsizetype end = text.contains('\0') ? text.indexOf('\0') : text.size();
  qsizetype i = 0;
  while (i < end) {
    const qsizetype start = i;
    while (i < end && text[i] != '\r' && text[i] != '\n') ++i;
    list << QString::fromUtf8(text.mid(start, i - start));
    if (i < end && text[i] == '\r') ++i;
    if (i < end && text[i] == '\n') ++i;
  }
  return list;
}

TDidactoMessageStream::TDidactoMessageStream(TkdbCustomDemon* owner)
    : owner_(owner), sender_(std::make_unique<TEntity>(owner)) {
  open(QIODevice::ReadWrite);
}

TDidactoMessageStream::~TDidactoMessageStream() = default;

void TDidactoMessageStream::SetOwner(TkdbCustomDemon* owner) {
  owner_ = owner;
  sender_->Owner = owner;
}

void TDidactoMessageStream::SetContent(const QByteArray& content) {
  close();
  setData(content);
  open(QIODevice::ReadWrite);
  seek(0);
}

void TDidactoMessageStream::WriteBuffer(const char* bytes, qint64 count) {
  if (count > 0) write(bytes, count);
}

void TDidactoMessageStream::ReadBuffer(char* bytes, qint64 count) {
  if (count <= 0) return;
  if (size() - pos() < count) throw EReadError();
  read(bytes, count);
}

void TDidactoMessageStream::WriteByte(quint8 value) { WriteBuffer(reinterpret_cast<const char*>(&value), 1); }

quint8 TDidactoMessageStream::ReadByte() {
  char c;
  ReadBuffer(&c, 1);
  return quint8(c);
}

void TDidactoMessageStream::WriteInt32(qint32 value) {
  char bytes[4];
  qToLittleEndian(value, bytes);
  WriteBuffer(bytes, 4);
}

qint32 TDidactoMessageStream::ReadInt32() {
  char bytes[4];
  ReadBuffer(bytes, 4);
  return qFromLittleEndian<qint32>(bytes);
}

void TDidactoMessageStream::WriteString(const QString& s) {
  const QByteArray bytes = s.toUtf8();
  WriteInt32(qint32(bytes.size()));
  WriteBuffer(bytes.constData(), bytes.size());
}

QString TDidactoMessageStream::ReadString() {
  const qint64 start = pos();
  const qint32 count = ReadInt32();
  if (count <= 0) return QString();
  if (size() - pos() < count) {
    seek(start);
    throw EReadError(); // checked before anything is allocated: counts come from outside
  }
  return QString::fromUtf8(read(count));
}

QByteArray TDidactoMessageStream::ReadRest() { return read(size() - pos()); }

void TDidactoMessageStream::Send(TEntity& to, TDidactoMessageStream* reply) {
  if (!owner_) throw EDidacto(QStringLiteral("A message without a host link component cannot be sent"));
  owner_->SendStream(to, *this, reply);
}

void TDidactoMessageStream::Assign(const TDidactoMessageStream& other) {
  if (&other == this) return;
  TimeStamp = other.TimeStamp;
  sender_->Assign(other.sender_.get());
  Kind = other.Kind;
  SetContent(other.data());
}

QByteArray TDidactoMessageStream::CopyData() const {
  QByteArray bytes(8, Qt::Uninitialized);
  qToLittleEndian(TimeStamp.Time, bytes.data());
  qToLittleEndian(TimeStamp.Date, bytes.data() + 4);
  return bytes + data();
}

void TDidactoMessageStream::LoadCopyData(quint32 kind, QByteArray bytes) {
  if (bytes.size() < 8)
    throw EDidacto(QStringLiteral("Host link message refused: %1 bytes of data are fewer than its time stamp").arg(bytes.size()));
  Kind = kind;
  TimeStamp.Time = qFromLittleEndian<qint32>(bytes.constData());
  TimeStamp.Date = qFromLittleEndian<qint32>(bytes.constData() + 4);
  bytes.remove(0, 8); // in place: a large message is not copied
  SetContent(bytes);
}
