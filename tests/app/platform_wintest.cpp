// The small platform helpers, in-process.
#include <doctest/doctest.h>

#include <windows.h>
#include <shlobj.h>

#include "app/com_object.h"
#include "app/registry_strings.h"
#include "base/run_program.h"
#include "base/shell_folders.h"
#include "app/windows_family.h"
#include "base/files.h"
#include "test_files.h"

TEST_CASE("registry strings: written, read back without the terminating zero, missing gives empty") {
  const char* key = "Software\\KestinTest\\Platform";
  const char value[] = "hello";
  TError error;
  REQUIRE(RegWriteValue(HKEY_CURRENT_USER, key, "Greeting", REG_SZ, value, 5, &error));
  CHECK_FALSE(error.Failed());
  CHECK(RegReadString(HKEY_CURRENT_USER, key, "Greeting") == "hello");
  CHECK(RegReadString(HKEY_CURRENT_USER, key, "Absent").empty());
  CHECK(RegReadString(HKEY_CURRENT_USER, "Software\\KestinTest\\NoSuchKey", "Greeting").empty());
  // Values of any length are read whole, with or without a terminating zero.
  for (size_t n : {259u, 260u, 261u, 300u, 5000u}) {
    CAPTURE(n);
    std::string big(n, 'b');
    big.back() = 'e';
    REQUIRE(RegWriteValue(HKEY_CURRENT_USER, key, "Big", REG_SZ, big.c_str(), (unsigned)n, &error));
    CHECK(RegReadString(HKEY_CURRENT_USER, key, "Big") == big.c_str());
    REQUIRE(RegWriteValue(HKEY_CURRENT_USER, key, "Big", REG_SZ, big.c_str(), (unsigned)n + 1, &error));
    CHECK(RegReadString(HKEY_CURRENT_USER, key, "Big") == big.c_str());
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, key);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestinTest");
}

TEST_CASE("a registry value that cannot be written says which key and why") {
  TError error;
  // Key names are limited to 255 characters.
  std::string key = "Software\\KestinTest\\" + std::string(300, 'k');
  CHECK_FALSE(RegWriteValue(HKEY_CURRENT_USER, key.c_str(), "Value", REG_SZ, "x", 1, &error));
  CHECK(error.Code == kRegistryWriteFailed);
  CHECK(error.SystemError != 0);
  CHECK(error.Subject == (key + "\\Value").c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestinTest");
}

TEST_CASE("running a program: waits and returns its exit code, or the error when it cannot start") {
  char cmd[MAX_PATH];
  GetSystemDirectoryA(cmd, MAX_PATH);
  std::string shell = std::string(cmd) + "\\cmd.exe";
  unsigned code = 99;
  TError error;
  CHECK(RunProgram(nullptr, ("\"" + shell + "\" /c exit 7").c_str(), SW_HIDE, true, &code, &error));
  CHECK(code == 7);
  // An exit code equal to a system error number is still an exit code.
  CHECK(RunProgram(nullptr, ("\"" + shell + "\" /c exit 2").c_str(), SW_HIDE, true, &code, &error));
  CHECK(code == 2);
  CHECK_FALSE(error.Failed());
  CHECK_FALSE(RunProgram(nullptr, "\"C:\\no\\such\\program.exe\"", SW_HIDE, true, &code, &error));
  CHECK(error.Code == kRunProgramFailed);
  CHECK((error.SystemError == ERROR_FILE_NOT_FOUND || error.SystemError == ERROR_PATH_NOT_FOUND));
  CHECK(error.Subject == "\"C:\\no\\such\\program.exe\"");
  CHECK(RunProgram(nullptr, ("\"" + shell + "\" /c exit 3").c_str(), SW_HIDE, false, &code, &error));
  CHECK(code == 0);
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
  TError error;
  IUnknown* link = (IUnknown*)CreateComObject(&CLSID_ShellLink, &error);
  REQUIRE(link);
  link->Release();
  CLSID none = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  CHECK(CreateComObject(&none, &error) == nullptr);
  CHECK(error.Code == kComObjectFailed);
  CHECK(error.SystemError != 0);
  CoUninitialize();
}

TEST_CASE("the NT flag is set on an NT-family system") {
  CHECK(IsWindowsNT());
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
