// Writing into the work area: names joined as paths, and a symbolic link in the
// work area, there from the start or swapped in while the file is written, is
// never written through.
#include "WorkAreaFile.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <sys/stat.h>

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

TEST(WorkAreaFile, NamesAreJoinedAsPaths) {
  EXPECT_EQ(WorkAreaFile("/home/u/work", "icon.png", nullptr), "/home/u/work/icon.png");
  EXPECT_EQ(WorkAreaFile("/home/u/work/", "icon.png", nullptr), "/home/u/work/icon.png");
  EXPECT_EQ(WorkAreaFile("", "icon.png", nullptr), "icon.png");
  EXPECT_THROW(WorkAreaFile("/home/u/work", "../icon.png", nullptr), Exception);

  // Written without the trailing "/": inside the work area, nothing beside it.
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkdir("work"));
  WriteWorkAreaFile(root.filePath("work"), "icon.png", "new", nullptr);
  EXPECT_EQ(ReadAll(root.filePath("work/icon.png")), "new");
  EXPECT_FALSE(QFile::exists(root.filePath("workicon.png")));
  // Replaced as a whole, and no temporary file stays behind.
  WriteWorkAreaFile(root.filePath("work") + '/', "icon.png", "newer", nullptr);
  EXPECT_EQ(ReadAll(root.filePath("work/icon.png")), "newer");
  EXPECT_EQ(QDir(root.filePath("work")).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"icon.png"});
  // A work area that is not there: an error naming the file.
  try {
    WriteWorkAreaFile(root.filePath("gone"), "icon.png", "x", nullptr);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_TRUE(e.Message().contains(root.filePath("gone/icon.png"))) << e.Message().toStdString();
  }
}

TEST(WorkAreaFile, AFolderOrPipeOfTheNameStaysAndNothingIsWritten) {
  QTemporaryDir root;
  const QString work = root.path() + '/';
  ASSERT_TRUE(QDir(root.path()).mkdir("icon.png"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(work + "pipe.png").constData(), 0600), 0);
  for (const char* name : {"icon.png", "pipe.png"}) {
    try {
      WriteWorkAreaFile(work, name, "x", nullptr);
      ADD_FAILURE() << name << ": no error";
    } catch (const Exception& e) {
      EXPECT_TRUE(e.Message().contains("not a plain file")) << e.Message().toStdString();
    }
  }
  EXPECT_TRUE(QFileInfo(work + "icon.png").isDir());
  EXPECT_EQ(QFileInfo(work + "pipe.png").isFile(), false);
  EXPECT_EQ(QDir(root.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"pipe.png"});
}

TEST(WorkAreaFile, ALinkIsNeverWrittenThroughEvenWhenSwappedInDuringTheWrite) {
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkdir("work"));
  const QString work = root.filePath("work") + '/', target = root.filePath("outside.txt");
  { QFile f(target); ASSERT_TRUE(f.open(QIODevice::WriteOnly)); f.write("outside"); }
  // A link there from the start is refused.
  ASSERT_TRUE(QFile::link(target, work + "icon.png"));
  EXPECT_THROW(WriteWorkAreaFile(work, "icon.png", "through the link", nullptr), Exception);
  EXPECT_EQ(ReadAll(target), "outside");

  // Another thread keeps putting the link in place of the written file and taking it away.
  const QByteArray link = QFile::encodeName(work + "icon.png"), to = QFile::encodeName(target);
  const QByteArray swap = QFile::encodeName(work + "swap");
  std::atomic<bool> stop{false};
  std::thread swapper([&] {
    while (!stop) {
      ::unlink(swap.constData());
      if (::symlink(to.constData(), swap.constData()) == 0) std::rename(swap.constData(), link.constData());
      std::this_thread::yield();
      ::unlink(link.constData());
      std::this_thread::yield();
    }
  });
  int written = 0, refused = 0;
  for (int i = 0; i < 3000; ++i) {
    try {
      WriteWorkAreaFile(work, "icon.png", "through the link", nullptr);
      ++written;
    } catch (const Exception&) {
      ++refused;
    }
  }
  stop = true;
  swapper.join();
  EXPECT_EQ(ReadAll(target), "outside");
  EXPECT_EQ(written + refused, 3000);
  RecordProperty("written", written);
}

} // namespace
