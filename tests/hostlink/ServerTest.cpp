// End to end with the stand-in teaching server and probe programs in other
// processes: registration, the table and files from the server, environment
// questions, program starts, quitting with and without ServerDown, a second
// copy handing its arguments to the first, and servers that misbehave.
#include "HostlinkTestSupport.h"
#include "TkdbDemonClient.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Platform;

namespace {

QStringList ServerArgs(const QString& suffix, const QStringList& more = {}) { return QStringList{"--suffix", suffix} + more; }

// The component in this process, under the real server.
struct UnderServer {
  UnderServer(const QString& suffix, const QStringList& serverArgs, const QString& program = "/opt/sim/e2eprog")
      : server(ServerProgram(), ServerArgs(suffix, serverArgs)), button(new QPushButton("LX_Reset", &owner)) {
    ready = !server.Expect("ready").isEmpty();
    client = new TkdbDemonClient(&owner, {program, "/serverhandle=" + suffix}, program);
    client->SetMultiStart(true);
  }
  ChildProcess server;
  bool ready = false;
  QWidget owner;
  QPushButton* button;
  QPointer<TkdbDemonClient> client;
};

QString Title() { return TkdbCustomDemon::ApplicationTitle(); }

} // namespace

TEST(UnderTheServer, RegistrationFilesEnvironmentAndUnregistration) {
  QTemporaryDir files;
  QFile table(files.filePath("e2eprog.itl"));
  ASSERT_TRUE(table.open(QIODevice::WriteOnly));
  table.write("[Reset]=Served|$$");
  table.close();
  QFile icon(files.filePath("icon.xpm"));
  ASSERT_TRUE(icon.open(QIODevice::WriteOnly));
  const QByteArray iconBytes("/* XPM */\n\0binary\xff", 19);
  icon.write(iconBytes);
  icon.close();

  UnderServer u("e2e", {"--files", files.path(), "--workarea", "/tmp/wa", "--env", "Color=blue"});
  ASSERT_TRUE(u.ready) << u.server.Log().toStdString();
  ASSERT_NE(u.client->ServerEntity().Window, 0u);
  u.client->Loaded();
  const HWND own = u.client->OwnEntity().Window;
  EXPECT_EQ(u.server.Expect("register"), (QStringList{"register", Hex(own), "0", "/opt/sim/e2eprog", Title()}));
  EXPECT_EQ(u.server.Expect("fetch"), (QStringList{"fetch", "e2eprog.itl", "found"}));
  EXPECT_EQ(u.button->text(), "Served");

  EXPECT_EQ(u.client->GetEnvironmentString("QuillonWorkArea"), "/tmp/wa/");
  EXPECT_EQ(u.client->GetEnvironmentString("QuillonHomeDir"), QDir(files.path()).absolutePath() + "/");
  EXPECT_EQ(u.client->GetEnvironmentString("Color"), "blue");
  EXPECT_EQ(u.client->GetEnvironmentString("Unknown"), "");

  std::unique_ptr<QBuffer> fetched = u.client->FetchFile("icon.xpm");
  ASSERT_TRUE(fetched);
  EXPECT_EQ(fetched->data(), iconBytes);
  // Only the file-name part counts: nothing outside the folder is handed out.
  fetched = u.client->FetchFile("../../icon.xpm");
  ASSERT_TRUE(fetched);
  EXPECT_EQ(fetched->data(), iconBytes);
  EXPECT_FALSE(u.client->FetchFile("missing.xpm"));
  EXPECT_FALSE(u.client->FetchFile(".."));

  EXPECT_EQ(u.client->RequestString("echo me"), "echo me");
  EXPECT_EQ(u.client->GetServerFileName("/x/y/z.bin"), "z.bin");
  std::unique_ptr<TEntity> me = u.client->GetEntity(own);
  ASSERT_TRUE(me);
  EXPECT_EQ(me->GetFileName(), "/opt/sim/e2eprog");
  EXPECT_FALSE(u.client->FindEntity(Title())); // only this program has that title
  EXPECT_EQ(u.client->PendingReplyCount(), 0);

  delete u.client;
  EXPECT_EQ(u.server.Expect("unregister"), (QStringList{"unregister", Hex(own), "0", "/opt/sim/e2eprog", Title()}));
}

