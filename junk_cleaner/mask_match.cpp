// Junk masks compiled to tokens and matched with one back-tracking point per
// "*": linear in practice, and a quick test of the name's last character
// turns away most names before any matching starts.
#include "junk_cleaner/mask_match.h"

namespace vl::junk {

namespace {

constexpr int kMaxStarsBeforeText = 30;

char32_t Lower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; }

// Code points of UTF-8 text, a to z made lower case when `lower`; a byte
// that starts no valid sequence stands for itself.
void Decode(const std::string& text, std::vector<char32_t>& out, bool lower) {
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char b = s[i];
    if (b < 0x80) {
      out.push_back(lower ? Lower(b) : b);
      ++i;
      continue;
    }
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t c = b & (0x3F >> extra);
    bool ok = extra > 0;
    for (int k = 1; ok && k <= extra; ++k) {
      if (i + k >= n || (s[i + k] & 0xC0) != 0x80) ok = false;
      else c = (c << 6) | (s[i + k] & 0x3F);
    }
    if (!ok) {
      out.push_back(b);
      ++i;
    } else {
      out.push_back(c);
      i += static_cast<size_t>(extra) + 1;
    }
  }
}

enum class Op : uint8_t { kChar, kAny, kSet, kStar };

struct Token {
  explicit Token(Op o, char32_t ch = 0) : op(o), c(ch) {}
  Op op;
  bool negated = false;
  char32_t c = 0;
  std::vector<std::pair<char32_t, char32_t>> ranges;  // kSet, as written

  bool InSet(char32_t x) const {
    for (const auto& r : ranges)
      if (x >= r.first && x <= r.second) return true;
    return false;
  }

  bool Matches(char32_t x) const {
    switch (op) {
      case Op::kChar: return x == c;
      case Op::kAny: return true;
      case Op::kSet: {
        // The name is lower case; a set written in upper case still takes its letters.
        bool in = InSet(x) || (x >= U'a' && x <= U'z' && InSet(x - 32));
        return in != negated;
      }
      case Op::kStar: return false;
    }
    return false;
  }
};

// Parses `mask`; the error text, empty when it is valid.
std::string Parse(const std::string& mask, std::vector<Token>& tokens) {
  std::vector<char32_t> m;
  Decode(mask, m, false);
  int starsBeforeText = 0;
  for (size_t i = 0; i < m.size(); ++i) {
    char32_t c = m[i];
    if (c == U'*') {
      if (tokens.empty() || tokens.back().op != Op::kStar) tokens.emplace_back(Op::kStar);
      continue;
    }
    if (!tokens.empty() && tokens.back().op == Op::kStar) ++starsBeforeText;
    if (c == U'?') {
      tokens.emplace_back(Op::kAny);
    } else if (c == U'[') {
      Token t(Op::kSet);
      size_t j = i + 1;
      if (j < m.size() && m[j] == U'!') {
        t.negated = true;
        ++j;
      }
      bool closed = false;
      for (; j < m.size(); ++j) {
        char32_t x = m[j];
        if (x == U']') {
          closed = true;
          break;
        }
        if (x == U'-') {
          if (t.ranges.empty()) return "a \"-\" in a set has no character before it";
          if (j + 1 < m.size() && m[j + 1] != U']') {
            t.ranges.back().second = m[j + 1];
            ++j;
          } else {
            t.ranges.push_back({U'-', U'-'});
          }
          continue;
        }
        t.ranges.push_back({x, x});
      }
      if (!closed) return "a \"[\" has no closing \"]\"";
      if (t.ranges.empty()) return "a set between \"[\" and \"]\" is empty";
      tokens.push_back(std::move(t));
      i = j;
    } else {
      tokens.emplace_back(Op::kChar, Lower(c));
    }
  }
  if (starsBeforeText > kMaxStarsBeforeText) return "more than 30 \"*\" are followed by further characters";
  return "";
}

