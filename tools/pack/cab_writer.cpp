#include "cab_writer.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "cab_records.h"
#include "mszip_encoder.h"
#include "package/scramble.h"
#include "work_threads.h"

namespace {

// Blocks handed to the threads at once: 2 MiB of input, enough to keep two
// cores busy without holding much memory.
const size_t kBatchBlocks = 64;

// Reads the inputs one after the other as one stream, checking that each
// file has exactly the size it had when the list was made.
class TSourceReader {
public:
  explicit TSourceReader(const std::vector<TCabInput>& inputs) : inputs_(inputs) {}

  bool Read(uint8_t* dst, size_t n, std::string* error) {
    while (n > 0) {
      if (!open_) {
        if (!OpenNext(error)) return false;
        continue;
      }
      if (left_ == 0) {
        if (!CloseCurrent(error)) return false;
        continue;
      }
      size_t k = (size_t)std::min<uint64_t>(n, left_);
      size_t got = file_.Read(dst, k);
      if (got < k) return Failed(file_.ok() ? "it became shorter while being packed" : file_.lastError(), error);
      dst += k;
      n -= k;
      left_ -= k;
    }
    return true;
  }

  // Opens and checks whatever is left: the empty files at the end.
  bool Finish(std::string* error) {
    while (open_ || next_ < inputs_.size()) {
      if (!open_) {
        if (!OpenNext(error)) return false;
      } else if (left_ != 0) {
        return Failed("it became shorter while being packed", error);
      } else if (!CloseCurrent(error)) {
        return false;
      }
    }
    return true;
  }

private:
  bool OpenNext(std::string* error) {
    current_ = next_++;
    std::string why;
    if (!file_.OpenRead(inputs_[current_].sourcePath, &why)) return Failed("cannot open it: " + why, error);
    open_ = true;
    left_ = inputs_[current_].size;
    return true;
  }

  bool CloseCurrent(std::string* error) {
    uint8_t extra;
    // A file that grew would otherwise lose its tail without a word.
    if (file_.Read(&extra, 1) != 0) return Failed("it grew while being packed", error);
    if (!file_.ok()) return Failed(file_.lastError(), error);
    std::string why;
    file_.Close(&why);
    open_ = false;
    return true;
  }

  bool Failed(const std::string& why, std::string* error) {
    *error = inputs_[current_].sourcePath + ": " + why;
    return false;
  }

  const std::vector<TCabInput>& inputs_;
  size_t next_ = 0, current_ = 0;
  TFile file_;
  bool open_ = false;
  uint64_t left_ = 0;
};

struct TBlock {
  uint32_t folder = 0;
  size_t inAt = 0;
  uint32_t inLen = 0;
  const uint8_t* dict = nullptr;
  size_t dictLen = 0;
  std::vector<uint8_t> record;  // the CFDATA record
};

struct TBatch {
  std::vector<TBlock>* blocks;
  size_t count;
  const uint8_t* input;
  bool compress;
  int level;
  std::atomic<size_t> next{0};
  std::atomic<bool> noMemory{false};
};

void EncodeBlocks(void* context, unsigned) {
  TBatch* b = (TBatch*)context;
  TMszipEncoder* encoder = nullptr;
  std::vector<uint8_t> packed(b->compress ? kMszipMaxBlock : 0);
  if (b->compress && !(encoder = Mszip_Create(b->level))) {
    b->noMemory = true;
    return;
  }
  for (;;) {
    size_t i = b->next++;
    if (i >= b->count) break;
    TBlock& k = (*b->blocks)[i];
    const uint8_t* in = b->input + k.inAt;
    k.record.clear();
    if (b->compress) {
      size_t n = Mszip_Encode(encoder, k.dict, k.dictLen, in, k.inLen, packed.data());
      Cab_AppendDataBlock(&k.record, packed.data(), n, k.inLen);
    } else {
      Cab_AppendDataBlock(&k.record, in, k.inLen, k.inLen);
    }
  }
  Mszip_Destroy(encoder);
}

// Sends the cabinet's bytes to the file and keeps a copy of its first 128,
// which are rewritten (header in place, maybe scrambled) at the end.
class TCabOutput {
public:
  TCabOutput(TFile* out, const std::string& name, uint64_t at) : out_(out), name_(name), at_(at) {}

