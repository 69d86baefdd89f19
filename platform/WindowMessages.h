#pragma once
// Hidden windows and synchronous WM_COPYDATA messages between programs of the
// same user, over Unix-domain sockets.
//
// A window is a listening socket "<handle>.sock" in the host-link directory
// (a private 0700 directory in $XDG_RUNTIME_DIR, else in the user's cache
// directory, never in a shared folder such as /tmp), described by
// "<handle>.win" (owner process, class name, title) so that other programs can
// find it by both names. Handles are 32-bit and never 0.
//
// SendMessageA to a window of another process connects, sends one frame and
// waits until the receiver's window procedure has returned. While it waits it
// handles the messages sent to this process's own windows (so a reply arrives
// before the send returns) and nothing else: no GUI event runs inside the wait.
// A receiver that dies or closes ends the wait with 0 ("no reply"); so does the
// send timeout. To a window of this process (on its thread) the window
// procedure is called directly, as the desktop platform does.
//
// Only the same user can reach a window: the directory is private and both
// ends check the peer's credentials. What a peer can make a process hold is
// bounded: a fixed number of open incoming connections and of bytes buffered
// for them; beyond that, connections are closed at once.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace Platform {

using HWND = quint32;
using UINT = quint32;
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;

constexpr UINT WM_COPYDATA = 0x004A;
// GetLastError after a send that the receiver did not answer in time.
constexpr quint32 ERROR_TIMEOUT = 1460;

struct COPYDATASTRUCT {
  quint32 dwData = 0;           // message kind
  quint32 cbData = 0;           // size of the data in bytes
  const void* lpData = nullptr; // the data, valid during the call only
};

// The largest WM_COPYDATA payload the transport carries; larger ones are refused.
constexpr quint32 MaxCopyDataSize = 64u * 1024u * 1024u;

using WNDPROC = std::function<LRESULT(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)>;

// Window classes are per process; registering a class twice fails
// (GetLastError: "Class already exists.").
bool RegisterClassA(const QString& className);
bool UnregisterClassA(const QString& className);

// Creates a hidden window of a registered class; 0 on failure (see GetLastError).
HWND CreateWindowExA(const QString& className, const QString& title);
bool DestroyWindow(HWND window);

// The window procedure (GWL_WNDPROC): a new window gets DefWindowProcA.
// Returns the previous procedure; an empty one for a window that is not ours.
WNDPROC SetWindowProc(HWND window, WNDPROC proc);
LRESULT DefWindowProcA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// The most recently created live window with both names (compared without
// regard to case), of any process of this user; 0 when there is none.
HWND FindWindowExA(const QString& className, const QString& title);
// Whether the window exists and still answers.
bool IsWindow(HWND window);

// Sends a message and returns the receiver's result. Between processes only
// WM_COPYDATA travels (lParam points to a COPYDATASTRUCT); anything else gives 0.
LRESULT SendMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// The last error of this thread: a number and its text (empty text for "no error").
quint32 GetLastError();
QString GetLastErrorString();
void SetLastError(quint32 code, const QString& text = QString());

// How long a send to another process waits for the receiver (default 30 s).
void SetSendTimeout(int milliseconds);
int SendTimeout();

// Incoming connections: at most this many open at once (when a new one comes,
// the oldest whose frame is still arriving is closed) and at most this many
// bytes buffered across them (the connections holding the most are closed).
struct TIncomingLimits {
  int connections = 64;
  qint64 bytes = qint64(MaxCopyDataSize) + qint64(MaxCopyDataSize) / 2;
};
TIncomingLimits IncomingLimits();
void SetIncomingLimits(const TIncomingLimits& limits);
int IncomingConnectionCount();
qint64 IncomingBufferedBytes();

// The data of a WM_COPYDATA, taken over by the window procedure that handles it:
// the bytes of a message from another process are moved out of the transport, not
// copied (lpData stays valid while bytes is neither changed nor freed). They count
// in the byte budget above for as long as claim lives, so what a receiver keeps
// after handling a message (a reply waiting to be collected) bounds what can arrive.
struct TCopyDataBytes {
  QByteArray bytes;
  std::shared_ptr<void> claim;
};
TCopyDataBytes TakeCopyData(const COPYDATASTRUCT& cds);
// Bytes of taken data whose claims live.
qint64 IncomingHeldBytes();
// Asked when arriving data finds the budget full of held data: let go of some
// (true) or of none (false); then the arriving frame is refused.
void SetIncomingReclaim(std::function<bool()> reclaim);

// The private host-link directory (created on first use), ending in "/": in
// $XDG_RUNTIME_DIR when that is this user's, else in the user's cache directory
// ($XDG_CACHE_HOME or ~/.cache); a runtime directory that others can write to
// counts as not this user's. An empty string when no private directory can
// be had, with the reason in *error.
QString HostLinkDirectory(QString* error = nullptr);

// Removes this process's windows (their sockets and descriptions); used when the
// process ends without destroying its components.
void DestroyAllWindows();

} // namespace Platform
