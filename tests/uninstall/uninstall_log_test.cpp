#include <doctest/doctest.h>

#include <initializer_list>

#include "uninstall/log_record.h"
#include "uninstall/memory_log_store.h"
#include "uninstall/uninstall_log.h"

static bool Collect(void* context, int number, const TStr& value) {
  TStr& out = *static_cast<TStr*>(context);
  out += Concat(IntToStr(number), ":", value, ";");
  return true;
}

TEST_CASE("log lists: the walk stops at the first empty or missing number") {
  TMemoryLogStore log;
  log.Write(kLogFiles, "File1", "a.exe");
  log.Write(kLogFiles, "File2", "b.dll");
  log.Write(kLogFiles, "File4", "after-gap.txt");
  TStr seen;
  CHECK(WalkLogList(log, kLogFiles, kLogFileWord, Collect, &seen) == 2);
  CHECK(seen == "1:a.exe;2:b.dll;");

  log.Write(kLogFiles, "File2", "");
  CHECK(WalkLogList(log, kLogFiles, kLogFileWord, nullptr, nullptr) == 1);
  CHECK(WalkLogList(log, "NoSuchSection", kLogFileWord, nullptr, nullptr) == 0);
  // Keys compare as the profile functions compare them.
  log.Write("sysfiles", "file1", "x.ocx");
  CHECK(WalkLogList(log, kLogSysFiles, kLogFileWord, nullptr, nullptr) == 1);
}

TEST_CASE("log lists: a writer numbers without gaps, whatever was skipped or refused") {
  TMemoryLogStore log;
  TLogListWriter reg(log, kLogRegister, kLogFileWord);
  CHECK(reg.Append("one.ocx"));
  CHECK_FALSE(reg.Append(""));                // would end the list early
  CHECK_FALSE(reg.Append("two\r\n[Files]"));  // would plant a section of its own
  CHECK(reg.Append("three.ocx"));
  CHECK(reg.Last() == 2);
  CHECK(log.Text() == "[Register]\nFile1=one.ocx\nFile2=three.ocx\n");

  // A second writer continues a list an earlier one began.
  TLogListWriter more(log, kLogRegister, kLogFileWord, reg.Last() + 1);
  CHECK(more.Append("four.ocx"));
  CHECK(log.Read(kLogRegister, "File3", "") == "four.ocx");

  log.FailWrites(true);
  CHECK_FALSE(more.Append("five.ocx"));
  CHECK(more.Last() == 3);
}

TEST_CASE("log values: one line of at most 2047 characters") {
  TStr longest;
  longest.resize(kLogValueMax);
  for (size_t i = 0; i < longest.size(); ++i) longest.buffer()[i] = 'a';
  CHECK(LogValueStorable(longest));
  CHECK_FALSE(LogValueStorable(longest + "a"));
  CHECK_FALSE(LogValueStorable("a\nb"));
  CHECK(LogValueStorable(""));
}

TEST_CASE("log header: both texts always written, empty when the script has none, and the code page") {
  TMemoryLogStore log;
  CHECK(WriteLogHeader(log, "Remove Demo?", "", 65001));
  CHECK(log.Text() == "[General]\nMessageString=Remove Demo?\nOKString=\nCodePage=65001\n");
  // A log without one was written in the system's code page.
  CHECK(LogCodePageRule("65001", 1251) == 65001);
  CHECK(LogCodePageRule("", 1251) == 1251);
  CHECK(LogCodePageRule("utf-8", 1252) == 1252);
  // Present but empty differs from absent for the reader.
  CHECK(log.Read(kLogGeneral, kLogOKString, "absent") == "");
  CHECK(log.Read(kLogGeneral, "Other", "absent") == "absent");
}

