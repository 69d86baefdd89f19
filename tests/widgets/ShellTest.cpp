// The shell's own failure numbers. Only failing requests reach the system here:
// nothing is ever started or opened.
#include "Shell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Shell, RecognisesWebAddresses) {
  EXPECT_TRUE(Shell::IsWebAddress("http://example.org"));
  EXPECT_TRUE(Shell::IsWebAddress("HTTPS://example.org/a?b"));
  EXPECT_TRUE(Shell::IsWebAddress("mailto:someone@example.org"));
  EXPECT_FALSE(Shell::IsWebAddress("C:\\Tools\\demo.exe"));
  EXPECT_FALSE(Shell::IsWebAddress("/usr/bin/demo"));
  EXPECT_FALSE(Shell::IsWebAddress("demo.exe"));
}

TEST(Shell, ProgramsThatCannotStartGiveThePlatformsNumbers) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString base = dir.path() + "/";
  QFile plain(base + "readme.exe");
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.write("not a program\n");
  plain.close();
  plain.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
  ASSERT_TRUE(QDir(base).mkdir("folder.exe"));

  EXPECT_EQ(Shell::ShellExecute("open", base + "missing.exe", "", "", Shell::SW_SHOWNORMAL),
            Shell::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Shell::ShellExecute("open", base + "no/such/dir/tool.exe", "", "", Shell::SW_SHOWNORMAL),
            Shell::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Shell::ShellExecute("open", base + "readme.exe", "-a", "", Shell::SW_SHOWNORMAL),
            Shell::SE_ERR_ACCESSDENIED);
  EXPECT_EQ(Shell::ShellExecute("open", base + "folder.exe", "", "", Shell::SW_SHOWNORMAL),
            Shell::SE_ERR_ACCESSDENIED);
  EXPECT_EQ(Shell::ShellExecute("open", "kalvora-no-such-program.exe", "", "", Shell::SW_SHOWNORMAL),
            Shell::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Shell::ShellExecute("open", "   ", "", "", Shell::SW_SHOWNORMAL), Shell::ERROR_FILE_NOT_FOUND);
}

TEST(Shell, HookSeesEveryRequestAndCanBeRestored) {
  std::vector<Shell::TShellRequest> seen;
  Shell::TShellHook before = Shell::SetShellHook([&](const Shell::TShellRequest& r) {
    seen.push_back(r);
    return 31;
  });
  EXPECT_EQ(Shell::ShellExecute("", "http://example.org", "", "", Shell::SW_SHOWNORMAL), 31);
  EXPECT_EQ(Shell::ShellExecute("open", "/bin/tool", "-v", "/tmp", Shell::SW_HIDE), 31);
  Shell::TShellHook mine = Shell::SetShellHook(before);
  EXPECT_TRUE(static_cast<bool>(mine));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], (Shell::TShellRequest{"open", "/bin/tool", "-v", "/tmp", Shell::SW_HIDE}));
  // Restored: a missing program is looked for again.
  EXPECT_EQ(Shell::ShellExecute("open", "/no/such/dir/x.exe", "", "", Shell::SW_SHOWNORMAL),
            Shell::ERROR_PATH_NOT_FOUND);
}
