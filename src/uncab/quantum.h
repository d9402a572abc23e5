// Quantum blocks of one folder: a window of 2^10 to 2^21 bytes, an adaptive
// arithmetic coder over seven models (four literal ranges, three match
// kinds, a match length model and the selector between them). Each CFDATA
// block decodes to one frame of 32768 bytes (the folder's last may be
// shorter); the coder starts afresh at every frame, the models and the window
// carry on.
#pragma once
#include "uncab/decoders.h"

struct TQuantum;

// windowBits 10..21 (checked by the caller). One allocation.
DecodeResult Quantum_Create(const TDecoderMemory* memory, unsigned windowBits, TQuantum** out);
DecodeResult Quantum_Block(TQuantum* q, const uint8_t* in, unsigned inLen, uint8_t* out,
                           unsigned outLen);
