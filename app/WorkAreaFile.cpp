#include "WorkAreaFile.h"

#include "SaveFile.h"
#include "TLexivaran2000.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Refuse(const QString& name, TLexivaran2000* translator) {
  const QString key = QStringLiteral("FileNameRefused");
  QString text = translator ? translator->Translate(key, {name}) : key;
  if (text == key)
    text = QStringLiteral("The file \"%1\" is refused: a name from outside must name a plain file in the work area, "
                          "without a folder.")
               .arg(name);
  throw Exception(text);
}

[[noreturn]] void CannotCreate(const QString& fileName, int error) {
  throw Exception(QStringLiteral("Cannot create the file \"%1\": %2")
                      .arg(fileName, QString::fromLocal8Bit(std::strerror(error))));
}

// A descriptor closed when it goes out of scope.
struct TFd {
  int fd = -1;
  ~TFd() {
    if (fd >= 0) ::close(fd);
  }
};

bool WriteAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t k = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    done += k;
  }
  return true;
}

} // namespace

bool IsPlainFileName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

QString WorkAreaFile(const QString& workArea, const QString& name, TLexivaran2000* translator) {
  if (!IsPlainFileName(name)) Refuse(name, translator);
  if (workArea.isEmpty() || workArea.endsWith(QLatin1Char('/'))) return workArea + name;
  return workArea + QLatin1Char('/') + name;
}

void WriteWorkAreaFile(const QString& workArea, const QString& name, const QByteArray& bytes,
                       TLexivaran2000* translator) {
  const QString fileName = WorkAreaFile(workArea, name, translator);
  TFd dir;
  dir.fd = ::open(QFile::encodeName(workArea.isEmpty() ? QStringLiteral(".") : workArea).constData(),
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir.fd < 0) CannotCreate(fileName, errno);
  const QByteArray target = QFile::encodeName(name);
  struct stat st{};
  if (::fstatat(dir.fd, target.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(st.st_mode)) Refuse(name, translator);
    // The rename below would replace a folder, device, pipe or socket by a plain file.
    if (!S_ISREG(st.st_mode))
      throw Exception(QStringLiteral("Cannot create the file \"%1\": %2")
                          .arg(fileName, NotAPlainFileReason(FileKindOf(fileName))));
  }
  // A fresh name that nobody else knows yet: O_EXCL with O_NOFOLLOW never opens an existing entry.
  QByteArray temp;
  TFd file;
  for (int attempt = 0; attempt < 16 && file.fd < 0; ++attempt) {
    temp = "." + target + "." + QByteArray::number(QRandomGenerator::system()->generate(), 16) + ".new";
    file.fd = ::openat(dir.fd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file.fd < 0 && errno != EEXIST) break;
  }
  if (file.fd < 0) CannotCreate(fileName, errno);
  if (!WriteAll(file.fd, bytes) || ::fsync(file.fd) != 0 || ::renameat(dir.fd, temp.constData(), dir.fd, target.constData()) != 0) {
    const int error = errno ? errno : EIO;
    ::unlinkat(dir.fd, temp.constData(), 0);
    CannotCreate(fileName, error);
  }
}
