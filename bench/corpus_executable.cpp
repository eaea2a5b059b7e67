// Executable-like binaries: a 32-bit PE layout (DOS stub, PE and section headers) with a .text
// section of x86-like functions (prologues, register moves, stack-frame accesses, calls to other
// functions and through an import table, short branches, epilogues, 0xCC alignment), an .rdata
// section of pointer tables, import names, message strings and float constants, and a .data
// section that is mostly zeros with scattered words. Sections are padded with zeros to 512-byte
// file alignment, as linkers do. Nothing here needs to run; it needs to compress like code.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "bench/bench_random.h"
#include "bench/corpus.h"

namespace {

constexpr std::uint32_t kImageBase = 0x00400000;
constexpr std::uint32_t kFileAlign = 0x200;
constexpr std::uint32_t kSectionAlign = 0x1000;

constexpr std::string_view kImportNames[] = {
    "CreateFileA",        "ReadFile",          "WriteFile",        "CloseHandle",
    "GetProcAddress",     "LoadLibraryA",      "GetModuleHandleA", "HeapAlloc",
    "HeapFree",           "GetTickCount",      "QueryPerformanceCounter", "Sleep",
    "PeekMessageA",       "DispatchMessageA",  "TranslateMessage", "DefWindowProcA",
    "CreateWindowExA",    "RegisterClassA",    "ShowCursor",       "MessageBoxA",
    "SetWindowPos",       "GetClientRect",     "Direct3DCreate8",  "timeGetTime",
    "BASS_Init",          "BASS_StreamCreateFile", "BASS_ChannelPlay", "ExitProcess",
    "GetCommandLineA",    "GetStartupInfoA",   "VirtualAlloc",     "VirtualFree",
};

class Emitter {
 public:
  explicit Emitter(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(unsigned v) { out_.push_back(static_cast<std::uint8_t>(v)); }
  void U16(unsigned v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
  void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
  void Bytes(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
  void AlignWith(std::size_t alignment, std::uint8_t fill) {
    while (out_.size() % alignment != 0) out_.push_back(fill);
  }
  std::size_t Size() const { return out_.size(); }

 private:
  std::vector<std::uint8_t>& out_;
};

struct Layout {
  std::uint32_t textRva = kSectionAlign, textSize = 0;
  std::uint32_t rdataRva = 0, rdataSize = 0;
  std::uint32_t dataRva = 0, dataSize = 0;
  std::uint32_t iatRva = 0;     // import address table at the start of .rdata
  int importCount = 0;
  std::vector<std::uint32_t> stringVas;  // addresses of strings in .rdata
};

std::uint32_t AlignUp(std::uint32_t v, std::uint32_t a) { return (v + a - 1) / a * a; }

// Registers weighted the way compiled code uses them: eax, ecx, edx, esi most often.
int Register(BenchRandom& rng) {
  static constexpr int kWeighted[] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 6, 6, 7, 3};
  return kWeighted[rng.Below(sizeof(kWeighted) / sizeof(kWeighted[0]))];
}

int FrameOffset(BenchRandom& rng) {
  return rng.Chance(0.3) ? 8 + 4 * rng.Range(0, 4) : -4 * rng.Range(1, 24);
}

void EmitInstruction(BenchRandom& rng, Emitter& e, const Layout& layout,
                     const std::vector<std::uint32_t>& functions, std::uint32_t textBase) {
  const int r = Register(rng), s = Register(rng);
  const std::uint32_t pc = kImageBase + textBase + static_cast<std::uint32_t>(e.Size());
  const auto global = [&] { return kImageBase + layout.dataRva + 4 * rng.Below(layout.dataSize / 16 + 1); };
  switch (rng.Below(20)) {
    case 0: case 1: case 2:  // mov r32, [ebp+disp8]
      e.U8(0x8B); e.U8(0x45 | (r << 3)); e.U8(FrameOffset(rng) & 0xFF); break;
    case 3: case 4:  // mov [ebp+disp8], r32
      e.U8(0x89); e.U8(0x45 | (r << 3)); e.U8(FrameOffset(rng) & 0xFF); break;
    case 5:  // mov r32, imm32
      e.U8(0xB8 + r); e.U32(rng.Chance(0.5) ? rng.Below(256) : global()); break;
    case 6:  // mov eax, [abs32] / mov r32, [abs32]
      if (r == 0) { e.U8(0xA1); } else { e.U8(0x8B); e.U8(0x05 | (r << 3)); }
      e.U32(global()); break;
    case 7:  // push r32 / push imm32 (a string) / push imm8
      if (rng.Chance(0.4)) e.U8(0x50 + r);
      else if (!layout.stringVas.empty() && rng.Chance(0.6)) {
        e.U8(0x68); e.U32(layout.stringVas[rng.Below(static_cast<std::uint32_t>(layout.stringVas.size()))]);
      } else { e.U8(0x6A); e.U8(rng.Below(64)); }
      break;
    case 8: {  // call rel32 to a known function, then drop the arguments
      const std::uint32_t target = functions.empty() ? pc + 5 : functions[rng.Below(static_cast<std::uint32_t>(functions.size()))];
      e.U8(0xE8); e.U32(target - (pc + 5));
      if (rng.Chance(0.5)) { e.U8(0x83); e.U8(0xC4); e.U8(4 * rng.Range(1, 4)); }
      break;
    }
    case 9:  // call [import]
      e.U8(0xFF); e.U8(0x15);
      e.U32(kImageBase + layout.iatRva + 4 * rng.Below(static_cast<std::uint32_t>(layout.importCount)));
      break;
    case 10: case 11: {  // add/sub/and/or/xor/cmp r32, r32
      static constexpr std::uint8_t kOps[] = {0x01, 0x29, 0x21, 0x09, 0x31, 0x39, 0x8B, 0x8B};
      e.U8(kOps[rng.Below(8)]); e.U8(0xC0 | (s << 3) | r); break;
    }
    case 12:  // cmp / add r32, imm8
      e.U8(0x83); e.U8((rng.Chance(0.6) ? 0xF8 : 0xC0) | r); e.U8(rng.Below(32)); break;
    case 13:  // test eax, eax ; jcc rel8
      e.U8(0x85); e.U8(0xC0 | (r << 3) | r);
      e.U8(0x74 + rng.Below(12)); e.U8(rng.Range(2, 40)); break;
    case 14:  // jmp rel8
      e.U8(0xEB); e.U8(rng.Chance(0.7) ? rng.Range(2, 60) : 0x100 - rng.Range(4, 60)); break;
    case 15:  // lea r32, [ebp+disp8]
      e.U8(0x8D); e.U8(0x45 | (r << 3)); e.U8(FrameOffset(rng) & 0xFF); break;
    case 16:  // inc / dec
      e.U8((rng.Chance(0.5) ? 0x40 : 0x48) + r); break;
    case 17:  // movzx r32, byte [s+disp8]
      e.U8(0x0F); e.U8(0xB6); e.U8(0x40 | (r << 3) | (s == 4 ? 6 : s)); e.U8(rng.Below(16)); break;
    case 18:  // fld / fstp dword [ebp+disp8]
      e.U8(0xD9); e.U8(rng.Chance(0.5) ? 0x45 : 0x5D); e.U8(FrameOffset(rng) & 0xFF); break;
    default:  // mov r32, [s+disp8]
      e.U8(0x8B); e.U8(0x40 | (r << 3) | (s == 4 ? 6 : s)); e.U8(4 * rng.Below(8)); break;
  }
}

void EmitText(BenchRandom& rng, std::vector<std::uint8_t>& text, const Layout& layout,
              std::size_t budget) {
  Emitter e(text);
  std::vector<std::uint32_t> functions;
  while (text.size() < budget) {
    e.AlignWith(16, 0xCC);
    functions.push_back(kImageBase + layout.textRva + static_cast<std::uint32_t>(text.size()));
    e.U8(0x55); e.U8(0x8B); e.U8(0xEC);  // push ebp; mov ebp, esp
    const int locals = rng.Range(0, 24);
    if (locals > 0) { e.U8(0x83); e.U8(0xEC); e.U8(4 * locals); }
    const int saved = rng.Range(0, 3);  // ebx, esi, edi
    for (int i = 0; i < saved; ++i) e.U8(0x53 + i + (i > 0 ? 2 : 0));
    for (int i = rng.Range(4, 70); i > 0; --i) EmitInstruction(rng, e, layout, functions, layout.textRva);
    for (int i = saved - 1; i >= 0; --i) e.U8(0x5B + i + (i > 0 ? 2 : 0));
    if (rng.Chance(0.5)) { e.U8(0x8B); e.U8(0xE5); e.U8(0x5D); } else { e.U8(0xC9); }
    if (rng.Chance(0.3)) { e.U8(0xC2); e.U16(4 * rng.Range(1, 4)); } else { e.U8(0xC3); }
  }
}

// Fills .rdata: import table, import names, vtables of function pointers, message strings and
// float constants; records where strings start.
void EmitRdata(BenchRandom& rng, std::vector<std::uint8_t>& rdata, Layout& layout,
               std::size_t budget, std::uint64_t seed) {
  Emitter e(rdata);
  const std::uint32_t base = kImageBase + layout.rdataRva;
  const int imports = static_cast<int>(sizeof(kImportNames) / sizeof(kImportNames[0]));
  layout.importCount = imports;
  const std::size_t namesStart = (imports + 1) * 4;
  std::size_t nameOffset = namesStart;
  for (int i = 0; i < imports; ++i) {  // thunks point at hint/name entries below
    e.U32(layout.rdataRva + static_cast<std::uint32_t>(nameOffset));
    nameOffset += AlignUp(static_cast<std::uint32_t>(2 + kImportNames[i].size() + 1), 2);
  }
  e.U32(0);
  for (int i = 0; i < imports; ++i) {
    e.U16(rng.Below(800));
    e.Bytes(kImportNames[i]);
    e.U8(0);
    e.AlignWith(2, 0);
  }
  const std::vector<std::uint8_t> prose = GenerateText(budget / 3 + 256, seed ^ 0x5354u, TextStyle::kProse);
  std::size_t prosePos = 0;
  const std::uint32_t textEnd = kImageBase + layout.textRva + layout.textSize;
  while (rdata.size() < budget) {
    e.AlignWith(4, 0);
    switch (rng.Below(4)) {
      case 0:  // a vtable or jump table: ascending pointers into .text
        for (std::uint32_t p = kImageBase + layout.textRva + rng.Below(layout.textSize) / 16 * 16,
                           n = rng.Range(3, 40);
             n > 0 && p < textEnd; --n, p += 16 * rng.Range(1, 30))
          e.U32(p);
        break;
      case 1:
      case 2: {  // a message or format string
        layout.stringVas.push_back(base + static_cast<std::uint32_t>(rdata.size()));
        const std::size_t length = rng.Range(6, 70);
        for (std::size_t i = 0; i < length && prosePos < prose.size(); ++i) {
          const std::uint8_t c = prose[prosePos++];
          e.U8(c == '\n' ? ' ' : c);
        }
        if (rng.Chance(0.3)) e.Bytes(rng.Chance(0.5) ? " %d" : ": %s\n");
        e.U8(0);
        break;
      }
      default:  // float constants
        for (int n = rng.Range(2, 12); n > 0; --n) {
          const float value = static_cast<float>(rng.Range(-64, 64)) / static_cast<float>(1 << rng.Below(6));
          std::uint32_t bits;
          std::memcpy(&bits, &value, 4);
          e.U32(bits);
        }
        break;
    }
  }
}

void EmitData(BenchRandom& rng, std::vector<std::uint8_t>& data, std::size_t budget) {
  Emitter e(data);
  while (data.size() < budget) {
    if (rng.Chance(0.55)) {
      e.Zeros(4 * rng.Range(1, 256));
    } else {
      for (int n = rng.Range(1, 8); n > 0; --n)
        e.U32(rng.Chance(0.5) ? rng.Below(1024) : kImageBase + 0x1000 * rng.Range(1, 64) + 4 * rng.Below(1024));
    }
  }
  data.resize(budget);
}

void EmitHeaders(Emitter& e, const Layout& layout, std::uint64_t seed) {
  e.Bytes("MZ");
  e.U16(0x90); e.U16(3); e.U16(0); e.U16(4); e.U16(0); e.U16(0xFFFF); e.U16(0);
  e.U16(0xB8); e.U16(0); e.U16(0); e.U16(0); e.U16(0x40); e.U16(0);
  e.Zeros(0x3C - 28);
  e.U32(0x80);  // offset of the PE header
  static constexpr std::uint8_t kStub[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09,
                                           0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
  for (std::uint8_t b : kStub) e.U8(b);
  e.Bytes("This program cannot be run in DOS mode.\r\r\n$");
  e.AlignWith(0x80, 0);
  e.Bytes(std::string_view("PE\0\0", 4));
  e.U16(0x14C); e.U16(3); e.U32(0x3A000000u + static_cast<std::uint32_t>(seed & 0xFFFFFF));
  e.U32(0); e.U32(0); e.U16(0xE0); e.U16(0x10F);
  e.U16(0x10B); e.U8(6); e.U8(0);
  e.U32(layout.textSize); e.U32(layout.rdataSize + layout.dataSize); e.U32(0);
  e.U32(layout.textRva); e.U32(layout.textRva); e.U32(layout.rdataRva);
  e.U32(kImageBase); e.U32(kSectionAlign); e.U32(kFileAlign);
  e.U16(4); e.U16(0); e.U16(0); e.U16(0); e.U16(4); e.U16(0); e.U32(0);
  e.U32(layout.dataRva + AlignUp(layout.dataSize, kSectionAlign)); e.U32(0x400); e.U32(0);
  e.U16(2); e.U16(0);
  e.U32(0x100000); e.U32(0x1000); e.U32(0x100000); e.U32(0x1000); e.U32(0); e.U32(16);
  for (int i = 0; i < 16; ++i) {  // data directories: only the import address table
    e.U32(i == 12 ? layout.iatRva : 0);
    e.U32(i == 12 ? static_cast<std::uint32_t>(layout.importCount + 1) * 4 : 0);
  }
  struct Section { const char* name; std::uint32_t rva, size, characteristics; };
  const Section sections[] = {{".text", layout.textRva, layout.textSize, 0x60000020},
                              {".rdata", layout.rdataRva, layout.rdataSize, 0x40000040},
                              {".data", layout.dataRva, layout.dataSize, 0xC0000040}};
  std::uint32_t fileOffset = 0x400;
  for (const Section& s : sections) {
    char name[8] = {};
    std::memcpy(name, s.name, std::min(sizeof(name), std::strlen(s.name)));
    e.Bytes(std::string_view(name, 8));
    e.U32(s.size); e.U32(s.rva); e.U32(AlignUp(s.size, kFileAlign)); e.U32(fileOffset);
    e.U32(0); e.U32(0); e.U16(0); e.U16(0); e.U32(s.characteristics);
    fileOffset += AlignUp(s.size, kFileAlign);
  }
  e.AlignWith(0x400, 0);
}

}  // namespace

std::vector<std::uint8_t> GenerateExecutable(std::size_t bytes, std::uint64_t seed) {
  BenchRandom rng(seed);
  const std::size_t body = bytes > 0x400 ? bytes - 0x400 : 0;
  const double codeShare = 0.5 + 0.2 * rng.Unit();
  const std::size_t textBudget = static_cast<std::size_t>(static_cast<double>(body) * codeShare);
  const std::size_t rdataBudget = (body - textBudget) * 2 / 3;
  const std::size_t dataBudget = body - textBudget - rdataBudget;

  // Section addresses depend only on the budgets, so .text can refer to .rdata and .data before
  // they are written; string addresses come from a first pass over .rdata.
  Layout layout;
  layout.textSize = static_cast<std::uint32_t>(textBudget + 1024);  // a function may overshoot
  layout.rdataRva = layout.textRva + AlignUp(layout.textSize, kSectionAlign);
  layout.iatRva = layout.rdataRva;
  layout.rdataSize = static_cast<std::uint32_t>(rdataBudget + 80);
  layout.dataRva = layout.rdataRva + AlignUp(layout.rdataSize, kSectionAlign);
  layout.dataSize = static_cast<std::uint32_t>(dataBudget);

  std::vector<std::uint8_t> rdata, text, data;
  EmitRdata(rng, rdata, layout, rdataBudget, seed);
  EmitText(rng, text, layout, textBudget);
  EmitData(rng, data, dataBudget);
  layout.textSize = static_cast<std::uint32_t>(text.size());
  layout.rdataSize = static_cast<std::uint32_t>(rdata.size());

  std::vector<std::uint8_t> out;
  out.reserve(bytes + 3 * kFileAlign);
  Emitter e(out);
  EmitHeaders(e, layout, seed);
  for (const auto* section : {&text, &rdata, &data}) {
    out.insert(out.end(), section->begin(), section->end());
    e.AlignWith(kFileAlign, 0);
  }
  out.resize(bytes);
  return out;
}
