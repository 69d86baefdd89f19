#pragma once
// The desktop shell: opening a web address with the user's browser and starting a
// program with parameters, with the results of the platform's shell call.
//
// ShellExecute returns a value greater than 32 on success; a failure is one of the
// platform's small error numbers:
//   0   out of memory or resources
//   2   file not found (ERROR_FILE_NOT_FOUND)
//   3   path not found: the program's directory does not exist (ERROR_PATH_NOT_FOUND)
//   5   access denied: not an executable file, or a directory (SE_ERR_ACCESSDENIED)
//   11  bad format: the system refused to run the file (ERROR_BAD_FORMAT)
//   31  no association: nothing opens this address (SE_ERR_NOASSOC)
#include <QString>
#include <functional>

namespace Shell {

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

constexpr int kSuccess = 42; // any value above 32 means success
constexpr int ERROR_OUT_OF_MEMORY = 0;
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int ERROR_BAD_FORMAT = 11;
constexpr int SE_ERR_NOASSOC = 31;

// One request as the shell receives it.
struct TShellRequest {
  QString Verb;       // empty: the default action; "open"
  QString File;       // a web address ("scheme://...", "mailto:...") or a program file
  QString Parameters; // the program's command line, split like a shell's (quotes group)
  QString Directory;  // working directory of the program; empty: the current one
  int ShowCmd = SW_SHOWNORMAL;
  bool operator==(const TShellRequest&) const = default;
};

// A web address goes to the desktop's browser (QDesktopServices::openUrl); anything
// else is started as a program (QProcess::startDetached), found as given or, for a
// bare name, on the PATH. The program is not waited for.
int ShellExecute(const QString& verb, const QString& file, const QString& parameters,
                 const QString& directory, int showCmd);

// Replaces the shell (nullptr restores it) and returns the previous hook. Tests see
// every request this way, and no browser or program starts.
using TShellHook = std::function<int(const TShellRequest&)>;
TShellHook SetShellHook(TShellHook hook);

// True when the text is a web address the browser opens rather than a file name.
bool IsWebAddress(const QString& file);

} // namespace Shell
