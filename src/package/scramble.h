// The cabinet's first 128 bytes are stored scrambled in a package: 32
// little-endian 32-bit words, each XORed with a fixed key. The same XOR undoes it.
#pragma once
#include <stddef.h>

const unsigned kScrambleKey = 0x3C5A96E1u;
const size_t kScrambledHead = 128;

// XORs bytes [0, min(n, 128)) of a cabinet's start in place. Works byte by
// byte, so a cabinet shorter than 128 bytes round-trips too.
void XorCabinetHead(unsigned char* bytes, size_t n);
// The same for a piece that starts at cabinet position `at`.
void XorCabinetHeadAt(unsigned char* bytes, size_t n, size_t at);
