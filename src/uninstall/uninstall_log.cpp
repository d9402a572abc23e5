#include "uninstall/uninstall_log.h"

#include "base/profile_values.h"

TStr LogListKey(const char* word, int number) { return word + IntToStr(number); }

TStr LogPath(const TStr& folder, const TStr& logName) { return WithBackslash(folder) + logName; }

bool LogValueStorable(const TStr& value) {
  if (value.size() > (size_t)kLogValueMax) return false;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' || value[i] == '\n' || value[i] == 0) return false;
  }
  return true;
}

bool WriteLogValue(TLogStore& store, const char* section, const char* key, const TStr& value) {
  if (!LogValueStorable(value)) return false;
  return store.Write(section, key, value);
}

bool WriteLogHeader(TLogStore& store, const TStr& messageString, const TStr& okString, unsigned codePage) {
  bool ok = WriteLogValue(store, kLogGeneral, kLogMessageString, messageString);
  ok = WriteLogValue(store, kLogGeneral, kLogOKString, okString) && ok;
  return WriteLogValue(store, kLogGeneral, kLogCodePage, IntToStr((int)codePage)) && ok;
}

unsigned LogCodePageRule(const TStr& declared, unsigned legacyCodePage) {
  int page = ProfileInteger(declared, 0);
  return page > 0 ? (unsigned)page : legacyCodePage;
}

int ReadLogInteger(const TLogStore& store, const char* section, const char* key, int fallback) {
  return ProfileInteger(store.Read(section, key, ""), fallback);
}

int WalkLogList(const TLogStore& store, const char* section, const char* word,
                TLogListVisit visit, void* context) {
  int n = 0;
  for (;;) {
    TStr value = store.Read(section, LogListKey(word, n + 1).c_str(), "");
    if (value.empty()) return n;
    ++n;
    if (visit && !visit(context, n, value)) return n;
  }
}

static bool CollectValue(void* context, int, const TStr& value) {
  static_cast<TStrList*>(context)->Add(value);
  return true;
}

TLogListWriter::TLogListWriter(TLogStore& store, const char* section, const char* word, int next)
    : store_(store), section_(section), word_(word), next_(next) {
  int count = WalkLogList(store, section, word, &CollectValue, &earlier_);
  if (next_ <= 0) next_ = count + 1;
}

bool TLogListWriter::Append(const TStr& value) {
  // An empty value would end the list for every reader.
  if (value.empty()) return false;
  // Names compare as the file system and the registry compare them.
  for (int i = 0; i < earlier_.Count(); ++i)
    if (SameTextAscii(earlier_[i].c_str(), value.c_str())) {
      last_ = i + 1;
      return true;
    }
  if (!WriteLogValue(store_, section_, LogListKey(word_, next_).c_str(), value)) return false;
  last_ = next_++;
  return true;
}
