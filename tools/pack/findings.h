// What `kestin-pack check` (and `build`, which runs it first) finds wrong in
// a source folder: each finding says where, how bad, and what to do.
#pragma once
#include <string>
#include <vector>

enum TSeverity { kWarning, kError };

struct TFinding {
  TSeverity severity = kError;
  std::string file;     // as the user named it (source folder + relative path)
  int line = 0;         // 0: the file as a whole
  std::string section;  // "" when the finding is not about a script value
  std::string key;
  std::string reason;
};

class TFindings {
public:
  void Add(TSeverity severity, const std::string& file, int line, const std::string& section,
           const std::string& key, const std::string& reason) {
    list_.push_back(TFinding{severity, file, line, section, key, reason});
  }
  void Error(const std::string& file, const std::string& reason) { Add(kError, file, 0, "", "", reason); }
  void Warning(const std::string& file, const std::string& reason) { Add(kWarning, file, 0, "", "", reason); }
  size_t Count(TSeverity severity) const {
    size_t n = 0;
    for (const TFinding& f : list_) n += f.severity == severity;
    return n;
  }
  const std::vector<TFinding>& list() const { return list_; }

private:
  std::vector<TFinding> list_;
};

// "file:line: error: [Section] Key: reason", the line, section and key left
// out when there are none.
std::string Finding_Text(const TFinding& finding);
