// English-like text: words drawn with Zipf frequencies (weight 1/rank) from a vocabulary of
// common English words followed by made-up words of English-like syllables, with sentence
// punctuation, wrapped lines and paragraphs. Prose is plain paragraphs; the manual style adds
// numbered headings, bullet lists and CR LF line ends.
#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <string_view>

#include "bench/bench_random.h"
#include "bench/corpus.h"

namespace {

constexpr std::string_view kCommonWords[] = {
    "the",   "of",    "and",   "to",     "a",      "in",    "is",    "it",    "that",  "was",
    "for",   "on",    "are",   "with",   "as",     "he",    "they",  "be",    "at",    "one",
    "have",  "this",  "from",  "or",     "had",    "by",    "not",   "word",  "but",   "what",
    "some",  "we",    "can",   "out",    "other",  "were",  "all",   "there", "when",  "up",
    "use",   "your",  "how",   "said",   "an",     "each",  "she",   "which", "do",    "their",
    "time",  "if",    "will",  "way",    "about",  "many",  "then",  "them",  "write", "would",
    "like",  "so",    "these", "her",    "long",   "make",  "thing", "see",   "him",   "two",
    "has",   "look",  "more",  "day",    "could",  "go",    "come",  "did",   "number", "sound",
    "no",    "most",  "people", "my",    "over",   "know",  "water", "than",  "call",  "first",
    "who",   "may",   "down",  "side",   "been",   "now",   "find",  "any",   "new",   "work",
    "part",  "take",  "get",   "place",  "made",   "live",  "where", "after", "back",  "little",
    "only",  "round", "man",   "year",   "came",   "show",  "every", "good",  "me",    "give",
    "our",   "under", "name",  "very",   "through", "just", "form",  "light", "great", "think",
};

constexpr std::string_view kOnsets[] = {"",   "",   "",   "b",  "c",  "d",  "f",  "g",  "h",
                                        "j",  "k",  "l",  "m",  "n",  "p",  "r",  "s",  "t",
                                        "v",  "w",  "y",  "bl", "br", "ch", "cl", "cr", "dr",
                                        "fl", "fr", "gr", "pl", "pr", "sh", "sl", "sp", "st",
                                        "str", "th", "tr", "wh"};
constexpr std::string_view kVowels[] = {"a", "e", "i", "o", "u", "a", "e", "i", "o",
                                        "ea", "ee", "ai", "ou", "oo", "ie", "y"};
constexpr std::string_view kCodas[] = {"",  "",  "",   "",   "",   "",   "n",  "r",  "s",  "t",
                                       "l", "d", "m",  "ng", "st", "nd", "ck", "th", "rt", "ll"};
constexpr std::string_view kSuffixes[] = {"ing", "ed", "er", "ly", "tion", "ment", "ness", "s",
                                          "able", "ous"};

template <std::size_t N>
std::string_view Pick(BenchRandom& rng, const std::string_view (&list)[N]) {
  return list[rng.Below(N)];
}

// One vocabulary for every text, so that the files share a language the way real documents do.
struct Vocabulary {
  std::vector<std::string> words;
  std::vector<double> cumulative;  // Zipf weights 1/rank, summed

  Vocabulary() {
    BenchRandom rng(0x776F726473ull);
    std::set<std::string> seen;
    for (std::string_view w : kCommonWords) {
      words.emplace_back(w);
      seen.emplace(w);
    }
    while (words.size() < 6000) {
      std::string w;
      const int syllables = 1 + (rng.Chance(0.5) ? 1 : 0) + (rng.Chance(0.15) ? 1 : 0);
      for (int s = 0; s < syllables; ++s) {
        w += Pick(rng, kOnsets);
        w += Pick(rng, kVowels);
        w += Pick(rng, kCodas);
      }
      if (rng.Chance(0.2)) w += Pick(rng, kSuffixes);
      if (w.size() >= 2 && seen.insert(w).second) words.push_back(std::move(w));
    }
    double sum = 0;
    for (std::size_t rank = 1; rank <= words.size(); ++rank) {
      sum += 1.0 / static_cast<double>(rank);
      cumulative.push_back(sum);
    }
  }

  std::size_t Draw(BenchRandom& rng) const {
    const double x = rng.Unit() * cumulative.back();
    const auto it = std::upper_bound(cumulative.begin(), cumulative.end(), x);
    return std::min<std::size_t>(it - cumulative.begin(), words.size() - 1);
  }