  bool Write(const uint8_t* p, size_t n, std::string* error) {
    for (size_t i = 0; i < n && pos_ + i < kScrambledHead; i++) head_[pos_ + i] = p[i];
    std::string why;
    if (!out_->Write(p, n, &why)) {
      *error = "cannot write " + name_ + ": " + why;
      return false;
    }
    pos_ += n;
    if (at_ + pos_ > kCabMaxFileBytes) {
      *error = "cannot write " + name_ + ": the cabinet grows past " +
               std::to_string(kCabMaxFileBytes) + " bytes, the most a package can hold";
      return false;
    }
    return true;
  }

  bool Finish(const std::vector<uint8_t>& header, bool scramble, std::string* error) {
    size_t headLen = (size_t)std::min<uint64_t>(pos_, kScrambledHead);
    std::memcpy(head_, header.data(), std::min(header.size(), headLen));
    if (scramble) XorCabinetHead(head_, headLen);
    std::string why;
    bool ok = out_->Seek(at_, &why) && out_->Write(head_, headLen, &why) &&
              (header.size() <= headLen ||
               out_->Write(header.data() + headLen, header.size() - headLen, &why)) &&
              out_->Seek(at_ + pos_, &why);
    if (!ok) *error = "cannot write " + name_ + ": " + why;
    return ok;
  }

  uint64_t position() const { return pos_; }

private:
  TFile* out_;
  const std::string& name_;
  uint64_t at_;
  uint64_t pos_ = 0;
  uint8_t head_[kScrambledHead] = {};
};

}  // namespace

std::vector<uint32_t> Cab_PlanFolders(const std::vector<TCabInput>& inputs,
                                      uint64_t sharedFolderBytes) {
  std::vector<uint32_t> folderOf(inputs.size());
  uint32_t folder = 0;
  uint64_t bytes = 0;
  for (size_t i = 0; i < inputs.size(); i++) {
    if (i > 0 && bytes + inputs[i].size > sharedFolderBytes) {
      folder++;
      bytes = 0;
    }
    bytes += inputs[i].size;
    folderOf[i] = folder;
  }
  return folderOf;
}

