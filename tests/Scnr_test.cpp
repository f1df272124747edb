// The token scanner over small files: the tokens it delivers, with kind,
// position and value, or the one error line that ends the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Lib3.h"
#include "Scnr.h"
#include "Support.h"

namespace {

using namespace Scnr;

struct Tok {
  TSymbol sym;
  std::uint32_t l, c;
  std::string text;       // identifiers and literals
  std::uint32_t num = 0;  // numbers
};

Tok S(TSymbol s, std::uint32_t l, std::uint32_t c) { return {s, l, c, ""}; }
Tok Id(std::string t, std::uint32_t l, std::uint32_t c) { return {symId, l, c, std::move(t)}; }
Tok Lit(std::string t, std::uint32_t l, std::uint32_t c) { return {symLit, l, c, std::move(t)}; }
Tok Num(std::uint32_t n, std::uint32_t l, std::uint32_t c) { return {symNum, l, c, "", n}; }
Tok Eos(std::uint32_t l, std::uint32_t c) { return S(symEOS, l, c); }

const char* const symName[] = {
    "Null", "Num",  "Id",   "Lit", "Not", "Mul", "Div",  "And",   "Plus", "Minus",
    "Or",   "Eql",  "Neq",  "Lss", "Leq", "Gtr", "Geq",  "LPar",  "LBrk", "LBrc",
    "RBrc", "RBrk", "RPar", "Col", "Bec", "Bar", "Semi", "Comma", "Dot",  "EOS",
};

std::string Describe(const Tok& t) {
  std::string s = symName[t.sym];
  if (t.sym == symNum) s.append(" ").append(std::to_string(t.num));
  if (t.sym == symId || t.sym == symLit) s.append(" '").append(t.text).append("'");
  s.append(" @(").append(std::to_string(t.l)).append(",").append(std::to_string(t.c)).append(")\n");
  return s;
}

std::string Describe(const std::vector<Tok>& ts) {
  std::string s;
  for (const Tok& t : ts) s += Describe(t);
  return s;
}

// The current token; a text shorter than lit must be closed by a NUL.
std::string Current() {
  std::string s = Describe(Tok{sym, pos.l, pos.c, std::string(lit, len), num});
  if (len < litLen && lit[len] != '\0') s += "  (lit not closed by NUL)\n";
  return s;
}

// Every token up to the end of input; once there, the end stays put.
std::string ScanAll(std::FILE* echo) {
  std::string s;
  for (int n = 0; n < 100000; ++n) {
    Read();
    const std::string t = Current();
    s += t;
    if (echo != nullptr) {
      std::fputs(t.c_str(), echo);
      std::fflush(echo);  // the error ends the process without flushing
    }
    if (sym == symEOS) break;
  }
  const std::string eos = Current();
  Read();
  if (Current() != eos) s += "after the end: " + Current();
  return s;
}

void OpenFile(const std::string& path) {
  Open(Types::TStr(path.c_str(), static_cast<std::uint32_t>(path.size() + 1)));
}

struct Case {
  std::string in;
  std::vector<Tok> toks;  // delivered before the end, or before the error
  std::string err;        // the error line without its line end; empty for none
};

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

// "(*" n times, then "*)" n times: nesting far deeper than any call stack.
std::string Nested(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += "(*";
  for (std::size_t i = 0; i < n; ++i) s += "*)";
  return s;
}

const std::string max32Bin = "%" + std::string(32, '1');
const std::string over32Bin = "%1" + std::string(32, '0');
constexpr std::uint32_t deep = 1000000;

const std::vector<Case> cases = {
    // Token kinds and positions.
    {"a[2].b := $1F;",
     {Id("a", 1, 1), S(symLBrk, 1, 2), Num(2, 1, 3), S(symRBrk, 1, 4), S(symDot, 1, 5), Id("b", 1, 6),
      S(symBec, 1, 8), Num(31, 1, 11), S(symSemi, 1, 14), Eos(1, 14)},
     ""},
    {"x:=%1010 ;", {Id("x", 1, 1), S(symBec, 1, 2), Num(10, 1, 4), S(symSemi, 1, 10), Eos(1, 10)}, ""},
    {"~*/&+-=#()[]{}|;,.",
     {S(symNot, 1, 1), S(symMul, 1, 2), S(symDiv, 1, 3), S(symAnd, 1, 4), S(symPlus, 1, 5), S(symMinus, 1, 6),
      S(symEql, 1, 7), S(symNeq, 1, 8), S(symLPar, 1, 9), S(symRPar, 1, 10), S(symLBrk, 1, 11),
      S(symRBrk, 1, 12), S(symLBrc, 1, 13), S(symRBrc, 1, 14), S(symBar, 1, 15), S(symSemi, 1, 16),
      S(symComma, 1, 17), S(symDot, 1, 18), Eos(1, 18)},
     ""},
    {"<> < > <= >= <>= :=: = ( *",
     {S(symNeq, 1, 1), S(symLss, 1, 4), S(symGtr, 1, 6), S(symLeq, 1, 8), S(symGeq, 1, 11), S(symNeq, 1, 14),
      S(symEql, 1, 16), S(symBec, 1, 18), S(symCol, 1, 20), S(symEql, 1, 22), S(symLPar, 1, 24),
      S(symMul, 1, 26), Eos(1, 26)},
     ""},
    {"Abc abc e0 x9Y", {Id("Abc", 1, 1), Id("abc", 1, 5), Id("e0", 1, 9), Id("x9Y", 1, 12), Eos(1, 12)}, ""},
    {"abcdefghijklmnop;", {Id("abcdefghijklmnop", 1, 1), S(symSemi, 1, 17), Eos(1, 17)}, ""},
    {"'' \"\" 'say \"hi\"' \"it's\" '!~ '",
     {Lit("", 1, 1), Lit("", 1, 4), Lit("say \"hi\"", 1, 7), Lit("it's", 1, 18), Lit("!~ ", 1, 25),
      Eos(1, 25)},
     ""},
    {"'abcdefghijklmnop'x", {Lit("abcdefghijklmnop", 1, 1), Id("x", 1, 19), Eos(1, 19)}, ""},
    // Numbers in three bases, up to the largest.
    {"$ff $FF %0 0 12;",
     {Num(255, 1, 1), Num(255, 1, 5), Num(0, 1, 9), Num(0, 1, 12), Num(12, 1, 14), S(symSemi, 1, 16),
      Eos(1, 16)},
     ""},
    {"4294967295 $FFFFFFFF $000000000001 " + max32Bin,
     {Num(4294967295U, 1, 1), Num(4294967295U, 1, 12), Num(1, 1, 22), Num(4294967295U, 1, 36), Eos(1, 36)},
     ""},
    // Blank space: controls, NUL, DEL and bytes 128 to 255 separate tokens.
    {std::string("\t\r\v\f\x01\x1f \x7f\x80\xff", 10) + std::string(1, '\0') + "x\xc3\xa9y",
     {Id("x", 1, 12), Id("y", 1, 15), Eos(1, 15)},
     ""},
    {"", {Eos(0, 0)}, ""},
    {"  \n\t\r\n ", {Eos(0, 0)}, ""},
    // Comments: nested, empty, at the end; pos stays at the last "(".
    {"(* p (* q *) r *) x", {Id("x", 1, 19), Eos(1, 19)}, ""},
    {"(**)", {Eos(1, 1)}, ""},
    {"x; (* a\n**) (*(**)*)\n", {Id("x", 1, 1), S(symSemi, 1, 2), Eos(2, 5)}, ""},
    {"(* ((* *) ** *) y", {Id("y", 1, 17), Eos(1, 17)}, ""},
    {Nested(deep) + "x", {Id("x", 1, 4 * deep + 1), Eos(1, 4 * deep + 1)}, ""},
    // Lines: LF ends a line; CR takes a column.
    {"tel.a := 1;\r\n\r\n\tb\r\n",
     {Id("tel", 1, 1), S(symDot, 1, 4), Id("a", 1, 5), S(symBec, 1, 7), Num(1, 1, 10), S(symSemi, 1, 11),
      Id("b", 3, 2), Eos(3, 2)},
     ""},
    // Block boundary: 4096 bytes come in one block, the 4097th in the next.
    {Blanks(4095) + "z", {Id("z", 1, 4096), Eos(1, 4096)}, ""},
    {Blanks(4096) + "z", {Id("z", 1, 4097), Eos(1, 4097)}, ""},
    {std::string(4090, '\n') + "abcdefghij", {Id("abcdefghij", 4091, 1), Eos(4091, 1)}, ""},
    {Blanks(4095) + "y?", {Id("y", 1, 4096)}, "Scnr:  @(1,4097): Invalid character"},
    {std::string(4094, '\n') + "'ab\n", {}, "Scnr:  @(4095,4): Invalid character in literal"},

    // Errors, at the character at fault.
    {"4294967296", {}, "Scnr:  @(1,10): Number too large"},
    {"$100000000", {}, "Scnr:  @(1,10): Number too large"},
    {"x " + over32Bin, {Id("x", 1, 1)}, "Scnr:  @(1,36): Number too large"},
    {"99999999999", {}, "Scnr:  @(1,10): Number too large"},
    {"12ab", {}, "Scnr:  @(1,3): Invalid digit"},
    {"0x1F", {}, "Scnr:  @(1,2): Invalid digit"},
    {"%102", {}, "Scnr:  @(1,4): Invalid digit"},
    {"$FG", {}, "Scnr:  @(1,3): Invalid digit"},
    {"$ 1", {}, "Scnr:  @(1,2): Invalid digit"},
    {"a := $", {Id("a", 1, 1), S(symBec, 1, 3)}, "Scnr:  @(1,7): Invalid digit"},
    {"%;", {}, "Scnr:  @(1,2): Invalid digit"},
    {"abcdefghijklmnopq", {}, "Scnr:  @(1,17): Identifier or literal too long"},
    {"'abcdefghijklmnopq'", {}, "Scnr:  @(1,18): Identifier or literal too long"},
    {"'abc\r\n'", {}, "Scnr:  @(1,5): Invalid character in literal"},
    {"x\n'abc\n'", {Id("x", 1, 1)}, "Scnr:  @(2,5): Invalid character in literal"},
    {"'a\tb'", {}, "Scnr:  @(1,3): Invalid character in literal"},
    {"'\x7f'", {}, "Scnr:  @(1,2): Invalid character in literal"},
    {"'\xe9'", {}, "Scnr:  @(1,2): Invalid character in literal"},
    {"x  \"abc", {Id("x", 1, 1)}, "Scnr:  @(1,4): Unterminated literal (start pos)"},
    {"x (*)", {Id("x", 1, 1)}, "Scnr:  @(1,3): Unterminated comment (start pos)"},
    {"x\n  (* a (* b *)\n", {Id("x", 1, 1)}, "Scnr:  @(2,3): Unterminated comment (start pos)"},
    {"a_", {Id("a", 1, 1)}, "Scnr:  @(1,2): Invalid character"},
    {"a;\r\n  !", {Id("a", 1, 1), S(symSemi, 1, 2)}, "Scnr:  @(2,3): Invalid character"},
    {"?", {}, "Scnr:  @(1,1): Invalid character"},
    {"@", {}, "Scnr:  @(1,1): Invalid character"},
    {"\\", {}, "Scnr:  @(1,1): Invalid character"},
    {"^", {}, "Scnr:  @(1,1): Invalid character"},
    {"`", {}, "Scnr:  @(1,1): Invalid character"},
};

std::string Printable(const std::string& in) {
  std::string s;
  for (const char ch : in) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 32 && c < 127) {
      s += ch;
    } else {
      char h[8];
      std::snprintf(h, sizeof h, "\\x%02x", c);
      s += h;
    }
  }
  return s;
}

// Short enough to read in a failure message: the ends of long inputs.
std::string Shown(const std::string& in) {
  if (in.size() <= 60) return Printable(in);
  return Printable(in.substr(0, 20)) + "..." + Printable(in.substr(in.size() - 20)) + " (" +
         std::to_string(in.size()) + " bytes)";
}

TEST(Scnr, TokensAndErrors) {
  TestKit::TempDir dir;
  const std::string file = dir / "input.txt";
  for (const Case& k : cases) {
    SCOPED_TRACE(Shown(k.in));
    dir.Write("input.txt", k.in);
    if (k.err.empty()) {
      OpenFile(file);
      EXPECT_EQ(ScanAll(nullptr), Describe(k.toks));
      continue;
    }
    const TestKit::Run r = TestKit::RunChild([&] {
      Lib3::Init();
      OpenFile(file);
      ScanAll(stdout);
    });
    EXPECT_EQ(r.out, Describe(k.toks));
    EXPECT_EQ(r.err, k.err + "\r\n");
    EXPECT_EQ(r.status, 255);
  }
}

}  // namespace
