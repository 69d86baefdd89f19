// One copy per program file, started the way users and desktops start it:
// many copies at the same moment, a command line that carries toolkit options,
// first copies that do not answer, and no runtime folder at all. The copies are
// probe programs (and the real Kalvora) in other processes.
#include "HostlinkTestSupport.h"
#include "NamedMutex.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <signal.h>

using namespace Platform;

namespace {

QStringList ProbeArgs(const QString& title, const QString& program, const QStringList& rest) {
  return QStringList{"--title", title, "--program", program, "--"} + rest;
}

QProcessEnvironment WithRuntimeDir(const QString& dir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", dir);
  return env;
}

} // namespace

TEST(SecondCopy, KalvoraHandsOverItsCommandLineAsTyped) {
  // A probe plays the first Kalvora (same program file, so the same lock); the
  // real program started with toolkit options and option look-alikes must hand
  // them over unchanged instead of acting on them.
  const QString kalvora = QStringLiteral(KALVORA_PROGRAM);
  ChildProcess first(ProbeProgram(), ProbeArgs("Kalvora", kalvora, {}));
  ASSERT_FALSE(first.Expect("loaded").isEmpty()) << first.Log().toStdString();
  const QStringList typed = {"a", "--c", "-style", "x", "--size=10x10", "-h", "-platform", "none", "-reverse"};
  ChildProcess second(kalvora, typed);
  ASSERT_TRUE(second.WaitForExit(60000));
  EXPECT_EQ(second.ExitCode(), 0) << second.Log().toStdString();
  EXPECT_EQ(first.Expect("params"), (QStringList{"params", kalvora} + typed)) << first.Log().toStdString();
}

TEST(SecondCopy, AnArgumentWithALineBreakIsRefusedNotSplit) {
  // The hand-over's lines end in CR LF: such an argument would arrive as two.
  const QString kalvora = QStringLiteral(KALVORA_PROGRAM);
  ChildProcess first(ProbeProgram(), ProbeArgs("Kalvora", kalvora, {}));
  ASSERT_FALSE(first.Expect("loaded").isEmpty()) << first.Log().toStdString();
  for (const char* broken : {"two\r\nlines", "line\nfeed", "carriage\rreturn"}) {
    ChildProcess second(kalvora, {"first", broken});
    ASSERT_TRUE(second.WaitForExit(60000));
    EXPECT_NE(second.ExitCode(), 0) << second.Log().toStdString();
    EXPECT_TRUE(second.Errors().contains("argument 2 contains a line break (CR or LF)")) << second.Log().toStdString();
  }
  // Nothing arrived; the next plain list is the first the running copy gets.
  ChildProcess third(kalvora, {"plain"});
  ASSERT_TRUE(third.WaitForExit(60000));
  EXPECT_EQ(third.ExitCode(), 0) << third.Log().toStdString();
  EXPECT_EQ(first.Expect("params"), (QStringList{"params", kalvora, "plain"})) << first.Log().toStdString();
}

namespace {
// Starts twenty copies against a clean runtime folder, each with its own
// argument, and lets them all go into their loading step at the same moment:
// one window, nineteen hand-overs, every argument list arrives once.
void StartTwentyCopiesAtOnce() {
  QTemporaryDir runtime, programDir;
  const QString program = programDir.filePath("many");
  const QProcessEnvironment env = WithRuntimeDir(runtime.path());
  constexpr int Copies = 20;
  const QString go = programDir.filePath("go");
  std::vector<std::unique_ptr<ChildProcess>> copies;
  for (int i = 0; i < Copies; ++i)
    copies.push_back(std::make_unique<ChildProcess>(
        ProbeProgram(), QStringList{"--start-after", go} + ProbeArgs("Many", program, {QString("arg%1").arg(i)}), env));
  for (auto& c : copies) ASSERT_FALSE(c->Expect("waiting", 60000).isEmpty()) << c->Log().toStdString();
  QFile(go).open(QIODevice::WriteOnly);

  // All but one end; generous on a loaded machine, done as soon as they are
  // (or as soon as a second window shows).
  auto count = [&](const std::function<bool(ChildProcess&)>& test) {
    int n = 0;
    for (auto& c : copies) n += test(*c);
    return n;
  };
  auto running = [](ChildProcess& c) { return c.Running(); };
  auto loaded = [](ChildProcess& c) { return c.Saw("loaded"); };
  ASSERT_TRUE(WaitUntil([&] { return count(running) <= 1 || count(loaded) > 1; }, 120000))
      << count(running) << " copies still run";
  ASSERT_EQ(count(loaded), 1);
  ChildProcess* first = nullptr;
  QSet<QString> handedOver;
  for (int i = 0; i < Copies; ++i) {
    ChildProcess& c = *copies[size_t(i)];
    if (c.Saw("loaded")) {
      first = &c;
      continue;
    }
    ASSERT_TRUE(c.WaitForExit(30000));
    EXPECT_EQ(c.ExitCode(), 0) << c.Log().toStdString();
    handedOver << QString("arg%1").arg(i);
  }
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->Running());

