#include <doctest/doctest.h>

#include <set>
#include <string>

#include "uninstall/folder_walk.h"

namespace {

// A file system of folders; a folder is empty when no other folder or file
// lies below it.
struct TFakeFolders : TFolderOps {
  std::set<std::string> folders, files, inUse;
  std::string removed;
  static std::string Up(const std::string& s) {
    std::string r;
    for (char c : s) r += (char)AsciiUpper(c);
    return r;
  }
  bool FolderExists(const TStr& f) override { return folders.count(Up(f.c_str())) != 0; }
  bool RemoveEmptyFolder(const TStr& f) override {
    std::string key = Up(f.c_str());
    if (!folders.count(key) || inUse.count(key)) return false;
    for (auto* set : {&folders, &files})
      for (auto& p : *set)
        if (p.size() > key.size() && p.compare(0, key.size(), key) == 0 && p[key.size()] == '\\') return false;
    folders.erase(key);
    removed += std::string(f.c_str()) + ";";
    return true;
  }
};

}  // namespace

TEST_CASE("the walk removes empty folders upwards and stops at the first it cannot remove") {
  TFakeFolders fs;
  fs.folders = {"C:\\APPS", "C:\\APPS\\DEMO", "C:\\APPS\\DEMO\\SUB", "C:\\APPS\\DEMO\\SUB\\DEEP"};
  fs.files = {"C:\\APPS\\DEMO\\MINE.TXT"};  // a file the user added
  TFolderSet keep;
  CHECK(RemoveEmptyFolders("C:\\Apps\\Demo\\sub\\deep\\", fs, keep) == 2);
  CHECK(fs.removed == "C:\\Apps\\Demo\\sub\\deep;C:\\Apps\\Demo\\sub;");
  CHECK(fs.folders.count("C:\\APPS\\DEMO"));
  CHECK(fs.folders.count("C:\\APPS"));
}

TEST_CASE("the walk passes over folders that are gone and climbs to the drive, never removing it") {
  TFakeFolders fs;
  fs.folders = {"C:\\APPS"};
  TFolderSet keep;
  CHECK(RemoveEmptyFolders("C:\\Apps\\Demo\\gone", fs, keep) == 1);
  CHECK(fs.removed == "C:\\Apps;");
  // Nothing to do at or above a drive or share root, or for a path that is
  // not absolute.
  for (const char* top : {"C:\\", "C:", "\\\\server\\share", "\\\\server", "\\\\?\\C:\\x", "\\\\.\\pipe\\x",
                          "Demo\\sub", "\\Demo", "", "\\"})
    CHECK_MESSAGE(IsWalkTop(top), top);
  CHECK_FALSE(IsWalkTop("\\\\server\\share\\demo"));
  CHECK_FALSE(IsWalkTop("C:\\Demo"));
}

TEST_CASE("the walk stops at a well-known folder and never removes it") {
  TFakeFolders fs;
  fs.folders = {"C:\\USERS\\BOB\\DESKTOP", "C:\\USERS\\BOB\\DESKTOP\\GROUP", "C:\\WINDOWS"};
  TFolderSet keep;
  keep.Add("c:\\users\\bob\\desktop\\");  // case and trailing backslash do not matter
  keep.Add("C:\\Windows");
  CHECK(RemoveEmptyFolders("C:\\Users\\Bob\\Desktop\\Group", fs, keep) == 1);
  CHECK(fs.folders.count("C:\\USERS\\BOB\\DESKTOP"));
  CHECK(RemoveEmptyFolders("C:\\Windows", fs, keep) == 0);
  CHECK(fs.folders.count("C:\\WINDOWS"));
}

TEST_CASE("a path with a dot step is never walked: it may name a well-known folder in disguise") {
  TFakeFolders fs;
  fs.folders = {"C:\\WINDOWS", "C:\\APPS"};
  TFolderSet keep;
  keep.Add("C:\\Windows");
  CHECK(RemoveEmptyFolders("C:\\Apps\\..\\Windows", fs, keep) == 0);
  CHECK(RemoveEmptyFolders("C:\\Apps\\ . \\x", fs, keep) == 0);
  CHECK(fs.removed.empty());
  CHECK(HasDotStep("a\\...\\b"));
  CHECK_FALSE(HasDotStep("a\\.b\\c."));
}

TEST_CASE("folders compare without letter case and a trailing backslash; below means strictly below") {
  CHECK(SameFolder("C:\\Apps\\", "c:\\APPS"));
  CHECK_FALSE(SameFolder("C:\\Apps", "C:\\Apps2"));
  CHECK(IsBelowFolder("C:\\Desk\\a.lnk", "C:\\desk\\"));
  CHECK_FALSE(IsBelowFolder("C:\\Desktop2\\a.lnk", "C:\\Desk"));
  CHECK_FALSE(IsBelowFolder("C:\\Desk\\", "C:\\Desk"));
  CHECK_FALSE(IsBelowFolder("C:\\Desk", "C:\\Desk"));
}
