// Host-link messages byte for byte: strings, numbers, time stamps, party
// records, the argument-list text and the WM_COPYDATA framing.
#include "HostlinkTestSupport.h"
#include "TDidactoMessageStream.h"
#include "TEntity.h"

#include <gtest/gtest.h>

TEST(MessageStream, StringsAndNumbersAreLittleEndianWithoutPadding) {
  TDidactoMessageStream m;
  m.WriteString("");
  m.WriteString("abc");
  m.WriteByte(0xFE);
  m.WriteInt32(-2);
  m.WriteUInt32(0x11223344);
  m.WriteString(QString::fromUtf8("\xc3\x9c" "b")); // the count is in bytes
  EXPECT_EQ(m.Content(), Bytes("00000000 03000000 616263 fe feffffff 44332211 03000000 c39c62"));

  m.SetPosition(0);
  EXPECT_EQ(m.ReadString(), "");
  EXPECT_EQ(m.ReadString(), "abc");
  EXPECT_EQ(m.ReadByte(), 0xFE);
  EXPECT_EQ(m.ReadInt32(), -2);
  EXPECT_EQ(m.ReadUInt32(), 0x11223344u);
  EXPECT_EQ(m.ReadString(), QString::fromUtf8("\xc3\x9c" "b"));
  EXPECT_THROW(m.ReadByte(), EReadError);
}

