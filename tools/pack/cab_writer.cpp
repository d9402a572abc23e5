#include "cab_writer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "cab_records.h"
#include "mszip_encoder.h"
#include "package/scramble.h"
#include "work_threads.h"

namespace {

// Blocks in flight between reading and writing: 2 MiB of input, enough to
// keep the workers busy while the main thread reads and writes.
const uint32_t kRingSlots = 64;
const uint32_t kNotDone = 0xFFFFFFFFu;

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
      const std::vector<uint8_t>* content = inputs_[current_].content;
      size_t got = content ? k : file_.Read(dst, k);
      if (content) std::memcpy(dst, content->data() + (content->size() - left_), k);
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
    if (inputs_[current_].content) {
      open_ = true;
      left_ = inputs_[current_].content->size();
      return true;
    }
    if (!file_.OpenRead(inputs_[current_].sourcePath, &why)) return Failed("cannot open it: " + why, error);
    open_ = true;
    left_ = inputs_[current_].size;
    return true;
  }

  bool CloseCurrent(std::string* error) {
    if (inputs_[current_].content) {
      open_ = false;
      return true;
    }
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
    *error = inputs_[current_].sourcePath + ": " + why +
             "; build again once nothing changes the source folder";
    return false;
  }

  const std::vector<TCabInput>& inputs_;
  size_t next_ = 0, current_ = 0;
  TFile file_;
  bool open_ = false;
  uint64_t left_ = 0;
};

// One data block on its way: its input, the folder's previous block as
// history (copied, so the slot that held it can be refilled), and the record.
struct TSlot {
  uint8_t dict[kCabBlockSize];
  uint8_t input[kCabBlockSize];
  uint32_t dictLen = 0, inLen = 0, folder = 0;
  std::vector<uint8_t> record;
  std::atomic<uint32_t> doneBlock{kNotDone};  // number of the block encoded here
};

// The main thread reads blocks into a ring of slots and writes the finished
// records in order; workers (and the main thread, while it would otherwise
// wait) encode whatever block is next. No barrier between batches: a worker
// the system puts aside holds up one block, not all the others.
struct TPipeline {
  std::unique_ptr<TSlot[]> slots{new TSlot[kRingSlots]};
  std::atomic<uint32_t> filled{0};   // blocks whose input is in place
  std::atomic<uint32_t> claimed{0};  // blocks taken by an encoder
  std::atomic<bool> finished{false};
  TWorkSemaphore* work = nullptr;    // one count per filled block
  TWorkSemaphore* done = nullptr;    // one count per encoded block
  bool compress = true;
  int level = 0;
};

bool TryClaim(TPipeline& p, uint32_t* block) {
  uint32_t c = p.claimed.load();
  while (c < p.filled.load()) {
    if (p.claimed.compare_exchange_weak(c, c + 1)) {
      *block = c;
      return true;
    }
  }
  return false;
}

void EncodeBlock(TPipeline& p, TMszipEncoder* encoder, uint8_t* packed, uint32_t block) {
  TSlot& s = p.slots[block % kRingSlots];
  s.record.clear();
  if (p.compress) {
    size_t n = Mszip_Encode(encoder, s.dict, s.dictLen, s.input, s.inLen, packed);
    Cab_AppendDataBlock(&s.record, packed, n, s.inLen);
  } else {
    Cab_AppendDataBlock(&s.record, s.input, s.inLen, s.inLen);
  }
  s.doneBlock.store(block, std::memory_order_release);
  if (p.done) Work_Post(p.done, 1);
}

// An encoder and its output buffer; without memory for zlib, blocks are
// stored instead (still valid MSZIP), so no error to report.
struct TEncoderSeat {
  explicit TEncoderSeat(const TPipeline& p)
      : encoder(p.compress ? Mszip_Create(p.level) : nullptr), packed(kMszipMaxBlock) {}
  ~TEncoderSeat() { Mszip_Destroy(encoder); }
  TMszipEncoder* encoder;
  std::vector<uint8_t> packed;
};

void Worker(void* context) {
  TPipeline& p = *(TPipeline*)context;
  TEncoderSeat seat(p);
  for (;;) {
    Work_Wait(p.work);
    uint32_t block;
    while (TryClaim(p, &block)) EncodeBlock(p, seat.encoder, seat.packed.data(), block);
    if (p.finished.load()) break;
  }
}

// Starts the workers and, whatever way Cab_Write leaves, stops them.
class TWorkers {
public:
  TWorkers(TPipeline& p, unsigned count) : p_(p) {
    p.work = Work_NewSemaphore();
    p.done = Work_NewSemaphore();
    if (p.work && p.done && count > 0) threads_ = Work_Start(count, Worker, &p);
  }
  ~TWorkers() {
    if (threads_) {
      p_.finished = true;
      Work_Post(p_.work, Work_Started(threads_));
      Work_Join(threads_);
    }
    if (p_.work) Work_FreeSemaphore(p_.work);
    if (p_.done) Work_FreeSemaphore(p_.done);
  }
  unsigned started() const { return threads_ ? Work_Started(threads_) : 0; }

private:
  TPipeline& p_;
  TWorkThreads* threads_ = nullptr;
};

// Sends the cabinet's bytes to the file and keeps a copy of its first 128,
// which are rewritten (header in place, maybe scrambled) at the end.
class TCabOutput {
public:
  TCabOutput(TFile* out, const std::string& name, uint64_t at) : out_(out), name_(name), at_(at) {}

