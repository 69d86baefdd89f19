#pragma once
// The host link component's common part: its published properties and events,
// the translation engine it owns, the two parties (this program and the
// teaching server), the hidden window with its window procedure, the dispatch
// of received messages, the sending of requests with reply matching, and the
// loading step that registers, loads the translation table, translates the
// owning window and keeps one copy of the program running.
#include "Exceptions.h"
#include "TDidactoMessageStream.h"
#include "TEntity.h"
#include "TLexivaran2000.h"
#include "WindowMessages.h"

#include <QBuffer>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class EDidacto : public Exception {
public:
  using Exception::Exception;
};

// Message kinds (WM_COPYDATA dwData).
enum TDidactoMessageKind : quint32 {
  dmQuit = 4096,             // server -> program: 1 byte ServerDown
  dmReply = 4097,            // server -> program: the reply content of a request
  dmRegister = 4098,         // program -> server: party record
  dmUnregister = 4099,       // program -> server: party record
  dmPartyQuery = 4100,       // 1 byte selector; 1: 32-bit window, 2: title string
  dmParameters = 4101,       // second copy -> first copy: argument list text
  dmExecute = 4102,          // file name, parameters, 1 byte wait, 32-bit option
  dmFetchFile = 4103,        // file name
  dmServerFileName = 4104,   // local file name
  dmStringRequest = 4105,    // string
  dmEnvironmentValue = 4106, // value name
};

// Whether a component takes part in the host link at all. Off: no hidden window,
// no teaching server looked for, no single-copy lock taken or hand-over made
// (a copy that only writes a picture or a table must stay out of all of it);
// the translation table is still read and the window translated.
enum class THostLink { On, Off };

// Selectors of a party query.
constexpr quint8 PartyByWindow = 1;
constexpr quint8 PartyByTitle = 2;

// Window class names and the server's window title (each followed by the server suffix).
extern const QString DidactoServerWindowClass; // "ThisIsTheDidactoServerComponentWindowClass"
extern const QString DidactoServerWindowTitle; // "ThisIsTheDidactoServerComponentWindow"
extern const QString DidactoClientWindowClass; // "ThisIsTheDidactoClientComponentWindowClass"

// The server suffix: the registry value unless it is empty or "00000000",
// else the rest of the last argument (1 to n, lower-cased) that begins with
// "/serverhandle=".
QString DidactoServerSuffix(const QString& registryValue, const QStringList& arguments);
// The arguments 0 to n except those beginning with "/serverhandle=" (case-sensitive).
QStringList DidactoParameterList(const QStringList& arguments);
// The index (0 to n) of the first parameter that the hand-over's text form cannot
// carry (it holds CR, LF or NUL), or -1 when every one travels unchanged.
qsizetype LineBreakArgument(const QStringList& params);

class TkdbCustomDemon : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool AutoTranslate READ AutoTranslate WRITE SetAutoTranslate)
  Q_PROPERTY(bool AutoCreateItlFile READ AutoCreateItlFile WRITE SetAutoCreateItlFile)
  Q_PROPERTY(bool MultiStart READ MultiStart WRITE SetMultiStart)
  Q_PROPERTY(bool UseQuillonServer READ UseQuillonServer WRITE SetUseQuillonServer)

