#pragma once
// A stand-in teaching server: a hidden window of the server class that keeps
// the programs that registered, answers their party queries, environment
// values, server file names, string requests (echoed), file fetches (from one
// folder) and program starts, and tells programs to quit when asked on its
// standard input. Every message it receives and every command it carries out
// is reported on its standard output, one tab-separated line each.
#include "TDidactoMessageStream.h"
#include "TEntity.h"
#include "WindowMessages.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <vector>

struct TTeachingServerOptions {
  QString suffix;                  // appended to the window class and title
  QString filesDir;                // files that can be fetched (by file-name part)
  QMap<QString, QString> env;      // environment values
  bool noReply = false;            // answer no request (a server that never replies)
  bool doubleReply = false;        // send every reply twice
  QSet<quint32> dieOn;             // end the process on receiving these kinds
  QSet<quint32> hangOn;            // never return from handling these kinds
  QMap<quint32, QByteArray> rawReplies; // reply to these kinds with exactly these bytes
};

// Reads the options from the command line; false with a message for bad ones.
bool ParseTeachingServerOptions(const QStringList& arguments, TTeachingServerOptions& options, QString& error);

class TTeachingServer : public QObject {
  Q_OBJECT
public:
  explicit TTeachingServer(TTeachingServerOptions options);
  ~TTeachingServer() override;

  // Creates the server window; false with the reason when it cannot.
  bool Start(QString& error);
  Platform::HWND Window() const { return window_; }
  // Carries out one command line: "quit <window|all> <0|1>", "parties", "down", "exit".
  void Command(const QString& line);

private:
  struct Party {
    TEntity entity;
    qint64 order = 0;
  };

  Platform::LRESULT Procedure(Platform::HWND window, Platform::UINT msg, Platform::WPARAM wParam,
                              Platform::LPARAM lParam);
  void Handle(TDidactoMessageStream& request);
  QByteArray Answer(TDidactoMessageStream& request);
  void Reply(Platform::HWND to, const TTimeStamp& stamp, const QByteArray& content);
  void SendQuit(Platform::HWND to, bool serverDown);
  void PruneParties();
  const Party* FindParty(quint32 window) const;
  quint32 Start(const QString& fileName, const QString& parameters);
  void Emit(const QStringList& fields);

  TTeachingServerOptions options_;
  QString className_;
  Platform::HWND window_ = 0;
  std::vector<Party> parties_;
  qint64 nextOrder_ = 0;
};