// Whether the token takes any character a file name can hold.
bool TakesAnyNameCharacter(const Token& t) {
  if (t.op == Op::kAny) return true;
  if (t.op != Op::kSet) return false;
  // Names are matched in lower case; the characters Windows forbids in
  // names need not be taken.
  auto forbidden = [](char32_t c) {
    return c < 0x20 || c == U'\\' || c == U'/' || c == U':' || c == U'*' || c == U'?' || c == U'"' ||
           c == U'<' || c == U'>' || c == U'|';
  };
  for (char32_t c = 0x20; c <= 0x10FFFF; ++c) {
    if (forbidden(c) || (c >= U'A' && c <= U'Z')) continue;
    if (!t.Matches(c)) return false;
  }
  return true;
}

// The tokens [from, to) match every name long enough: a "*" and otherwise
// only characters taken whatever they are ("*", "?*", "*??*").
bool MatchesEveryName(const std::vector<Token>& tokens, size_t from, size_t to) {
  bool star = false;
  for (size_t i = from; i < to; ++i) {
    if (tokens[i].op == Op::kStar) star = true;
    else if (!TakesAnyNameCharacter(tokens[i])) return false;
  }
  return star;
}

// The tokens [from, to) hold wildcards only: they say nothing of the name but its length.
bool OnlyWildcards(const std::vector<Token>& tokens, size_t from, size_t to) {
  if (from >= to) return false;
  for (size_t i = from; i < to; ++i)
    if (tokens[i].op != Op::kStar && !TakesAnyNameCharacter(tokens[i])) return false;
  return true;
}

}  // namespace

std::string MaskBreadthError(const std::string& mask) {
  std::vector<Token> tokens;
  if (mask.empty() || !Parse(mask, tokens).empty()) return "";
  if (MatchesEveryName(tokens, 0, tokens.size()))
    return "it matches every file name, so a scan would list every file of the drive";
  // "*.*", "*.???", "*.?*": any name, a dot, any extension of some length.
  for (size_t i = 0; i < tokens.size(); ++i)
    if (tokens[i].op == Op::kChar && tokens[i].c == U'.' && MatchesEveryName(tokens, 0, i) &&
        OnlyWildcards(tokens, i + 1, tokens.size()))
      return "it matches every file name with an extension, so a scan would list nearly every file of the drive";
  return "";
}

struct MaskList::Compiled {
  std::vector<Token> tokens;
  // A mask that ends in a plain character turns away every name that does not.
  bool lastIsChar = false;
  char32_t last = 0;
  size_t minLength = 0;  // characters any match needs

  bool Match(const std::vector<char32_t>& name) const {
    if (name.size() < minLength) return false;
    if (lastIsChar && (name.empty() || name.back() != last)) return false;
    size_t t = 0, n = 0;
    size_t starT = SIZE_MAX, starN = 0;
    while (n < name.size()) {
      if (t < tokens.size() && tokens[t].op == Op::kStar) {
        starT = ++t;
        starN = n;
      } else if (t < tokens.size() && tokens[t].Matches(name[n])) {
        ++t;
        ++n;
      } else if (starT != SIZE_MAX) {
        t = starT;
        n = ++starN;
      } else {
        return false;
      }
    }
    while (t < tokens.size() && tokens[t].op == Op::kStar) ++t;
    return t == tokens.size();
  }
};

std::string MaskError(const std::string& mask) {
  std::vector<Token> tokens;
  return Parse(mask, tokens);
}

MaskList::MaskList(const std::vector<std::string>& masks) {
  for (const std::string& mask : masks) {
    auto c = std::make_unique<Compiled>();
    if (mask.empty() || !Parse(mask, c->tokens).empty()) continue;
    for (const Token& t : c->tokens)
      if (t.op != Op::kStar) ++c->minLength;
    c->lastIsChar = c->tokens.back().op == Op::kChar;
    c->last = c->tokens.back().c;
    masks_.push_back(std::move(c));
    texts_.push_back(mask);
  }
}

MaskList::~MaskList() = default;

int MaskList::FirstMatch(const std::string& name) const {
  Decode(name, name_, true);
  for (size_t i = 0; i < masks_.size(); ++i)
    if (masks_[i]->Match(name_)) return static_cast<int>(i);
  return -1;
}

}  // namespace vl::junk