TEST(MessageStream, HostileCountsAndShortContentFailCleanly) {
  TDidactoMessageStream negative;
  negative.SetContent(Bytes("f6ffffff 41"));
  EXPECT_EQ(negative.ReadString(), ""); // a count of 0 or less: empty, no bytes follow
  EXPECT_EQ(negative.Position(), 4);
  EXPECT_EQ(negative.ReadByte(), 0x41);

  TDidactoMessageStream huge;
  huge.SetContent(Bytes("ffffff7f 414243"));
  EXPECT_THROW(huge.ReadString(), EReadError);
  EXPECT_EQ(huge.Position(), 0); // nothing consumed

  TDidactoMessageStream truncated;
  truncated.SetContent(Bytes("0a000000 6162"));
  EXPECT_THROW(truncated.ReadString(), EReadError);

  TDidactoMessageStream shortCount;
  shortCount.SetContent(Bytes("0100"));
  EXPECT_THROW(shortCount.ReadString(), EReadError);
  EXPECT_THROW(shortCount.ReadInt32(), EReadError);

  TDidactoMessageStream empty;
  EXPECT_THROW(empty.ReadString(), EReadError);
  EXPECT_THROW(empty.ReadByte(), EReadError);
  try {
    empty.ReadInt32();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
}

TEST(TimeStamp, MillisecondsOfTheDayAndDaysFromTheYearOne) {
  EXPECT_EQ(DateTimeToTimeStamp(QDate(1, 1, 1), QTime(0, 0)), (TTimeStamp{0, 1}));
  EXPECT_EQ(DateTimeToTimeStamp(QDate(1899, 12, 30), QTime(12, 0)), (TTimeStamp{43200000, 693594}));
  EXPECT_EQ(DateTimeToTimeStamp(QDate(1970, 1, 1), QTime(0, 0)), (TTimeStamp{0, 719163}));
  EXPECT_EQ(DateTimeToTimeStamp(QDate(2024, 2, 29), QTime(23, 59, 59, 999)), (TTimeStamp{86399999, 738945}));

  const QDateTime before = QDateTime::currentDateTime();
  const TTimeStamp now = CurrentTimeStamp();
  const QDateTime after = QDateTime::currentDateTime();
  if (before.date() == after.date()) {
    EXPECT_EQ(now.Date, DateTimeToTimeStamp(before.date(), before.time()).Date);
    EXPECT_GE(now.Time, before.time().msecsSinceStartOfDay());
    EXPECT_LE(now.Time, after.time().msecsSinceStartOfDay());
  }
}

TEST(MessageStream, CopyDataFramingAndAssign) {
  TDidactoMessageStream m;
  m.Kind = 4105;
  m.TimeStamp = {0x01020304, 0x0A0B0C0D};
  m.WriteString("x");
  EXPECT_EQ(m.CopyData(), Bytes("04030201 0d0c0b0a 01000000 78"));

  TDidactoMessageStream received;
  received.LoadCopyData(4097, Bytes("04030201 0d0c0b0a 01000000 78"));
  EXPECT_EQ(received.Kind, 4097u);
  EXPECT_EQ(received.TimeStamp, m.TimeStamp);
  EXPECT_EQ(received.Position(), 0);
  EXPECT_EQ(received.ReadString(), "x");

  // Exactly a time stamp: a message with no content.
  received.LoadCopyData(4096, Bytes("00000000 00000000"));
  EXPECT_EQ(received.Size(), 0);
  // Shorter than a time stamp: not a message, nothing changes.
  EXPECT_THROW(received.LoadCopyData(4099, Bytes("01020304 050607")), EDidacto);
  EXPECT_EQ(received.Kind, 4096u);

  TDidactoMessageStream copy;
  m.Sender().Window = 77;
  m.Sender().Handle = 5;
  m.Sender().SetFileName("/p/prog");
  m.Sender().SetTitle("Prog");
  copy.WriteString("old content is replaced");
  copy.Assign(m);
  EXPECT_EQ(copy.Kind, m.Kind);
  EXPECT_EQ(copy.TimeStamp, m.TimeStamp);
  EXPECT_EQ(copy.Content(), m.Content());
  EXPECT_EQ(copy.Position(), 0);
  EXPECT_EQ(copy.Sender().Window, 77u);
  EXPECT_EQ(copy.Sender().Handle, 5u);
  EXPECT_EQ(copy.Sender().StoredFileName(), "/p/prog");
  EXPECT_EQ(copy.Sender().StoredTitle(), "Prog");
  EXPECT_THROW(copy.Send(copy.Sender(), nullptr), EDidacto); // no component to send through
}

TEST(Entity, PartyRecordOnTheWire) {
  TEntity party;
  party.Window = 0x11223344;
  party.Handle = 5;
  party.SetFileName("/opt/sim/kalvora");
  party.SetTitle("Kalvora");
  TDidactoMessageStream m;
  party.WriteTo(m);
  EXPECT_EQ(m.Content(), Bytes("44332211 05000000 10000000") + "/opt/sim/kalvora" + Bytes("07000000") + "Kalvora");
  EXPECT_EQ(party.MutexName(), "DQ_kalvora");

  m.SetPosition(0);
  TEntity back;
  back.ReadFrom(m);
  EXPECT_EQ(back.Window, party.Window);
  EXPECT_EQ(back.Handle, 5u);
  EXPECT_EQ(back.StoredFileName(), "/opt/sim/kalvora");
  EXPECT_EQ(back.StoredTitle(), "Kalvora");

  // A cut-off record leaves the party as it was.
  TDidactoMessageStream cut;
  cut.SetContent(m.Content().left(m.Content().size() - 2));
  TEntity untouched;
  untouched.Window = 9;
  EXPECT_THROW(untouched.ReadFrom(cut), EReadError);
  EXPECT_EQ(untouched.Window, 9u);
  EXPECT_EQ(untouched.StoredFileName(), "");

  TEntity assigned;
  assigned.Assign(&party);
  EXPECT_EQ(assigned.Window, party.Window);
  EXPECT_EQ(assigned.GetTitle(), "Kalvora");
  assigned.Assign(nullptr); // nothing to copy
  EXPECT_EQ(assigned.Window, party.Window);
  // Without an owner an empty name cannot be refreshed and stays empty.
  TEntity alone;
  EXPECT_EQ(alone.GetFileName(), "");
  EXPECT_FALSE(alone.Exists());
}

TEST(StringListText, EveryEntryEndsInCrLf) {
  EXPECT_EQ(StringListText({"/p/prog", "", "x y"}), QByteArray("/p/prog\r\n\r\nx y\r\n"));
  EXPECT_EQ(StringListText({}), QByteArray());
  EXPECT_EQ(StringListFromText("/p/prog\r\n\r\nx y\r\n"), (QStringList{"/p/prog", "", "x y"}));
  EXPECT_EQ(StringListFromText("a\r\rb\nc"), (QStringList{"a", "", "b", "c"}));
  EXPECT_EQ(StringListFromText("last"), QStringList{"last"});
  EXPECT_EQ(StringListFromText(QByteArray("a\r\nb\0hidden", 12)), (QStringList{"a", "b"}));
  EXPECT_EQ(StringListFromText(""), QStringList());
}