TEST(UnderTheServer, ProgramStarts) {
  UnderServer u("exec", {});
  ASSERT_TRUE(u.ready);
  // The started program is the server's child; its exit code still comes back.
  EXPECT_EQ(u.client->Execute("/bin/sh", "-c \"exit 7\"", true, 0), 7);
  EXPECT_EQ(u.server.Expect("execute").mid(1, 4), (QStringList{"/bin/sh", "-c \"exit 7\"", "1", "0"}));
  EXPECT_GT(u.client->Execute("/bin/true", "", false, 42), 0);
  EXPECT_EQ(u.server.Expect("execute").value(4), "42");
  try {
    u.client->Execute("/nonexistent/program", "", false, 0);
    ADD_FAILURE() << "no error";
  } catch (const EDidacto& e) {
    EXPECT_EQ(e.Message(), "Could not execute \"/nonexistent/program.\"");
  }
}

TEST(UnderTheServer, QuitWithAndWithoutServerDown) {
  for (int serverDown : {0, 1}) {
    const QString suffix = serverDown ? "quit1" : "quit0";
    UnderServer u(suffix, {});
    ASSERT_TRUE(u.ready);
    u.client->Loaded();
    const HWND own = u.client->OwnEntity().Window;
    ASSERT_FALSE(u.server.Expect("register").isEmpty());
    int calls = 0;
    u.client->OnQuitMsgReceived = [&](QObject*, bool down, bool&) {
      EXPECT_EQ(down, serverDown == 1);
      ++calls;
    };
    u.server.Send(QString("quit %1 %2").arg(Hex(own)).arg(serverDown));
    EXPECT_FALSE(u.server.Expect("done").isEmpty());
    WaitUntil([&] { return u.client.isNull(); }, 5000);
    EXPECT_TRUE(u.client.isNull());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(u.server.Expect("quit-sent").value(3), "1");
    u.server.Send("parties");
    EXPECT_FALSE(u.server.Expect("done").isEmpty());
    EXPECT_EQ(u.server.Saw("unregister"), serverDown == 0) << u.server.Log().toStdString();
    EXPECT_FALSE(u.server.Saw("party")); // a window that is gone is no party
  }
}

TEST(UnderTheServer, MisbehavingServersAreSurvived) {
  {
    UnderServer u("raw", {"--raw-reply", "4106=ffffff7f", "--raw-reply", "4105=f6ffffff", "--raw-reply",
                          "4104=0a00000061", "--raw-reply", "4100=01"});
    ASSERT_TRUE(u.ready);
    EXPECT_THROW(u.client->GetEnvironmentString("QuillonWorkArea"), EReadError);
    EXPECT_EQ(u.client->RequestString("x"), "");
    EXPECT_THROW(u.client->GetServerFileName("x"), EReadError);
    EXPECT_THROW(u.client->FindEntity("x"), EReadError);
  }
  {
    UnderServer u("noreply", {"--no-reply"});
    ASSERT_TRUE(u.ready);
    EXPECT_FALSE(u.client->FindEntity("x"));
    EXPECT_THROW(u.client->GetEnvironmentString("x"), EReadError);
  }
  {
    UnderServer u("twice", {"--double-reply"});
    ASSERT_TRUE(u.ready);
    EXPECT_EQ(u.client->RequestString("a"), "a");
    EXPECT_EQ(u.client->PendingReplyCount(), 1);
  }
  {
    UnderServer u("dies", {"--die-on", "4106"});
    ASSERT_TRUE(u.ready);
    EXPECT_THROW(u.client->GetEnvironmentString("x"), EReadError);
    EXPECT_FALSE(u.server.Expect("dying").isEmpty());
    EXPECT_TRUE(u.server.WaitForExit());
    EXPECT_FALSE(IsWindow(u.client->ServerEntity().Window));
    EXPECT_THROW(u.client->RequestString("after"), EReadError);
  }
  {
    UnderServer u("hangs", {"--hang-on", "4105"});
    ASSERT_TRUE(u.ready);
    const int saved = SendTimeout();
    SetSendTimeout(800);
    EXPECT_THROW(u.client->RequestString("x"), EReadError);
    delete u.client; // its unregistration waits no longer either
    SetSendTimeout(saved);
  }
}

