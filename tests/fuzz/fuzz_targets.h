// The entry points of the fuzz targets, one per parser of bytes that come from outside the
// program. Each takes one input, runs it through the parser as the program would, checks the
// promises the parser makes to its callers (aborting when one is broken) and returns 0.
//
// fuzz_main.cpp turns one of them into a libFuzzer program; the corpus replay test calls all of
// them on the committed corpus (tests/fuzz/corpus/<target>/).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornhold::fuzz {

// Whole archives through ArchiveExtract: the container walk, stored and packed entries, solid
// streams, the cipher for enciphered entries, the CRC check.
int ArchiveExtractFuzz(const std::uint8_t* data, std::size_t size);
// Packed bytes of an enciphered entry: enciphered with a fixed password, wrapped in an archive and
// extracted with that password, so the decipher path always runs and the decoder sees the bytes.
int ArchiveCipherFuzz(const std::uint8_t* data, std::size_t size);
// The RAR 2.0 decoder alone, two entries of one solid stream.
int Unpack20Fuzz(const std::uint8_t* data, std::size_t size);
// BMP, DIB, TGA, JPEG and PNG files through the texture loader's decoders.
int ImageDecodeFuzz(const std::uint8_t* data, std::size_t size);
// .x mesh files: text, binary, MSZIP-compressed.
int XFileParseFuzz(const std::uint8_t* data, std::size_t size);
// "part.txt" through ApplyPartKeywords.
int PartKeywordsFuzz(const std::uint8_t* data, std::size_t size);
// The soundtrack file through CheckMp3File and the MP3 decoder (open and a few frames).
int Mp3StreamFuzz(const std::uint8_t* data, std::size_t size);
// Resource scripts through the resource compiler.
int RcScriptFuzz(const std::uint8_t* data, std::size_t size);

}  // namespace vornhold::fuzz
