// The loader's unpacking steps on images built here (32- and 64-bit), on
// damaged payloads, and on the packer's output for the real setup program.
#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "python_lzma.h"
#include "test_files.h"
#include "unpack/packed_image.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}
void Set64(Bytes& b, size_t at, uint64_t v) {
  Set32(b, at, (uint32_t)v);
  Set32(b, at + 4, (uint32_t)(v >> 32));
}
uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint64_t Get64(const uint8_t* p) { return Get32(p) | (uint64_t)Get32(p + 4) << 32; }
void Put(Bytes& b, size_t at, const char* text) { memcpy(&b[at], text, strlen(text) + 1); }


// A small program image: code at 0x1000, data with the import tables and the
// relocations at 0x2000, as a linker lays them out.
struct TTestImage {
  bool pe64 = false;
  uint64_t base = 0x400000;
  Bytes image = Bytes(0x3000);
  uint32_t relocRva = 0x2400, relocSize = 0;

  explicit TTestImage(bool wide) : pe64(wide) {
    if (pe64) base = 0x140000000ull;
    uint32_t slot = pe64 ? 8 : 4;
    // Code: a call whose target the packer stored image-relative (0x1100,
    // written at 0x1010: relative 0x1100 - 0x1015), bytes that only look
    // like one, and a last E8 too close to the end to carry a target.
    image[0x1010] = 0xE8;
    Set32(image, 0x1011, 0x1100);
    image[0x1020] = 0xE9;
    Set32(image, 0x1021, 0x1234);
    image[0x17FD] = 0xE8;
    // Two libraries: one function by name and one by ordinal, then one more.
    Set32(image, 0x2000, 0x2100);  // lookup table
    Set32(image, 0x2000 + 12, 0x2200);
    Set32(image, 0x2000 + 16, 0x2180);  // address table
    Set32(image, 0x2014, 0);            // lookup absent: the address table serves
    Set32(image, 0x2014 + 12, 0x2210);
    Set32(image, 0x2014 + 16, 0x21C0);
    Put(image, 0x2200, "kernel32.dll");
    Put(image, 0x2210, "user32.dll");
    Put(image, 0x2302, "Sleep");
    Put(image, 0x2312, "MessageBoxA");
    if (pe64) {
      Set64(image, 0x2100, 0x2300);
      Set64(image, 0x2108, 0x8000000000000007ull);
      Set64(image, 0x2180, 0x2300);
      Set64(image, 0x2188, 0x8000000000000007ull);
      Set64(image, 0x21C0, 0x2310);
    } else {
      Set32(image, 0x2100, 0x2300);
      Set32(image, 0x2104, 0x80000007u);
      Set32(image, 0x2180, 0x2300);
      Set32(image, 0x2184, 0x80000007u);
      Set32(image, 0x21C0, 0x2310);
    }
    // Addresses to relocate: one in the code, one in the data; a padding entry.
    Set32(image, relocRva, 0x1000);
    Set32(image, relocRva + 4, 12);
    uint16_t type = pe64 ? 10 : 3;
    image[relocRva + 8] = 0x40;
    image[relocRva + 9] = (uint8_t)(type << 4);
    image[relocRva + 10] = 0;
    image[relocRva + 11] = 0;
    Set32(image, relocRva + 12, 0x2000);
    Set32(image, relocRva + 16, 12);
    image[relocRva + 20] = 0x00;
    image[relocRva + 21] = (uint8_t)(type << 4 | 5);  // 0x2500
    relocSize = 24;
    if (pe64) {
      Set64(image, 0x1040, base + 0x2000);
      Set64(image, 0x2500, base + 0x1010);
    } else {
      Set32(image, 0x1040, (uint32_t)base + 0x2000);
      Set32(image, 0x2500, (uint32_t)base + 0x1010);
    }
    (void)slot;
  }

