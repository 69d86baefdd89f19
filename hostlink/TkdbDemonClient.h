#pragma once
// The host link component dropped on the main window: lets the program run
// under a teaching server (registration, environment questions, file fetches,
// program starts, quitting on request), owns the translation engine that
// translates the window at loading time, and keeps one copy of the program
// running per program file. With UseQuillonServer false it needs no server:
// the translation table is the ".itl" file beside the program and the
// environment is answered locally.
#include "QuillonDemon.h"

class TkdbDemonClient : public TkdbCustomDemon {
  Q_OBJECT
public:
  // Takes the command line and program file of this process.
  explicit TkdbDemonClient(QObject* owner);
  // Takes the given command line (argument 0 is the program) and program file.
  TkdbDemonClient(QObject* owner, const QStringList& arguments, const QString& programFileName,
                  THostLink link = THostLink::On);
  // Takes the command line and program file of this process, with the link on or off.
  TkdbDemonClient(QObject* owner, THostLink link);
  // Unregisters at the server (unless it is down), removes the window and the
  // mutex, frees the translator and tells the application to end.
  ~TkdbDemonClient() override;

  QString GetWindowClassName() const override;
  QString GetWindowTitle() const override;
  std::unique_ptr<TEntity> FindEntity(const QString& Title) override;
  std::unique_ptr<TEntity> GetEntity(quint32 Window) override;
  qint32 Execute(const QString& FileName, const QString& Params, bool Wait, qint32 Option) override;
  std::unique_ptr<QBuffer> FetchFile(const QString& FileName) override;
  QString GetServerFileName(const QString& FileName) override;
  QString RequestString(const QString& Text) override;
  // With the server its answer; without, "QuillonWorkArea" and "QuillonHomeDir"
  // (exactly so) are the program's directory ending in "/", anything else "".
  QString GetEnvironmentString(const QString& Name) override;

private:
  // Sends a request of the kind built by write to the server; the reply at position 0.
  std::unique_ptr<TDidactoMessageStream> Request(quint32 kind, const std::function<void(TDidactoMessageStream&)>& write);
  std::unique_ptr<TEntity> QueryEntity(const std::function<void(TDidactoMessageStream&)>& write);
};