TEST_CASE("log: path, keys and integers") {
  CHECK(LogPath("C:\\Apps\\Demo", "Uninst.log") == "C:\\Apps\\Demo\\Uninst.log");
  CHECK(LogPath("C:\\Apps\\Demo\\", "Uninst.log") == "C:\\Apps\\Demo\\Uninst.log");
  CHECK(LogListKey(kLogPathWord, 12) == "PATH_12");
  TMemoryLogStore log;
  log.Write(kLogShortcuts, "RmDir1", "0x1");
  log.Write(kLogShortcuts, "RmDir2", "yes");
  CHECK(ReadLogInteger(log, kLogShortcuts, "RmDir1", 0) == 1);
  CHECK(ReadLogInteger(log, kLogShortcuts, "RmDir2", 0) == 0);
  CHECK(ReadLogInteger(log, kLogShortcuts, "RmDir3", 7) == 7);
}

TEST_CASE("log records: named from the log's path as the file system compares it, trusted only as the record or its start") {
  struct { const char* path; const char* name; } names[] = {
      {"", "Kestin-CBF29CE484222325.kvr"},
      {"C:\\Apps\\Demo\\Uninst.log", "Kestin-E4F00B943745046A.kvr"},
      {"c:\\apps\\demo\\UNINST.LOG", "Kestin-E4F00B943745046A.kvr"},
      // Only ASCII letters fold: the code page's others are left as they are.
      {"C:\\Apps\\Dem\xE9\\Uninst.log", "Kestin-27AACE9D92E66000.kvr"},
      {"C:\\Apps\\Dem\xC9\\Uninst.log", "Kestin-F792DC1789AF2D20.kvr"}};
  for (auto& n : names) CHECK(LogRecordName(n.path) == n.name);
  TStr log("[General]\r\nOKString=\0\r\n", 24), afterZero("[General]\r\nOKString=\0\n\n", 24);
  CHECK(CompareLogWithRecord(log, &log) == kLogMatchesRecord);
  CHECK(CompareLogWithRecord(log, nullptr) == kLogWithoutRecord);
  CHECK(CompareLogWithRecord(log, &afterZero) == kLogDiffersFromRecord);
  // The record is written first: a log one entry behind it is its start.
  TStr ahead = log + "File1=a\r\n", cut = log.substr(0, 20);
  CHECK(CompareLogWithRecord(log, &ahead) == kLogMatchesRecord);
  CHECK(CompareLogWithRecord(cut, &log) == kLogMatchesRecord);
  CHECK(CompareLogWithRecord(ahead, &log) == kLogDiffersFromRecord);
}

TEST_CASE("a memory store takes back exactly the text it made, and nothing else") {
  TMemoryLogStore log, back;
  WriteLogHeader(log, "Remove?", "", 65001);
  log.Write(kLogShortcuts, "Link1", "C:\\x [1]=.lnk");
  REQUIRE(back.Load(log.Text("\r\n")));
  CHECK(back.Text("\r\n") == log.Text("\r\n"));
  for (const char* text : {"File1=a\r\n", "[Files]\r\nFile1\r\n", "[Files]\r\n=a\r\n"})
    CHECK_FALSE((back.Load(text) || back.Text() != ""));
  // A log appended run after run: sections come back, later values win, and
  // a last line cut while it was written is left out.
  CHECK(TMemoryLogStore::Merged("[Files]\r\nFile1=a\r\n[General]\r\nX=1\r\n\r\n[Files]\r\nFile2=b\r\n"
                                "[General]\r\nX=2\r\n[Files]\r\nFile3=c") ==
        "[Files]\r\nFile1=a\r\nFile2=b\r\n[General]\r\nX=2\r\n");
  // One run's lines read as a log of their own: each list from 1, companions alike.
  CHECK(RenumberedLists("[Files]\r\nFile4=d\r\n[Shortcuts]\r\nFolder3=f\r\nLink7=l\r\nRmDir7=1\r\nLink2=m\r\n"
                        "[Files]\r\nFile9=e\r\n[Registry]\r\nValue3=v\r\nCodePage=1\r\n") ==
        "[Files]\r\nFile1=d\r\n[Shortcuts]\r\nFolder1=f\r\nLink1=l\r\nRmDir1=1\r\nLink2=m\r\n"
        "[Files]\r\nFile2=e\r\n[Registry]\r\nValue1=v\r\nCodePage=1\r\n");
}
