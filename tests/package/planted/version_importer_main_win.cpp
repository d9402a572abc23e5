// The control for the planting test: a program that imports the version
// library statically, as setup.exe once did. It shows that the planted copy
// is picked up by a program that imports it.
#include <windows.h>

int main(int argc, char** argv) {
  DWORD unused = 0;
  return GetFileVersionInfoSizeA(argv[0], &unused) == 0 ? 0 : 1;
}