TEST(SecondCopy, HandsItsArgumentsToTheFirstAndEnds) {
  QTemporaryDir dir;
  const QString program = dir.filePath("sim");
  ChildProcess server(ServerProgram(), ServerArgs("copies"));
  ASSERT_FALSE(server.Expect("ready").isEmpty());
  const QStringList common = {"--title", "Sim", "--program", program, "--server", "--"};
  ChildProcess first(ProbeProgram(), common + QStringList{"/serverhandle=copies", "first"});
  const QStringList loaded = first.Expect("loaded");
  ASSERT_FALSE(loaded.isEmpty()) << first.Log().toStdString();
  EXPECT_FALSE(server.Expect("register").isEmpty());

  ChildProcess second(ProbeProgram(), common + QStringList{"/serverhandle=copies", "x", "y z"});
  EXPECT_TRUE(second.WaitForExit());
  EXPECT_EQ(second.ExitCode(), 0);
  EXPECT_FALSE(second.Saw("loaded"));
  EXPECT_EQ(first.Expect("params"), (QStringList{"params", program, "x", "y z"})) << first.Log().toStdString();
  first.Send("paramstr 2");
  EXPECT_EQ(first.Expect("value"), (QStringList{"value", "y z"}));

  // The first copy still ends normally when the server goes down.
  server.Send("down");
  EXPECT_EQ(first.Expect("quit"), (QStringList{"quit", "1"}));
  EXPECT_TRUE(first.WaitForExit());
  EXPECT_EQ(first.ExitCode(), 0);
  EXPECT_TRUE(first.Saw("ended"));
  EXPECT_FALSE(server.Saw("unregister"));
}

TEST(SecondCopy, FindsTheFirstWithoutAServer) {
  QTemporaryDir dir;
  const QString program = dir.filePath("alone");
  const QStringList common = {"--title", "Alone", "--program", program, "--"};
  ChildProcess first(ProbeProgram(), common + QStringList{"one"});
  ASSERT_FALSE(first.Expect("loaded").isEmpty()) << first.Log().toStdString();
  ChildProcess second(ProbeProgram(), common + QStringList{"two"});
  EXPECT_TRUE(second.WaitForExit());
  EXPECT_EQ(second.ExitCode(), 0);
  EXPECT_EQ(first.Expect("params"), (QStringList{"params", program, "two"})) << first.Log().toStdString();
  // With several copies allowed a second one runs on its own.
  ChildProcess third(ProbeProgram(), QStringList{"--title", "Alone", "--program", program, "--multistart"});
  EXPECT_FALSE(third.Expect("loaded").isEmpty());
  first.Send("env QuillonWorkArea");
  EXPECT_EQ(first.Expect("value"), (QStringList{"value", dir.path() + "/"}));
}

TEST(SecondCopy, AProgramUnderTheServerQuitsAndUnregisters) {
  ChildProcess server(ServerProgram(), ServerArgs("probequit"));
  ASSERT_FALSE(server.Expect("ready").isEmpty());
  ChildProcess probe(ProbeProgram(), {"--server", "--multistart", "--", "/serverhandle=probequit"});
  const QStringList loaded = probe.Expect("loaded");
  ASSERT_FALSE(loaded.isEmpty()) << probe.Log().toStdString();
  EXPECT_EQ(loaded.value(2), "Reset"); // no table anywhere: the key without its prefix
  server.Send("quit " + loaded.value(1) + " 0");
  EXPECT_EQ(probe.Expect("quit"), (QStringList{"quit", "0"}));
  EXPECT_EQ(server.Expect("unregister").value(1), loaded.value(1));
  EXPECT_TRUE(probe.WaitForExit());
  EXPECT_EQ(probe.ExitCode(), 0);
  EXPECT_TRUE(probe.Saw("destroyed"));
}

TEST(SecondCopy, AProgramThatNeedsTheServerFailsWithoutIt) {
  ChildProcess probe(ProbeProgram(), {"--server", "--", "/serverhandle=nowhere"});
  EXPECT_EQ(probe.Expect("error"), (QStringList{"error", "Didacto server application is not running"}));
  EXPECT_TRUE(probe.WaitForExit());
  EXPECT_EQ(probe.ExitCode(), 1);
}
