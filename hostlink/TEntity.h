#pragma once
// A party of the host link (a program or the teaching server). On the wire:
// window handle (32-bit), second handle (32-bit; a program's single-instance
// mutex when it has one, else 0), program file name (string), title (string).
#include <QString>
#include <QtGlobal>

class TDidactoMessageStream;
class TkdbCustomDemon;

class TEntity {
public:
  explicit TEntity(TkdbCustomDemon* owner = nullptr) : Owner(owner) {}

  TkdbCustomDemon* Owner;
  quint32 Window = 0;
  quint32 Handle = 0;

  // The stored names; when one is empty it is first refreshed from the server.
  QString GetFileName();
  QString GetTitle();
  void SetFileName(const QString& fileName) { fileName_ = fileName; }
  void SetTitle(const QString& title) { title_ = title; }
  // The names as stored, without asking anyone.
  const QString& StoredFileName() const { return fileName_; }
  const QString& StoredTitle() const { return title_; }

  // Copies the four fields of the party the owner's server knows by this window.
  void Refresh();
  void Assign(const TEntity* other);
  void WriteTo(TDidactoMessageStream& stream);
  void ReadFrom(TDidactoMessageStream& stream);
  // Whether the window exists.
  bool Exists() const;
  // "DQ_" followed by the file-name part of the program file name.
  QString MutexName();

private:
  QString fileName_;
  QString title_;
};
