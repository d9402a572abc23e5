// Files and folders for tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteTextFile(const std::string& path, const std::string& text);
std::string SourcePath(const std::string& relative);  // in the source tree
std::string BinaryPath(const std::string& relative);  // in this build tree
std::string TestDataPath(const std::string& relative);  // in tests/data
// A fresh, empty folder for one test (with a trailing separator).
std::string NewScratchFolder(const std::string& tag);