  // The packed form: header, two sections, the bytes from 0x1000 on as an
  // LZMA stream.
  Bytes Pack() const {
    Bytes out(14 * 4);
    memcpy(out.data(), "KSPI", 4);
    Set32(out, 4, (uint32_t)image.size());
    Set32(out, 8, 0x1000);
    Set32(out, 12, 0x2000);
    Set32(out, 16, relocRva);
    Set32(out, 20, relocSize);
    Set64(out, 32, base);
    Set32(out, 40, 0x1000);
    Set32(out, 44, (uint32_t)image.size() - 0x1000);
    Set32(out, 48, 2);
    Set32(out, 52, 3);  // lc 3, lp 0, pb 0
    const uint32_t sections[6] = {0x1000, 0x800, kAccessRead | kAccessExecute,
                                  0x2000, 0x1000, kAccessRead | kAccessWrite};
    for (uint32_t v : sections) {
      out.resize(out.size() + 4);
      Set32(out, out.size() - 4, v);
    }
    Bytes stream = PythonLzma(Bytes(image.begin() + 0x1000, image.end()), {3, 0, 0});
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
  }
};

// Libraries and functions as the loader would find them; "missing" names
// are not found.
struct TFakeSystem {
  std::vector<std::string> opened;
  std::vector<std::string> asked;
  static void* Open(void* self, const char* library) {
    TFakeSystem* s = (TFakeSystem*)self;
    s->opened.push_back(library);
    return strstr(library, "missing") ? nullptr : (void*)(uintptr_t)(0x10000 * s->opened.size());
  }
  static uint64_t Find(void* self, void* library, const char* name, uint32_t ordinal) {
    TFakeSystem* s = (TFakeSystem*)self;
    s->asked.push_back(name ? std::string(name) : "#" + std::to_string(ordinal));
    if (name && strstr(name, "missing")) return 0;
    return (uint64_t)(uintptr_t)library + 0xF00000000ull * (name == nullptr) + s->asked.size();
  }
  TImportResolver Resolver() { return TImportResolver{Open, Find, this}; }
};

bool Unpack(const Bytes& packed, Bytes* image, TPackedImageInfo* info) {
  if (!ReadPackedImageInfo(packed.data(), packed.size(), info)) return false;
  image->assign(info->imageSize, 0);
  std::vector<uint16_t> work(PackedImageWorkSize(*info) / 2);
  return DecompressPackedImage(*info, image->data(), work.data());
}

}  // namespace

TEST_CASE("a packed image unpacks, relocates and binds (32-bit and 64-bit)") {
  for (bool pe64 : {false, true}) {
    CAPTURE(pe64);
    TTestImage source(pe64);
    Bytes packed = source.Pack();
    TPackedImageInfo info;
    Bytes image;
    REQUIRE(Unpack(packed, &image, &info));
    CHECK(info.entryRva == 0x1000);
    CHECK(info.sectionCount == 2);
    CHECK(PackedImageSection(info, 1).access == (kAccessRead | kAccessWrite));

    // Call and jump targets are relative to the next instruction again;
    // the cut-off E8 at the section's end is left alone.
    CHECK(Get32(&image[0x1011]) == 0x1100 - 0x1015);
    CHECK(Get32(&image[0x1021]) == 0x1234u - 0x1025);
    CHECK(image[0x17FD] == 0xE8);
    CHECK(Get32(&image[0x17FE]) == 0);
    // Outside the code nothing is touched.
    CHECK(memcmp(&image[0x2000], &source.image[0x2000], 0x1000) == 0);

    uint64_t loaded = pe64 ? 0x7FF612340000ull : 0x01230000u;
    REQUIRE(RelocateImage(image.data(), info, loaded, pe64));
    if (pe64) {
      CHECK(Get64(&image[0x1040]) == loaded + 0x2000);
      CHECK(Get64(&image[0x2500]) == loaded + 0x1010);
    } else {
      CHECK(Get32(&image[0x1040]) == loaded + 0x2000);
      CHECK(Get32(&image[0x2500]) == loaded + 0x1010);
    }

    TFakeSystem system;
    TImportFailure failure;
    REQUIRE(BindImageImports(image.data(), info, pe64, system.Resolver(), &failure));
    CHECK(system.opened == std::vector<std::string>{"kernel32.dll", "user32.dll"});
    CHECK(system.asked == std::vector<std::string>{"Sleep", "#7", "MessageBoxA"});
    if (pe64) {
      CHECK(Get64(&image[0x2180]) == 0x10000 + 1);
      CHECK(Get64(&image[0x2188]) == 0xF00010002ull);
      CHECK(Get64(&image[0x21C0]) == 0x20000 + 3);
    } else {
      CHECK(Get32(&image[0x2180]) == 0x10000 + 1);
      CHECK(Get32(&image[0x2184]) == (uint32_t)0xF00010002ull);
      CHECK(Get32(&image[0x21C0]) == 0x20000 + 3);
    }
  }
}