public:
  using TGotAMessageEvent = std::function<void(QObject* Sender, TDidactoMessageStream& Msg)>;
  using TOnQuitMsgReceived = std::function<void(QObject* Sender, bool ServerDown, bool& AllowQuit)>;
  using TNotifyEvent = std::function<void(QObject* Sender)>;

  ~TkdbCustomDemon() override;

  TLexivaran2000& Translator() { return *translator_; }

  bool AutoTranslate() const { return autoTranslate_; }
  void SetAutoTranslate(bool value) { autoTranslate_ = value; }
  bool AutoCreateItlFile() const { return translator_->AutoCreateItlFile; }
  void SetAutoCreateItlFile(bool value) { translator_->AutoCreateItlFile = value; }
  bool MultiStart() const { return multiStart_; }
  void SetMultiStart(bool value) { multiStart_ = value; }
  bool UseQuillonServer() const { return useQuillonServer_; }
  void SetUseQuillonServer(bool value) { useQuillonServer_ = value; }
  bool ServerDown() const { return serverDown_; }

  // A message of a kind the component does not handle arrived (positioned at 0).
  TGotAMessageEvent OnGotAMessage;
  // The server asks the program to quit; clearing AllowQuit keeps it running.
  TOnQuitMsgReceived OnQuitMsgReceived;
  // The parameter list was replaced by a second copy's command line.
  TNotifyEvent OnParamsChange;

  // Dispatch of a received message by kind; takes the message over.
  virtual void HandleMessage(std::unique_ptr<TDidactoMessageStream> Msg);
  virtual QString GetWindowClassName() const = 0;
  virtual QString GetWindowTitle() const = 0;
  // Server queries; a new party, or none when the reply is empty.
  virtual std::unique_ptr<TEntity> FindEntity(const QString& Title) = 0;
  virtual std::unique_ptr<TEntity> GetEntity(quint32 Window) = 0;
  // Asks the server to start a program: its process identifier, or with Wait its exit code.
  virtual qint32 Execute(const QString& FileName, const QString& Params, bool Wait, qint32 Option) = 0;
  // A new stream with the file's bytes (position 0), or none when the server has no such file.
  virtual std::unique_ptr<QBuffer> FetchFile(const QString& FileName) = 0;
  virtual QString GetServerFileName(const QString& FileName) = 0;
  virtual QString RequestString(const QString& Text) = 0;
  virtual QString GetEnvironmentString(const QString& Name) = 0;

  int ParamCount() const { return int(params_.size()) - 1; }
  // 0: the program's file name; 1 .. ParamCount: the parameter list; else EDidacto.
  QString ParamStr(int Index) const;
  const QStringList& Params() const { return params_; }

  // Stamps Msg with the local time, sends it to To's window and waits; the
  // reply with the same time stamp, when one arrived, is copied into Reply
  // (which stays empty otherwise). Returns the receiver's result: 0 when the
  // message was not handled (GetLastError tells why).
  Platform::LRESULT SendStream(TEntity& To, TDidactoMessageStream& Msg, TDidactoMessageStream* Reply);

  // The loading step, run after the stored settings are applied.
  Q_INVOKABLE void SetLoading(bool) {}
  Q_INVOKABLE void Loaded();

  const TEntity& OwnEntity() const { return own_; }
  const TEntity& ServerEntity() const { return server_; }
  int PendingReplyCount() const { return int(pending_.size()); }
  const QString& ProgramFileName() const { return programFileName_; }
  // The application's title, under which the program registers.
  static QString ApplicationTitle();

  // Replies kept for requests that have not collected them; the oldest go first.
  static constexpr int MaxPendingReplies = 64;

protected:
  TkdbCustomDemon(QObject* owner, const QStringList& arguments, const QString& programFileName,
                  THostLink link = THostLink::On);

  // Registers the window class, creates the hidden window and installs the
  // window procedure; called by the most derived constructor (with the link on).
  void CreateHiddenWindow();
  // Removes the window, its class and the single-instance mutex.
  void DestroyHiddenWindow();
  Platform::LRESULT WindowProcedure(Platform::HWND window, Platform::UINT msg, Platform::WPARAM wParam,
                                    Platform::LPARAM lParam);
  // One copy per program file: this copy becomes the first copy, or hands its
  // parameter list to the first copy and ends the process (exit code 0 once the
  // first copy has taken the list; non-zero, saying why on standard error, when
  // it did not within the send timeout).
  void KeepSingleCopy();
  enum class THandOver { Taken, Failed, NoFirstCopy };
  THandOver HandOverToFirstCopy(QString& why);
  // The first copy's window: from the server, else from the note beside the lock.
  std::unique_ptr<TEntity> FindFirstCopy();

  void ReleaseTranslator() { translator_.reset(); }
  Platform::HWND Window() const { return window_; }

  TEntity own_{this};
  TEntity server_{this};
  bool quitting_ = false;

private:
  std::unique_ptr<TLexivaran2000> translator_;
  bool autoTranslate_ = true;
  bool multiStart_ = false;
  bool useQuillonServer_ = true;
  bool serverDown_ = false;
  std::vector<std::unique_ptr<TDidactoMessageStream>> pending_;
  QStringList params_;
  QString programFileName_;
  QString windowClass_;
  Platform::HWND window_ = 0;
};