  bool Write(const uint8_t* p, size_t n, std::string* error) {
    for (size_t i = 0; i < n && pos_ + i < kScrambledHead; i++) head_[pos_ + i] = p[i];
    std::string why;
    if (!out_->Write(p, n, &why)) {
      *error = "cannot write " + name_ + " (" + why + "); free some disk space or choose another folder with -o";
      return false;
    }
    pos_ += n;
    if (at_ + pos_ > kCabMaxFileBytes) {
      *error = "cannot write " + name_ + ": the cabinet grows past " +
               std::to_string(kCabMaxFileBytes) + " bytes, the most a package can hold; split the product into smaller packages";
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
    if (!ok) *error = "cannot write " + name_ + " (" + why + "); free some disk space or choose another folder with -o";
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
    *error = "there are no files to pack; put the product's files in the source folder";
    return false;
  }
  if (inputs.size() > kCabMaxFiles) {
    *error = std::to_string(inputs.size()) + " files are too many; a cabinet holds at most " +
             std::to_string(kCabMaxFiles) + "; split the product into smaller packages or leave files out with --exclude";
    return false;
  }
  std::vector<uint32_t> folderOf = Cab_PlanFolders(inputs, options.sharedFolderBytes);
  size_t folderCount = folderOf.back() + 1;
  if (folderCount > kCabMaxFolders) {
    *error = "the files need " + std::to_string(folderCount) + " folders; a cabinet holds at most " +
             std::to_string(kCabMaxFolders) + "; split the product into smaller packages";
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
               " bytes in one file; split the file or ship it beside the package";
      return false;
    }
    if (in.storedName.empty() || in.storedName.size() > kCabMaxNameLength) {
      *error = in.sourcePath + ": its stored name must be 1 to " +
               std::to_string(kCabMaxNameLength) + " bytes long; shorten its name or folder path";
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
  if (!options.compress) threads = 0;  // copying is no work worth sharing
  TPipeline p;
  p.compress = options.compress;
  p.level = options.level;
  // The main thread encodes too whenever the next record is not ready, so
  // `threads` encoders need one thread less of their own.
  TWorkers workers(p, threads > 1 ? threads - 1 : 0);
  std::unique_ptr<TEncoderSeat> mainSeat;  // for the blocks the main thread encodes itself
  TSourceReader reader(inputs);
  uint32_t f = 0;             // folder being read
  uint64_t folderDone = 0;    // its bytes read so far
  uint32_t filled = 0, written = 0;
  uint32_t nextToPlace = 0;   // first folder whose data start is not yet set
  uint64_t done = 0;
  bool more = true;
  for (;;) {
    // Read ahead as far as the ring allows.
    while (more && filled - written < kRingSlots) {
      while (f < folderCount && folderDone == folderBytes[f]) {
        f++;
        folderDone = 0;
      }
      if (f == folderCount) {
        more = false;
        break;
      }
      TSlot& s = p.slots[filled % kRingSlots];
      s.inLen = (uint32_t)std::min<uint64_t>(kCabBlockSize, folderBytes[f] - folderDone);
      if (!reader.Read(s.input, s.inLen, error)) return false;
      s.folder = f;
      s.dictLen = 0;
      if (folderDone > 0) {
        // The slot before still holds the previous block: it is refilled
        // only after this one.
        const TSlot& previous = p.slots[(filled - 1) % kRingSlots];
        std::memcpy(s.dict, previous.input, previous.inLen);
        s.dictLen = previous.inLen;
      }
      folderDone += s.inLen;
      p.filled.store(++filled);
      if (workers.started()) Work_Post(p.work, 1);
    }
    if (written == filled && !more) break;

    TSlot& next = p.slots[written % kRingSlots];
    if (next.doneBlock.load(std::memory_order_acquire) == written) {
      for (; nextToPlace <= next.folder; nextToPlace++)
        folders[nextToPlace].firstBlockAt = uint32_t(cab.position());
      folders[next.folder].blocks++;
      if (!cab.Write(next.record.data(), next.record.size(), error)) return false;
      next.doneBlock.store(kNotDone);
      done += next.inLen;
      written++;
      if (options.progress && (written % kRingSlots == 0 || (!more && written == filled)))
        options.progress(options.progressContext, done, total);
      continue;
    }
    uint32_t block;
    if (TryClaim(p, &block)) {
      if (!mainSeat) mainSeat.reset(new TEncoderSeat(p));
      EncodeBlock(p, mainSeat->encoder, mainSeat->packed.data(), block);
      continue;
    }
    Work_Wait(p.done);
  }
  if (!reader.Finish(error)) return false;
  for (; nextToPlace < folderCount; nextToPlace++)
    folders[nextToPlace].firstBlockAt = uint32_t(cab.position());

  if (options.folderStoredBytes) {
    options.folderStoredBytes->assign(folderCount, 0);
    for (size_t i = 0; i < folderCount; i++)
      (*options.folderStoredBytes)[i] =
          (i + 1 < folderCount ? folders[i + 1].firstBlockAt : cab.position()) - folders[i].firstBlockAt;
  }
  std::vector<uint8_t> header = Cab_HeaderArea(uint32_t(cab.position()), 0, folders, files);
  if (!cab.Finish(header, options.scramble, error)) return false;
  *cabinetSize = cab.position();
  return true;
}