TEST_CASE("missing libraries and functions are named") {
  TTestImage source(false);
  Put(source.image, 0x2210, "missing.dll");
  TPackedImageInfo info;
  Bytes image;
  REQUIRE(Unpack(source.Pack(), &image, &info));
  TFakeSystem system;
  TImportFailure failure;
  CHECK_FALSE(BindImageImports(image.data(), info, false, system.Resolver(), &failure));
  CHECK(std::string(failure.library) == "missing.dll");
  CHECK(failure.function == nullptr);

  TTestImage other(false);
  Put(other.image, 0x2312, "missingFunction");
  REQUIRE(Unpack(other.Pack(), &image, &info));
  TFakeSystem second;
  CHECK_FALSE(BindImageImports(image.data(), info, false, second.Resolver(), &failure));
  CHECK(std::string(failure.library) == "user32.dll");
  CHECK(std::string(failure.function) == "missingFunction");
}

TEST_CASE("damaged payloads are refused without reading outside them") {
  const Bytes good = TTestImage(false).Pack();
  TPackedImageInfo info;
  Bytes image;
  REQUIRE(Unpack(good, &image, &info));

  SUBCASE("every shortened payload") {
    // The stream's last bytes carry only its end marker, which is not read
    // once the image is full: cuts into them may go unnoticed, and must
    // still give the image whole.
    const size_t marker = 8;
    for (size_t n = 0; n < good.size(); n++) {
      Bytes cut(good.begin(), good.begin() + n);  // its own allocation, so ASan sees any overrun
      CAPTURE(n);
      if (n + marker < good.size()) {
        CHECK_FALSE(Unpack(cut, &image, &info));
      } else if (Unpack(cut, &image, &info)) {
        Bytes whole;
        REQUIRE(Unpack(good, &whole, &info));
        CHECK(image == whole);
      }
    }
  }
  SUBCASE("header fields that point outside the image") {
    const size_t fields[] = {8, 12, 16, 20, 24, 28, 40, 44, 52, 56, 60, 68, 72};  // entry .. section sizes
    for (size_t at : fields) {
      Bytes bad = good;
      Set32(bad, at, 0xFFFFF000u);
      CAPTURE(at);
      CHECK_FALSE(ReadPackedImageInfo(bad.data(), bad.size(), &info));
    }
    Bytes many = good;
    Set32(many, 48, 0x20000000u);  // more sections than the payload holds
    CHECK_FALSE(ReadPackedImageInfo(many.data(), many.size(), &info));
    Bytes other = good;
    other[0] = 'X';
    CHECK_FALSE(ReadPackedImageInfo(other.data(), other.size(), &info));
  }
  SUBCASE("a damaged stream") {
    Bytes bad = good;
    bad[14 * 4 + 6 * 4 + 8] ^= 0xFF;
    Bytes first = good;
    first[14 * 4 + 6 * 4] = 1;  // an LZMA stream starts with a zero byte
    CHECK_FALSE(Unpack(first, &image, &info));
    Unpack(bad, &image, &info);  // may decode to other bytes; must stay inside its buffers
  }
}

