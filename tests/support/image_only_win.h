// Whether a process runs only code mapped from image files on disk (its
// program and the libraries it loaded by path). Code unpacked into memory of
// its own is out of reach of scanners and of the system's checks of signed
// files, so a release that runs such code must not get past the tests.
#pragma once
#include <windows.h>

#include <string>

// A line for each committed executable region of `process` that is not part
// of an image (address, size, protection, type) and for each of its threads
// whose start address lies outside an image (thread id, address and what is
// there); empty when there are none. What cannot be looked at (a thread whose
// start the system does not tell, an address space that cannot be read) is
// a line too, so a check that could not look never passes. For example:
//   executable region 0x10a1000 +0x23000: MEM_PRIVATE PAGE_EXECUTE_READ, allocated at 0x10a0000
//   thread 0x1c8 starts at 0x10b29a0: MEM_PRIVATE PAGE_EXECUTE_READ, allocated at 0x10a0000
// `process` needs PROCESS_QUERY_INFORMATION.
std::string CodeOutsideImages(HANDLE process);
