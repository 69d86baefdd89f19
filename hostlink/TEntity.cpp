#include "TEntity.h"

#include "QuillonDemon.h"
#include "TDidactoMessageStream.h"
#include "WindowMessages.h"

QString TEntity::GetFileName() {
  if (fileName_.isEmpty()) Refresh();
  return fileName_;
}

QString TEntity::GetTitle() {
  if (title_.isEmpty()) Refresh();
  return title_;
}

void TEntity::Refresh() {
  if (!Owner) return;
  const std::unique_ptr<TEntity> known = Owner->GetEntity(Window);
  if (known) Assign(known.get());
}

void TEntity::Assign(const TEntity* other) {
  if (!other || other == this) return;
  Window = other->Window;
  Handle = other->Handle;
  fileName_ = other->fileName_;
  title_ = other->title_;
}

void TEntity::WriteTo(TDidactoMessageStream& stream) {
  stream.WriteUInt32(Window);
  stream.WriteUInt32(Handle);
  stream.WriteString(GetFileName());
  stream.WriteString(GetTitle());
}

void TEntity::ReadFrom(TDidactoMessageStream& stream) {
  const quint32 window = stream.ReadUInt32();
  const quint32 handle = stream.ReadUInt32();
  const QString fileName = stream.ReadString();
  const QString title = stream.ReadString();
  // Only a whole record changes the party.
  Window = window;
  Handle = handle;
  fileName_ = fileName;
  title_ = title;
}

bool TEntity::Exists() const { return Platform::IsWindow(Window); }

QString TEntity::MutexName() {
  const QString fileName = GetFileName();
  return QStringLiteral("DQ_") + fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
}