  // Real text repeats word pairs ("of the", "in order"): every word has four fixed followers,
  // drawn from the same Zipf weights, and one of them comes next in 40% of the cases.
  std::size_t DrawAfter(BenchRandom& rng, std::size_t previous) const {
    if (!rng.Chance(0.4)) return Draw(rng);
    BenchRandom followers(previous * 4 + rng.Below(4));
    return Draw(followers);
  }
};

const Vocabulary& SharedVocabulary() {
  static const Vocabulary vocabulary;
  return vocabulary;
}

std::string Sentence(BenchRandom& rng) {
  const Vocabulary& vocabulary = SharedVocabulary();
  std::string s;
  const bool quoted = rng.Chance(0.06);
  if (quoted) s += '"';
  const int count = rng.Range(4, 22);
  std::size_t previous = 0;
  for (int i = 0; i < count; ++i) {
    previous = i == 0 ? vocabulary.Draw(rng) : vocabulary.DrawAfter(rng, previous);
    std::string word = vocabulary.words[previous];
    if (rng.Chance(0.015)) word = std::to_string(rng.Range(2, 2000));
    if (i == 0 || rng.Chance(0.02)) word[0] = static_cast<char>(std::toupper(word[0]));
    s += word;
    if (i + 1 < count) {
      if (rng.Chance(0.09)) s += ',';
      else if (rng.Chance(0.01)) s += ';';
      s += ' ';
    }
  }
  const double end = rng.Unit();
  s += end < 0.86 ? '.' : end < 0.96 ? '?' : '!';
  if (quoted) s += '"';
  return s;
}

// Appends `words` (space-separated) to `out`, breaking lines before `width` columns; every
// line after the first starts with `indent`.
void AppendWrapped(std::string& out, const std::string& words, std::size_t width,
                   std::string_view indent, std::string_view newline) {
  std::size_t column = 0;
  std::size_t pos = 0;
  while (pos < words.size()) {
    std::size_t end = words.find(' ', pos);
    if (end == std::string::npos) end = words.size();
    const std::size_t length = end - pos;
    if (column > 0 && column + 1 + length > width) {
      out += newline;
      out += indent;
      column = indent.size();
    } else if (column > 0) {
      out += ' ';
      ++column;
    }
    out.append(words, pos, length);
    column += length;
    pos = end + 1;
  }
  out += newline;
}

std::string Paragraph(BenchRandom& rng, int sentences) {
  std::string p;
  for (int i = 0; i < sentences; ++i) {
    if (i > 0) p += ' ';
    p += Sentence(rng);
  }
  return p;
}

void AppendProse(BenchRandom& rng, std::string& out) {
  AppendWrapped(out, Paragraph(rng, rng.Range(2, 8)), 72, "", "\n");
  out += '\n';
}

void AppendManualSection(BenchRandom& rng, std::string& out, int& section) {
  const Vocabulary& vocabulary = SharedVocabulary();
  ++section;
  std::string heading = std::to_string(section / 4 + 1) + "." + std::to_string(section % 4 + 1);
  for (int i = rng.Range(2, 5); i > 0; --i) {
    std::string word = vocabulary.words[vocabulary.Draw(rng)];
    word[0] = static_cast<char>(std::toupper(word[0]));
    heading += ' ' + word;
  }
  out += heading + "\r\n" + std::string(heading.size(), '-') + "\r\n\r\n";
  for (int i = rng.Range(1, 3); i > 0; --i) {
    AppendWrapped(out, Paragraph(rng, rng.Range(1, 5)), 64, "", "\r\n");
    out += "\r\n";
  }
  if (rng.Chance(0.6)) {
    for (int i = rng.Range(2, 7); i > 0; --i) {
      out += "  - ";
      AppendWrapped(out, Sentence(rng), 64, "    ", "\r\n");
    }
    out += "\r\n";
  }
}

}  // namespace

std::vector<std::uint8_t> GenerateText(std::size_t bytes, std::uint64_t seed, TextStyle style) {
  BenchRandom rng(seed);
  std::string out;
  out.reserve(bytes + 4096);
  int section = 0;
  while (out.size() < bytes) {
    if (style == TextStyle::kProse) AppendProse(rng, out);
    else AppendManualSection(rng, out, section);
  }
  out.resize(bytes);
  return {out.begin(), out.end()};
}