TEST_CASE("relocation and import tables that do not fit are refused") {
  TTestImage source(false);
  TPackedImageInfo info;
  Bytes image;
  auto relocate = [&](void (*damage)(Bytes&, uint32_t)) {
    TTestImage t(false);
    damage(t.image, t.relocRva);
    REQUIRE(Unpack(t.Pack(), &image, &info));
    return RelocateImage(image.data(), info, 0x10000000, false);
  };
  CHECK(relocate([](Bytes&, uint32_t) {}));
  CHECK_FALSE(relocate([](Bytes& b, uint32_t r) { b[r + 9] = 0x50; }));             // type 5
  CHECK_FALSE(relocate([](Bytes& b, uint32_t r) { b[r + 9] = 0xA0; }));             // 64-bit entry in a 32-bit image
  CHECK_FALSE(relocate([](Bytes& b, uint32_t r) { Set32(b, r + 4, 6); }));          // block shorter than its header
  CHECK_FALSE(relocate([](Bytes& b, uint32_t r) { Set32(b, r + 4, 400); }));        // block longer than the table
  CHECK_FALSE(relocate([](Bytes& b, uint32_t r) { Set32(b, r, 0x2FFF); }));         // word past the image's end
  CHECK_FALSE(relocate([](Bytes& b, uint32_t r) { Set32(b, r, 0xFFFFF800u); }));    // page number that wraps

  auto bind = [&](void (*damage)(Bytes&), TImportFailure* failure) {
    TTestImage t(false);
    damage(t.image);
    REQUIRE(Unpack(t.Pack(), &image, &info));
    TFakeSystem system;
    return BindImageImports(image.data(), info, false, system.Resolver(), failure);
  };
  TImportFailure failure;
  CHECK_FALSE(bind([](Bytes& b) { Set32(b, 0x2000 + 12, 0x7FFFFFFF); }, &failure));  // library name outside
  CHECK(failure.library == nullptr);
  CHECK_FALSE(bind([](Bytes& b) { Set32(b, 0x2100, 0x2FFF); }, &failure));  // function name at the very end
  CHECK(failure.library == nullptr);
  CHECK_FALSE(bind([](Bytes& b) { memset(&b[0x2FF0], 'A', 16); Set32(b, 0x2000 + 12, 0x2FF0); }, &failure));  // no NUL
  CHECK_FALSE(bind([](Bytes& b) { Set32(b, 0x2000, 0x2FFE); }, &failure));  // lookup table off the end
}

TEST_CASE("the packer's output for the real setup program unpacks to its sections") {
  // The Windows trees beside this one hold setup-image.exe when they are built.
  for (const char* tree : {"win32", "win64"}) {
    std::string dir = std::string(KESTIN_BINARY_DIR) + "/../" + tree + "/";
    std::string program = dir + "setup-image.exe";
    if (ReadWholeFile(program).empty()) {
      MESSAGE("no " << program << "; make " << tree << " first");
      continue;
    }
    CAPTURE(tree);
    std::string out = std::string(KESTIN_BINARY_DIR) + "/tests/packed-" + tree + ".bin";
    std::string command = "python3 " + std::string(KESTIN_SOURCE_DIR) + "/scripts/pack-image.py " + program +
                          " " + out + " >/dev/null";
    REQUIRE(system(command.c_str()) == 0);
    Bytes packed = ReadWholeFile(out);
    Bytes pe = ReadWholeFile(program);
    TPackedImageInfo info;
    Bytes image;
    REQUIRE(Unpack(packed, &image, &info));

    // Every section but the resources, as the system maps it.
    uint32_t h = Get32(&pe[0x3C]);
    unsigned sections = pe[h + 6] | pe[h + 7] << 8;
    unsigned optionalSize = pe[h + 20] | pe[h + 21] << 8;
    bool pe64 = pe[h + 24] == 0x0B && pe[h + 25] == 0x02;
    CHECK(info.entryRva == Get32(&pe[h + 24 + 16]));
    CHECK(info.imageBase == (pe64 ? Get64(&pe[h + 24 + 24]) : Get32(&pe[h + 24 + 28])));
    CHECK(info.sectionCount == sections);
    for (unsigned i = 0; i < sections; i++) {
      const uint8_t* s = &pe[h + 24 + optionalSize + 40 * i];
      std::string name((const char*)s, strnlen((const char*)s, 8));
      uint32_t vsize = Get32(s + 8), rva = Get32(s + 12), rawSize = Get32(s + 16), rawAt = Get32(s + 20);
      CAPTURE(name);
      if (name == ".rsrc") continue;
      uint32_t n = rawSize < vsize ? rawSize : vsize;
      CHECK(memcmp(&image[rva], &pe[rawAt], n) == 0);
      CHECK(PackedImageSection(info, i).rva == rva);
    }
    CHECK(RelocateImage(image.data(), info, pe64 ? 0x7FF700000000ull : 0x10000000u, pe64));
    TFakeSystem system;
    TImportFailure failure;
    CHECK(BindImageImports(image.data(), info, pe64, system.Resolver(), &failure));
    CHECK(system.asked.size() > 100);
  }
}