bool Cab_Write(const std::vector<TCabInput>& inputs, const TCabWriteOptions& options, TFile* out,
               const std::string& outName, uint64_t at, uint64_t* cabinetSize, std::string* error) {
  if (inputs.empty()) {
    *error = "there are no files to pack";
    return false;
  }
  if (inputs.size() > kCabMaxFiles) {
    *error = std::to_string(inputs.size()) + " files are too many; a cabinet holds at most " +
             std::to_string(kCabMaxFiles);
    return false;
  }
  std::vector<uint32_t> folderOf = Cab_PlanFolders(inputs, options.sharedFolderBytes);
  size_t folderCount = folderOf.back() + 1;
  if (folderCount > kCabMaxFolders) {
    *error = "the files need " + std::to_string(folderCount) + " folders; a cabinet holds at most " +
             std::to_string(kCabMaxFolders);
    return false;
  }

  std::vector<TCabFileRecord> files(inputs.size());
  std::vector<TCabFolderRecord> folders(folderCount);
  std::vector<uint64_t> folderBytes(folderCount, 0);
  uint64_t total = 0;
  for (size_t i = 0; i < inputs.size(); i++) {
    const TCabInput& in = inputs[i];
    uint32_t f = folderOf[i];
    if (in.size > kCabMaxFolderBytes) {
      *error = in.sourcePath + ": it is " + std::to_string(in.size) +
               " bytes; a cabinet stores at most " + std::to_string(kCabMaxFolderBytes) +
               " bytes in one file";
      return false;
    }
    if (in.storedName.empty() || in.storedName.size() > kCabMaxNameLength) {
      *error = in.sourcePath + ": its stored name must be 1 to " +
               std::to_string(kCabMaxNameLength) + " bytes long";
      return false;
    }
    files[i] = {uint32_t(in.size), uint32_t(folderBytes[f]), uint16_t(f), in.date, in.time,
                in.attribs, in.storedName};
    folderBytes[f] += in.size;
    total += in.size;
  }
  for (TCabFolderRecord& f : folders) f.type = options.compress ? kCabTypeMszip : kCabTypeNone;

  TCabOutput cab(out, outName, at);
  // The header area is written last, once the folders' places are known;
  // until then zeros hold its room.
  std::vector<uint8_t> room(Cab_HeaderAreaSize(folders, files), 0);
  if (!cab.Write(room.data(), room.size(), error)) return false;

  unsigned threads = options.threads ? options.threads : Work_ProcessorCount();
  if (!options.compress) threads = 1;  // copying is no work worth sharing
  std::vector<uint8_t> input(kBatchBlocks * kCabBlockSize);
  std::vector<uint8_t> carry(kCabBlockSize);
  std::vector<TBlock> blocks(kBatchBlocks);
  for (TBlock& b : blocks) b.record.reserve(kCabDataFixedSize + kMszipMaxBlock);
  TSourceReader reader(inputs);
  uint32_t f = 0;             // folder being read
  uint64_t folderDone = 0;    // its bytes read so far
  uint32_t nextToPlace = 0;   // first folder whose data start is not yet set
  uint64_t done = 0;
  for (;;) {
    size_t count = 0, used = 0;
    while (count < kBatchBlocks && f < folderCount) {
      if (folderDone == folderBytes[f]) {
        f++;
        folderDone = 0;
        continue;
      }
      uint32_t n = (uint32_t)std::min<uint64_t>(kCabBlockSize, folderBytes[f] - folderDone);
      if (!reader.Read(input.data() + used, n, error)) return false;
      TBlock& b = blocks[count];
      b.folder = f;
      b.inAt = used;
      b.inLen = n;
      if (folderDone == 0) {
        b.dict = nullptr;
        b.dictLen = 0;
      } else if (count > 0) {
        b.dict = input.data() + blocks[count - 1].inAt;
        b.dictLen = blocks[count - 1].inLen;
      } else {
        b.dict = carry.data();
        b.dictLen = kCabBlockSize;
      }
      used += n;
      folderDone += n;
      count++;
    }
    if (count == 0) break;

    TBatch batch;
    batch.blocks = &blocks;
    batch.count = count;
    batch.input = input.data();
    batch.compress = options.compress;
    batch.level = options.level;
    Work_RunOnThreads((unsigned)std::min<size_t>(threads, count), EncodeBlocks, &batch);
    if (batch.noMemory) {
      *error = "out of memory while compressing";
      return false;
    }
    for (size_t i = 0; i < count; i++) {
      const TBlock& b = blocks[i];
      for (; nextToPlace <= b.folder; nextToPlace++)
        folders[nextToPlace].firstBlockAt = uint32_t(cab.position());
      folders[b.folder].blocks++;
      if (!cab.Write(b.record.data(), b.record.size(), error)) return false;
    }
    // A folder that goes on in the next batch needs this block as history.
    const TBlock& last = blocks[count - 1];
    if (last.inLen == kCabBlockSize) std::memcpy(carry.data(), input.data() + last.inAt, kCabBlockSize);
    done += used;
    if (options.progress) options.progress(options.progressContext, done, total);
  }
  if (!reader.Finish(error)) return false;
  for (; nextToPlace < folderCount; nextToPlace++)
    folders[nextToPlace].firstBlockAt = uint32_t(cab.position());

  std::vector<uint8_t> header = Cab_HeaderArea(uint32_t(cab.position()), 0, folders, files);
  if (!cab.Finish(header, options.scramble, error)) return false;
  *cabinetSize = cab.position();
  return true;
}
