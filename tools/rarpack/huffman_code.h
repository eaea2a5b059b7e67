// Length-limited canonical Huffman codes for the RAR 2.0 encoder.
//
// Code lengths come from package-merge, which gives the cheapest prefix code whose lengths stay
// within the limit. Codes are canonical as the decoder builds them: shorter codes first, and
// within one length in order of symbol value, counting up from all zeros.
#pragma once

#include <cstdint>
#include <span>

// Fills `lengths` (same size as `frequencies`) with optimal code lengths of at most `maxLength`
// bits; symbols of frequency 0 get length 0. One used symbol gets length 1. Requires
// 2^maxLength >= the number of used symbols.
void BuildCodeLengths(std::span<const std::uint32_t> frequencies, int maxLength,
                      std::span<std::uint8_t> lengths);

// Assigns the canonical code of every symbol with a non-zero length (values right-aligned).
void AssignCanonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

// Bits of coding every symbol `frequency` times with `lengths`.
std::uint64_t CodedBits(std::span<const std::uint32_t> frequencies,
                        std::span<const std::uint8_t> lengths);
