// The small platform helpers, in-process.
#include <doctest/doctest.h>

#include <windows.h>
#include <shlobj.h>

#include "app/platform.h"
#include "base/files.h"
#include "base/process_state.h"
#include "test_files.h"

TEST_CASE("registry strings: written, read back without the terminating zero, missing gives empty") {
  const char* key = "Software\\KestinTest\\Platform";
  const char value[] = "hello";
  REQUIRE(RegWriteValue(HKEY_CURRENT_USER, key, "Greeting", REG_SZ, value, 5));
  CHECK(RegReadString(HKEY_CURRENT_USER, key, "Greeting") == "hello");
  CHECK(RegReadString(HKEY_CURRENT_USER, key, "Absent").empty());
  CHECK(RegReadString(HKEY_CURRENT_USER, "Software\\KestinTest\\NoSuchKey", "Greeting").empty());
  // A value longer than the 260-byte buffer is not read.
  std::string big(300, 'b');
  REQUIRE(RegWriteValue(HKEY_CURRENT_USER, key, "Big", REG_SZ, big.c_str(), 300));
  CHECK(RegReadString(HKEY_CURRENT_USER, key, "Big").empty());
  RegDeleteKeyA(HKEY_CURRENT_USER, key);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestinTest");
}

TEST_CASE("running a program: waits and returns its exit code, or the error when it cannot start") {
  char cmd[MAX_PATH];
  GetSystemDirectoryA(cmd, MAX_PATH);
  std::string shell = std::string(cmd) + "\\cmd.exe";
  CHECK(RunProgram(nullptr, ("\"" + shell + "\" /c exit 7").c_str(), SW_HIDE, true) == 7);
  unsigned missing = RunProgram(nullptr, "\"C:\\no\\such\\program.exe\"", SW_HIDE, true);
  CHECK((missing == ERROR_FILE_NOT_FOUND || missing == ERROR_PATH_NOT_FOUND));
  CHECK(RunProgram(nullptr, ("\"" + shell + "\" /c exit 3").c_str(), SW_HIDE, false) == 0);
}

TEST_CASE("folders: Windows folder, desktop and programs menu are known") {
  CHECK(GetWindowsDir().size() > 2);
  CoInitialize(nullptr);
  CHECK_FALSE(GetSpecialFolder(CSIDL_DESKTOPDIRECTORY).empty());
  CHECK_FALSE(GetSpecialFolder(CSIDL_PROGRAMS).empty());
  CoUninitialize();
}

TEST_CASE("a COM object can be made by class id; an unknown class gives none") {
  CoInitialize(nullptr);
  IUnknown* link = (IUnknown*)CreateComObject(&CLSID_ShellLink);
  REQUIRE(link);
  link->Release();
  CLSID none = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  CHECK(CreateComObject(&none) == nullptr);
  CoUninitialize();
}

TEST_CASE("the NT flag is set on an NT-family system") {
  WindowsNT = 0;
  DetectWindowsNT();
  CHECK(WindowsNT == 1);
}

TEST_CASE("missing folders are created level by level") {
  std::string root = NewScratchFolder("folders");
  CHECK(CreateFolders((root + "a\\b\\c\\file.txt").c_str(), true));
  CHECK(FolderExists((root + "a\\b\\c").c_str()));
  CHECK_FALSE(FolderExists((root + "a\\b\\c\\file.txt").c_str()));
  CHECK(CreateFolders((root + "x\\y").c_str(), false));
  CHECK(FolderExists((root + "x\\y").c_str()));
  REQUIRE(WriteTextFile(root + "blocker", "a file"));
  CHECK_FALSE(CreateFolders((root + "blocker\\sub\\f.txt").c_str(), true));
}
