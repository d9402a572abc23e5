// Stand-in helper library: reports which copy of it was loaded.
#ifndef PROBE_VALUE
#define PROBE_VALUE 42
#endif
extern "C" __declspec(dllexport) int __cdecl KestinProbe() { return PROBE_VALUE; }
