#include "base/code_page_text.h"
#include "uninstall/profile_log_store.h"

TProfileLogStore::TProfileLogStore(const TStr& bytes) : index_(bytes) {
  TStr declared;
  index_.Find(kLogGeneral, kLogCodePage, &declared);
  codePage_ = LogCodePageRule(declared, LegacyCodePage());
}

TStr TProfileLogStore::Read(const char* section, const char* key, const char* fallback) const {
  // Where a platform might read the bytes otherwise (ini_index.h), the
  // index's reading still stands: these bytes are all there is.
  TStr value;
  if (!index_.Find(section, key, &value)) return TStr(fallback ? fallback : "");
  return ToActiveCodePage(value, codePage_);
}
