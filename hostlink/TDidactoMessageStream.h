#pragma once
// One host-link message: a growable memory stream with the message's kind,
// time stamp and sender, and the wire encodings of the host link: strings as a
// signed 32-bit byte count followed by that many bytes of text (UTF-8, no
// terminator; a count of 0 or less is the empty string), all numbers
// little-endian, no padding.
//
// Inside a WM_COPYDATA message a message travels as the 8-byte time stamp
// followed by its content; the kind is dwData and the sender's window wParam.
#include "Exceptions.h"
#include <QBuffer>
#include <QDateTime>
#include <QStringList>
#include <memory>

class TEntity;
class TkdbCustomDemon;

// Reading past the end of a message's content.
class EReadError : public Exception {
public:
  EReadError() : Exception(QStringLiteral("Stream read error")) {}
};

// Date-time stamp: milliseconds since midnight, then days since 1 January of
// the year 1 (that day being 1).
struct TTimeStamp {
  qint32 Time = 0;
  qint32 Date = 0;
  friend bool operator==(const TTimeStamp&, const TTimeStamp&) = default;
};
TTimeStamp DateTimeToTimeStamp(const QDate& date, const QTime& time);
// The local date and time now.
TTimeStamp CurrentTimeStamp();

// The platform's text form of a string list: every entry followed by CR LF.
QByteArray StringListText(const QStringList& list);
// Lines separated by CR, LF or CR LF (a final line break adds no entry; a NUL ends the text).
QStringList StringListFromText(const QByteArray& text);

class TDidactoMessageStream : public QBuffer {
public:
  explicit TDidactoMessageStream(TkdbCustomDemon* owner = nullptr);
  ~TDidactoMessageStream() override;

  TTimeStamp TimeStamp;
  quint32 Kind = 0;
  // The party that sent the message (for a received one only its window is known).
  TEntity& Sender() { return *sender_; }
  const TEntity& Sender() const { return *sender_; }
  TkdbCustomDemon* Owner() const { return owner_; }
  void SetOwner(TkdbCustomDemon* owner);

  qint64 Size() const { return size(); }
  qint64 Position() const { return pos(); }
  void SetPosition(qint64 position) { seek(position); }
  QByteArray Content() const { return data(); }
  // Replaces the content; the position goes to 0.
  void SetContent(const QByteArray& content);
  void Clear() { SetContent(QByteArray()); }

  // Writes at the position (growing the content); reads throw EReadError when
  // the content ends early (nothing is consumed then).
  void WriteBuffer(const char* bytes, qint64 count);
  void ReadBuffer(char* bytes, qint64 count);
  void WriteByte(quint8 value);
  quint8 ReadByte();
  void WriteInt32(qint32 value);
  qint32 ReadInt32();
  void WriteUInt32(quint32 value) { WriteInt32(qint32(value)); }
  quint32 ReadUInt32() { return quint32(ReadInt32()); }
  void WriteString(const QString& s);
  QString ReadString();
  // Everything from the position to the end.
  QByteArray ReadRest();

  // Sends the message through its owner (TkdbCustomDemon::SendStream).
  void Send(TEntity& to, TDidactoMessageStream* reply);
  // Copies time stamp, sender fields, kind and the whole content; position 0.
  void Assign(const TDidactoMessageStream& other);

  // WM_COPYDATA data: the time stamp followed by the content.
  QByteArray CopyData() const;
  // Takes a received WM_COPYDATA: kind, time stamp from the first 8 bytes, the
  // rest as content (position 0). Data shorter than a time stamp is not a
  // message: EDidacto, and nothing changes.
  void LoadCopyData(quint32 kind, QByteArray data);
  // Keeps the received bytes counted in the host link's budget while this message
  // lives (see Platform::TakeCopyData); not passed on by Assign.
  void HoldClaim(std::shared_ptr<void> claim) { claim_ = std::move(claim); }

private:
  TkdbCustomDemon* owner_;
  std::unique_ptr<TEntity> sender_;
  std::shared_ptr<void> claim_;
};
