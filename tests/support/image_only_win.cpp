#include "image_only_win.h"

#include <tlhelp32.h>

#include <cstdio>

namespace {

std::string Hex(uintptr_t v) {
  char s[24];
  snprintf(s, sizeof s, "0x%llx", (unsigned long long)v);
  return s;
}

bool Executable(DWORD protect) {
  return protect & (PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
}

std::string Protection(DWORD protect) {
  static const char* const kNames[] = {"PAGE_NOACCESS", "PAGE_READONLY", "PAGE_READWRITE", "PAGE_WRITECOPY",
                                       "PAGE_EXECUTE", "PAGE_EXECUTE_READ", "PAGE_EXECUTE_READWRITE",
                                       "PAGE_EXECUTE_WRITECOPY"};
  for (int i = 0; i < 8; i++)
    if ((protect & 0xFF) == 1u << i) return kNames[i] + (protect & ~0xFFu ? "|" + Hex(protect & ~0xFFu) : "");
  return Hex(protect);
}

// "MEM_PRIVATE PAGE_EXECUTE_READ, allocated at 0x10000": the allocation ties
// a thread's start to the region reported for it.
std::string Kind(const MEMORY_BASIC_INFORMATION& m) {
  if (m.State != MEM_COMMIT) return m.State == MEM_FREE ? "free memory" : "reserved memory";
  std::string type = m.Type == MEM_IMAGE     ? "MEM_IMAGE"
                     : m.Type == MEM_MAPPED  ? "MEM_MAPPED"
                     : m.Type == MEM_PRIVATE ? "MEM_PRIVATE"
                                             : "type " + Hex(m.Type);
  return type + " " + Protection(m.Protect) + ", allocated at " + Hex((uintptr_t)m.AllocationBase);
}

typedef LONG(NTAPI* TQueryThread)(HANDLE thread, int what, void* out, ULONG size, ULONG* got);
const int kThreadWin32StartAddress = 9;

}  // namespace

std::string CodeOutsideImages(HANDLE process) {
  std::string out;
  MEMORY_BASIC_INFORMATION m;
  uintptr_t at = 0;
  while (VirtualQueryEx(process, (void*)at, &m, sizeof m) == sizeof m) {
    if (m.State == MEM_COMMIT && m.Type != MEM_IMAGE && Executable(m.Protect))
      out += "executable region " + Hex((uintptr_t)m.BaseAddress) + " +" + Hex(m.RegionSize) + ": " + Kind(m) + "\n";
    uintptr_t next = (uintptr_t)m.BaseAddress + m.RegionSize;
    if (next <= at) break;
    at = next;
  }
  if (at == 0) out += "its memory cannot be queried: error " + std::to_string(GetLastError()) + "\n";

  TQueryThread query = (TQueryThread)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread");
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (!query || snapshot == INVALID_HANDLE_VALUE) return out + "its threads cannot be listed\n";
  DWORD pid = GetProcessId(process);
  int threads = 0;
  THREADENTRY32 t;
  t.dwSize = sizeof t;
  for (BOOL more = Thread32First(snapshot, &t); more; more = Thread32Next(snapshot, &t)) {
    if (t.th32OwnerProcessID != pid) continue;
    threads++;
    std::string name = "thread " + Hex(t.th32ThreadID);
    HANDLE h = OpenThread(THREAD_QUERY_INFORMATION, FALSE, t.th32ThreadID);
    if (!h) {
      // Ended since the snapshot: it runs nothing any more.
      if (GetLastError() != ERROR_INVALID_PARAMETER)
        out += name + ": cannot be opened: error " + std::to_string(GetLastError()) + "\n";
      continue;
    }
    // Wine records a thread's start when the thread first runs, so one just
    // created tells 0 for a moment; nothing starts at 0.
    void* start = nullptr;
    LONG status = query(h, kThreadWin32StartAddress, &start, sizeof start, nullptr);
    for (int wait = 0; status == 0 && !start && wait < 100; wait++) {
      Sleep(10);
      status = query(h, kThreadWin32StartAddress, &start, sizeof start, nullptr);
    }
    CloseHandle(h);
    if (status != 0 || !start) {
      out += name + ": its start address is not known: status " + Hex((ULONG)status) + "\n";
    } else if (VirtualQueryEx(process, start, &m, sizeof m) != sizeof m) {
      out += name + " starts at " + Hex((uintptr_t)start) + ", which cannot be queried\n";
    } else if (m.State != MEM_COMMIT || m.Type != MEM_IMAGE) {
      out += name + " starts at " + Hex((uintptr_t)start) + ": " + Kind(m) + "\n";
    }
  }
  CloseHandle(snapshot);
  if (threads == 0) out += "no thread of process " + std::to_string(pid) + " is listed\n";
  return out;
}
