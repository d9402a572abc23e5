// A package signed with Authenticode (osslsigncode, a throw-away certificate
// from openssl) verifies, and kestin-pack still lists, tests and extracts it:
// the signature goes after the cabinet, which ends where its header says.
#include <doctest/doctest.h>

#include "pack_test_support.h"

using namespace packtest;

TEST_CASE("a signed package verifies and still lists, tests and extracts") {
  // osslsigncode needs a real program: the release build's, when there is one.
  std::string win32 = std::string(KESTIN_BINARY_DIR) + "/../win32/";
  if (!fs::exists(win32 + "setup.exe") || !fs::exists(win32 + "uncab.dll")) {
    MESSAGE("no release build in " << win32 << "; make win32 first");
    return;
  }
  std::string dir = NewScratchFolder("sign");
  std::string product = MinimalProduct(dir + "p/");
  WriteFile(product + "bin/app.exe", SomeBytes(70000, 3));
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "plain.exe") + " --stub " +
                  Quote(win32 + "setup.exe") + " --dll " + Quote(win32 + "uncab.dll")).rc == 0);
  TRun key = RunShell("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Kestin-Test -keyout " +
                      Quote(dir + "key.pem") + " -out " + Quote(dir + "cert.pem"));
  INFO(key.err);
  REQUIRE(key.rc == 0);
  TRun sign = RunShell("osslsigncode sign -certs " + Quote(dir + "cert.pem") + " -key " + Quote(dir + "key.pem") +
                       " -n Test -in " + Quote(dir + "plain.exe") + " -out " + Quote(dir + "signed.exe"));
  INFO(sign.out, sign.err);
  REQUIRE(sign.rc == 0);
  TRun verify = RunShell("osslsigncode verify -CAfile " + Quote(dir + "cert.pem") + " " + Quote(dir + "signed.exe"));
  INFO(verify.out, verify.err);
  CHECK(verify.rc == 0);
  CHECK(ReadWholeFile(dir + "signed.exe").size() > ReadWholeFile(dir + "plain.exe").size());

  TRun t = RunTool("test " + Quote(dir + "signed.exe"));
  CHECK(t.rc == 0);
  CHECK(t.out.find("2 files, ") != std::string::npos);
  CHECK(RunTool("list " + Quote(dir + "signed.exe")).out == RunTool("list " + Quote(dir + "plain.exe")).out);
  REQUIRE(RunTool("extract " + Quote(dir + "signed.exe") + " " + Quote(dir + "x")).rc == 0);
  CHECK(Tree(dir + "x") == Tree(product));
}
