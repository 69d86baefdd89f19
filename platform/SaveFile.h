#pragma once
// Files written as a whole or not at all, and only over a plain file. QSaveFile
// writes a new file beside the target and renames it into the target's place:
// over a device, a named pipe or a socket that would replace the node itself
// with a plain file (run as root, "/dev/null" would become a picture) and
// report success. Every writer of the program goes through TSaveFile, which
// refuses such a target before anything is written.
#include <QSaveFile>
#include <QString>

// What lies at a path, following symbolic links as QSaveFile does.
enum class TFileKind { None, PlainFile, Folder, Device, Pipe, Socket, Other };
TFileKind FileKindOf(const QString& path);
// Why a file cannot be written over the kind found ("it is a folder, not a plain
// file"); empty for no file and for a plain file.
QString NotAPlainFileReason(TFileKind kind);

class TSaveFile : public QSaveFile {
public:
  using QSaveFile::QSaveFile;
  // Fails, writing nothing, when the target exists and is not a plain file;
  // errorString() then says what it is.
  bool open(OpenMode mode) override;
  // The kind of target open() refused (None when it did not refuse one).
  TFileKind RefusedKind() const { return refused_; }

private:
  TFileKind refused_ = TFileKind::None;
};
