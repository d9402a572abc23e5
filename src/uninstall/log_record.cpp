#include "uninstall/log_record.h"

uint64_t LogRecordKey(const TStr& fullLogPath) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < fullLogPath.size(); ++i) {
    unsigned char c = (unsigned char)fullLogPath[i];
    if (c >= 'a' && c <= 'z') c = (unsigned char)(c - 'a' + 'A');
    hash = (hash ^ c) * 0x100000001b3ull;
  }
  return hash;
}

TStr LogRecordName(const TStr& fullLogPath) {
  static const char kDigits[] = "0123456789ABCDEF";
  uint64_t key = LogRecordKey(fullLogPath);
  char hex[17];
  for (int i = 15; i >= 0; --i, key >>= 4) hex[i] = kDigits[key & 15];
  hex[16] = 0;
  return Concat("Kestin-", hex, ".kvr");
}

TLogRecordVerdict CompareLogWithRecord(const TStr& logBytes, const TStr* recordBytes) {
  if (!recordBytes) return kLogWithoutRecord;
  return recordBytes->size() >= logBytes.size() && recordBytes->substr(0, logBytes.size()) == logBytes
             ? kLogMatchesRecord
             : kLogDiffersFromRecord;
}

TStr LogRecordRefusal(TLogRecordVerdict verdict, const TStr& recordPath) {
  const char* why = verdict == kLogWithoutRecord
                        ? "Setup kept no record of this uninstall log when it installed the product ("
                        : "This uninstall log does not match the record Setup kept when it installed the product (";
  const char* what = verdict == kLogWithoutRecord
                         ? "). The log may have been written by hand or moved from another folder; nothing was removed."
                         : "). It may have been changed; nothing was removed.";
  return Concat(why, recordPath, what, " Reinstall the product to repair its uninstall log.");
}

TStr UninstallLockName(const TStr& fullLogPath) { return "KestinUninstall-" + LogRecordName(fullLogPath); }

const char kUninstallRunning[] =
    "Nothing was removed: another uninstall of this product is running.\r\n"
    "Let it finish; start the uninstall again only if something remains.";
