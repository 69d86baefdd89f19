#include "SaveFile.h"

#include <QFile>

#include <sys/stat.h>

TFileKind FileKindOf(const QString& path) {
  struct stat st{};
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return TFileKind::None;
  if (S_ISREG(st.st_mode)) return TFileKind::PlainFile;
  if (S_ISDIR(st.st_mode)) return TFileKind::Folder;
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return TFileKind::Device;
  if (S_ISFIFO(st.st_mode)) return TFileKind::Pipe;
  if (S_ISSOCK(st.st_mode)) return TFileKind::Socket;
  return TFileKind::Other;
}

QString NotAPlainFileReason(TFileKind kind) {
  switch (kind) {
  case TFileKind::None:
  case TFileKind::PlainFile: return QString();
  case TFileKind::Folder: return QStringLiteral("it is a folder, not a plain file; nothing was written");
  case TFileKind::Device: return QStringLiteral("it is a device, not a plain file; nothing was written");
  case TFileKind::Pipe: return QStringLiteral("it is a named pipe (FIFO), not a plain file; nothing was written");
  case TFileKind::Socket: return QStringLiteral("it is a socket, not a plain file; nothing was written");
  case TFileKind::Other: break;
  }
  return QStringLiteral("it is not a plain file; nothing was written");
}

bool TSaveFile::open(OpenMode mode) {
  refused_ = TFileKind::None;
  const TFileKind kind = FileKindOf(fileName());
  if (kind != TFileKind::None && kind != TFileKind::PlainFile) {
    refused_ = kind;
    setErrorString(NotAPlainFileReason(kind));
    return false;
  }
  return QSaveFile::open(mode);
}