  QStringList received;
  for (int i = 0; i < Copies - 1; ++i) {
    const QStringList params = first->Expect("params", 30000);
    if (params.isEmpty()) break;
    EXPECT_EQ(params.size(), 3) << params.join(' ').toStdString();
    EXPECT_EQ(params.value(1), program);
    received << params.value(2);
  }
  received.sort();
  QStringList expected(handedOver.begin(), handedOver.end());
  expected.sort();
  EXPECT_EQ(received, expected) << first->Log().toStdString();
}
} // namespace

TEST(SecondCopy, TwentyCopiesStartedAtOnceMakeOneWindowAndHandOverEveryList) {
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    StartTwentyCopiesAtOnce();
  }
}

TEST(SecondCopy, AHandOverThatIsNotTakenIsReportedAndFails) {
  QTemporaryDir dir;
  {
    // A first copy that holds the lock but whose window does not answer.
    const HANDLE lock = CreateMutexA("DQ_ghost");
    ASSERT_NE(lock, 0u);
    ASSERT_TRUE(WriteMutexNote(lock, "0BADF00D"));
    ChildProcess second(ProbeProgram(), {"--timeout", "1500", "--program", dir.filePath("ghost"), "--", "lost"});
    ASSERT_TRUE(second.WaitForExit(30000));
    EXPECT_NE(second.ExitCode(), 0);
    EXPECT_FALSE(second.Saw("loaded"));
    EXPECT_TRUE(second.Errors().contains("did not take the arguments: no running copy answered"))
        << second.Log().toStdString();
    CloseHandle(lock);
  }
  // A first copy that is busy past the send timeout: reported; and once it goes
  // on, it does not take the list its sender has given up on.
  const QString program = dir.filePath("busy");
  ChildProcess first(ProbeProgram(), ProbeArgs("Busy", program, {}));
  ASSERT_FALSE(first.Expect("loaded").isEmpty()) << first.Log().toStdString();
  ::kill(pid_t(first.Pid()), SIGSTOP);
  ChildProcess second(ProbeProgram(), QStringList{"--timeout", "1500"} + ProbeArgs("Busy", program, {"dropped"}));
  const bool ended = second.WaitForExit(30000);
  ::kill(pid_t(first.Pid()), SIGCONT);
  ASSERT_TRUE(ended);
  EXPECT_NE(second.ExitCode(), 0);
  EXPECT_TRUE(second.Errors().contains("did not take the arguments: no answer within 1500 ms"))
      << second.Log().toStdString();
  ChildProcess third(ProbeProgram(), ProbeArgs("Busy", program, {"taken"}));
  ASSERT_TRUE(third.WaitForExit(30000));
  EXPECT_EQ(third.ExitCode(), 0) << third.Log().toStdString();
  EXPECT_EQ(first.Expect("params"), (QStringList{"params", program, "taken"})) << first.Log().toStdString();
}

TEST(SecondCopy, ACopyStartedWhileTheFirstEndsBecomesTheFirstCopy) {
  // The first copy's loop has ended, but its window and lock stay a while: the
  // hand-over is not taken, so the new copy must not end having dropped it.
  QTemporaryDir dir;
  const QString program = dir.filePath("ending");
  ChildProcess first(ProbeProgram(), QStringList{"--linger", "700"} + ProbeArgs("Ending", program, {}));
  ASSERT_FALSE(first.Expect("loaded").isEmpty()) << first.Log().toStdString();
  first.CloseInput();
  ASSERT_FALSE(first.Expect("ended").isEmpty());
  ChildProcess second(ProbeProgram(), ProbeArgs("Ending", program, {"late"}));
  EXPECT_FALSE(second.Expect("loaded", 30000).isEmpty()) << second.Log().toStdString();
  EXPECT_TRUE(first.WaitForExit());
  EXPECT_FALSE(first.Saw("params"));
  second.Send("paramstr 1");
  EXPECT_EQ(second.Expect("value"), (QStringList{"value", "late"}));
}

TEST(StandAlone, WithoutAPrivateFolderTheProgramStartsAloneWithAWarning) {
  QTemporaryDir home;
  QFile blocker(home.filePath(".cache"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // the cache folder cannot be made
  blocker.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("XDG_RUNTIME_DIR");
  env.remove("XDG_CACHE_HOME");
  env.insert("HOME", home.path());
  const QStringList args = ProbeArgs("Nowhere", home.filePath("nowhere"), {"x"});
  ChildProcess first(ProbeProgram(), args, env);
  ChildProcess second(ProbeProgram(), args, env);
  for (ChildProcess* copy : {&first, &second}) {
    EXPECT_FALSE(copy->Expect("loaded").isEmpty()) << copy->Log().toStdString();
    EXPECT_TRUE(copy->Errors().contains("warning: " + home.filePath(".cache") + " is not a folder of this user; "
                                        "running stand-alone"))
        << copy->Log().toStdString();
  }
}
