#include "Fenwold.h"

#include <bit>
#include <cstring>

#include "FIOStd.h"
#include "IO.h"
#include "Lib2.h"
#include "Lib3.h"
#include "SO.h"
#include "Scnr.h"

namespace Fenwold {

using Types::TStr;

TRecDesc* arr[maxDesc + 1];
std::uint8_t cnt = 0;
TRecDesc* root = nullptr;
std::uint8_t* buf = nullptr;
std::uint32_t len = 0;

namespace {

// Both have fixed upper sizes, so they live in static storage and can never
// fail to be had.
TRecDesc desc[maxDesc];
std::uint8_t image[maxImage];

constexpr TStep layout[] = {
    {TOp::beg, "tel", 0, 0}, {TOp::add, "a", 0, 1},  {TOp::beg, "b", 0, 0},   {TOp::add, "c", 0, 2},
    {TOp::end, "b", 0, 0},   {TOp::add, "d", 0, 4},  {TOp::beg, "e", 0, 0},   {TOp::add, "f", 0, 2},
    {TOp::end, "e", 12, 0},  {TOp::add, "e0", 0, 1}, {TOp::end, "tel", 0, 0}, {TOp::add, "bla", 2, 2},
};

}  // namespace

void Error(TStr s) { Lib3::FatalError(s); }

TRecDesc* New(TStr s) {
  if (cnt == maxDesc) Error("New: Too many records");
  TRecDesc* r = &desc[cnt];
  Lib2::Fill(*r, 0);
  ++cnt;
  r->idx = cnt;
  const std::uint32_t n = Types::Length(s) < nameLen ? Types::Length(s) : nameLen;
  std::memcpy(r->str, s.s, n);
  arr[cnt] = r;
  return r;
}

std::uint8_t Idx(const TRecDesc* r) { return r == nullptr ? 0 : r->idx; }

bool Alp(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool AlpNum(char c) { return Alp(c) || (c >= '0' && c <= '9'); }

namespace {

// New stores a name zero-padded to nameLen bytes, so as one 64-bit key two
// names are equal exactly when their keys are.
using TKey = std::uint64_t;
static_assert(sizeof(TFldStr) == sizeof(TKey));

TKey Key(const TRecDesc& r) {
  TKey k;
  std::memcpy(&k, r.str, nameLen);
  return k;
}

// The key of the first n characters at s, n at most nameLen; s must have
// nameLen bytes to read. What follows them is masked off, not read as text.
TKey Key(const char* s, std::uint32_t n) {
  TKey k;
  std::memcpy(&k, s, nameLen);
  if (n == nameLen) return k;
  const TKey low = (TKey{1} << (8 * n)) - 1;  // the first n bytes in memory order
  return k & (std::endian::native == std::endian::little ? low : ~(~TKey{0} >> (8 * n)));
}

}  // namespace

bool Match(const TRecDesc& r, TStr s) {
  const std::uint32_t n = Types::Length(s);
  if (n > nameLen) return false;
  char t[nameLen] = {};
  std::memcpy(t, s.s, n);
  return Key(t, nameLen) == Key(r);
}

void InitState() {
  Lib2::Fill(arr, 0);
  cnt = 0;
  root = New("/");
  buf = nullptr;
  len = 0;
}

// ---- Build ----------------------------------------------------------------

namespace {

struct TBuilder {
  TRecDesc* rec;      // innermost open record
  TRecDesc* pos;      // last member linked into rec, or rec itself
  std::uint32_t ofs;  // where the next item goes
  struct {
    std::uint32_t n;
    TRecDesc* a[maxOpen];  // the records enclosing rec, outermost (root) first
  } stk;

  // The dotted path of s below the open records; the root is left out.
  void WrFull(SO::TBuffer& b, TStr s) const {
    for (std::uint32_t i = 1; i < stk.n; ++i) {
      SO::WrStr(b, stk.a[i]->str);
      SO::WrChar(b, '.');
    }
    if (rec != root) {
      SO::WrStr(b, rec->str);
      SO::WrChar(b, '.');
    }
    SO::WrStr(b, s);
  }

  [[noreturn]] void Fail(TStr x, TStr y, bool full) const {
    char s[128];
    SO::TBuffer b;
    SO::Init(b, s);
    SO::WrStr(b, "Build.");
    SO::WrStr(b, x);
    if (Types::Length(y) > 0) {
      SO::WrStr(b, ": '");
      if (full) {
        WrFull(b, y);
      } else {
        SO::WrStr(b, y);
      }
      SO::WrChar(b, '\'');
    }
    Error(s);
  }

  [[noreturn]] void Err(TStr x, TStr y) const { Fail(x, y, false); }
  [[noreturn]] void ErrFull(TStr x, TStr y) const { Fail(x, y, true); }

  // v as a length or offset; one that does not fit 32 bits ends the run.
  std::uint32_t Checked(std::uint64_t v, TStr x, TStr s) const {
    if (v > 0xFFFFFFFFU) ErrFull(x, s);
    return static_cast<std::uint32_t>(v);
  }

  void Link(TRecDesc* r) {
    if (rec == pos) {
      rec->fst = r;
    } else {
      pos->nxt = r;
    }
    pos = r;
  }

  void Enter(TStr s) {
    if (stk.n >= maxOpen) ErrFull("Enter: Stack exhausted", s);
    stk.a[stk.n++] = rec;
    rec = pos;
  }

  void Leave(TStr s) {
    if (stk.n == 0) Err("Leave: Stack empty", s);
    pos = rec;
    rec = stk.a[--stk.n];
  }

  void Name(TStr s) const {
    const auto chrOk = [](char c, std::uint32_t i) { return i == 0 ? Alp(c) : AlpNum(c); };
    const std::uint32_t n = Types::Length(s);
    for (std::uint32_t i = 0; i < n; ++i) {
      if (!chrOk(s.s[i], i)) Err("Chk: Invalid field name", s);
    }
  }

  void Fields(TStr s) const {
    for (const TRecDesc* m = rec->fst; m != nullptr; m = m->nxt) {
      if (Match(*m, s)) ErrFull("Chk: Field already exists", s);
    }
  }

  void Chk(TStr s) const {
    Name(s);
    Fields(s);
  }

  void Beg(TStr s) {
    Chk(s);
    TRecDesc* r = New(s);
    r->ofs = ofs;
    Link(r);
    Enter(s);
  }

  void Add(TStr s, std::uint32_t d, std::uint32_t l) {
    Chk(s);
    const std::uint32_t t = Checked(std::uint64_t{l} * (d == 0 ? 1 : d), "Add: Length overflow", s);
    Checked(std::uint64_t{ofs} + t, "Add: Length overflow", s);
    TRecDesc* r = New(s);
    r->ofs = ofs;
    r->len = t;
    r->dim = d;
    Link(r);
    rec->len += t;
    ofs += t;
  }

  void End(TStr s, std::uint32_t d) {
    if (rec == root) Err("End: No active record", s);
    Leave(s);
    TRecDesc* r = pos;
    const std::uint32_t e = r->len;
    const std::uint32_t t = Checked(std::uint64_t{e} * (d == 0 ? 1 : d), "End: Length overflow", s);
    // The running offset stays ahead of the parent's length, so it overflows first.
    Checked(std::uint64_t{ofs} + (t - e), "End: Length overflow", s);
    r->len = t;
    r->dim = d;
    rec->len += t;
    ofs += t - e;
    if (!Match(*r, s)) ErrFull("End: Name mismatch", s);
  }
};

}  // namespace

void Build() { Build(layout); }

void Build(std::span<const TStep> steps) {
  TBuilder b{root, root, 0, {}};
  Lib2::Fill(b.stk, 0);
  for (const TStep& st : steps) {
    switch (st.op) {
      case TOp::beg: b.Beg(st.s); break;
      case TOp::add: b.Add(st.s, st.d, st.l); break;
      case TOp::end: b.End(st.s, st.d); break;
    }
  }
  if (b.rec != root) Error("Build: Incomplete record");
  len = root->len;
  if (len > maxImage) Error("Build: Root record too large");
  Lib2::Fill(image, 0);
  buf = image;
}

// ---- ShowDef --------------------------------------------------------------

namespace {

void Hdg() {
  IO::WrStr("idx str         ofs len dim fst nxt");
  IO::WrLn();
}

void Rec(const TRecDesc& r) {
  IO::WrCard(r.idx, 3);
  IO::WrStr(" '");
  IO::WrStr(r.str);
  IO::WrStr("' ");
  for (std::uint32_t k = Types::Length(r.str); k < nameLen; ++k) IO::WrChar(' ');
  IO::WrCard(r.ofs, 4);
  IO::WrCard(r.len, 4);
  IO::WrCard(r.dim, 4);
  IO::WrCard(Idx(r.fst), 4);
  IO::WrCard(Idx(r.nxt), 4);
  IO::WrLn();
}

void Inspect(const TRecDesc* r) {
  if (r == nullptr) return;
  Rec(*r);
  for (const TRecDesc* m = r->fst; m != nullptr; m = m->nxt) Inspect(m);
}

}  // namespace

void ShowDef() {
  Hdg();
  Inspect(root);
}

// ---- Assign ---------------------------------------------------------------

namespace {

[[noreturn]] void Err(TStr t) {
  char s[128];
  SO::TBuffer b;
  SO::Init(b, s);
  SO::WrStr(b, "Assign: @(");
  SO::WrLngCard(b, Scnr::pos.l, 1);
  SO::WrChar(b, ',');
  SO::WrLngCard(b, Scnr::pos.c, 1);
  SO::WrStr(b, "): ");
  SO::WrStr(b, t);
  Error(s);
}

// The member of b named by the identifier just read; a name longer than any
// stored one names none.
TRecDesc* Find(const TRecDesc* b) {
  static_assert(Scnr::litLen >= nameLen);
  if (Scnr::len > nameLen) return nullptr;
  const TKey k = Key(Scnr::lit, Scnr::len);
  for (TRecDesc* m = b->fst; m != nullptr; m = m->nxt) {
    if (Key(*m) == k) return m;
  }
  return nullptr;
}

// Significant bytes of x, 1 to 4; zero takes one.
std::uint32_t LenNum(std::uint32_t x) {
  std::uint32_t n = 0;
  do {
    x /= 256;
    ++n;
  } while (x != 0);
  return n;
}

struct TStatement {
  TRecDesc* r;      // the item the last name found
  std::uint32_t o;  // bytes added by the indices so far

  void Ident() {
    using namespace Scnr;
    if (sym != symId) Err("Identifier expected");
    r = Find(r);
    if (r == nullptr) Err("Undeclared identifier");
    Read();
    if (sym != symLBrk) return;
    if (r->dim == 0) Err("Not an array");
    Read();
    if (sym != symNum) Err("Number expected");
    if (num >= r->dim) Err("Index out of range");
    o += r->len / r->dim * num;
    Read();
    if (sym != symRBrk) Err("Expected \"]\"");
    Read();
  }

  // The bound is the item's whole length; the image end bounds an indexed
  // array's last element too.
  void Store() const {
    const std::uint32_t l = LenNum(Scnr::num);
    const std::uint32_t at = r->ofs + o;
    if (r->len < l || std::uint64_t{at} + l > len) Err("Number too large");
    for (std::uint32_t k = 0; k < l; ++k) buf[at + k] = static_cast<std::uint8_t>(Scnr::num >> (8 * k));
  }
};

void Assignment() {
  using namespace Scnr;
  TStatement st{root, 0};
  st.Ident();
  while (sym == symDot) {
    Read();
    st.Ident();
  }
  if (sym != symBec) Err("Expected \":=\"");
  Read();
  if (sym == symNum) {
    st.Store();
  } else if (sym == symLit) {
    Err("String assignment not yet implemented");
  } else {
    Err("Number or literal expected");
  }
  Read();
  if (sym != symSemi) Err("Semicolon expected");
  Read();
}

}  // namespace

void Assign() {
  Scnr::Read();
  while (Scnr::sym == Scnr::symId) Assignment();
  if (Scnr::sym != Scnr::symEOS) Err("Identifier or EOF expected");
}

// ---- Show -----------------------------------------------------------------

namespace {

constexpr std::uint32_t pathLen = 256;

struct TPath {
  char str[pathLen];
  std::uint32_t pos;  // characters in use; str has no terminator

  void PutC(char c) {
    if (pos >= pathLen) Error("Show: String exhausted");
    str[pos++] = c;
  }

  void PutS(TStr s) {
    const std::uint32_t n = Types::Length(s);
    for (std::uint32_t i = 0; i < n; ++i) PutC(s.s[i]);
  }

  void Put(TStr s) {
    if (pos > 0) PutC('.');
    PutS(s);
  }

  void PutIdx(TStr t, std::uint32_t i) {
    char s[16];
    SO::TBuffer b;
    SO::Init(b, s);
    SO::WrLngCard(b, i, 1);
    Put(t);
    PutC('[');
    PutS(s);
    PutC(']');
  }

  void Print(char c) const {
    IO::WrChar(c);
    IO::WrChar(' ');
    for (std::uint32_t k = 0; k < pos; ++k) IO::WrChar(str[k]);
    IO::WrLn();
  }

  // A leaf gets its line, marked c; a record lists its members.
  void Members(const TRecDesc& r, char c) {
    if (r.fst == nullptr) Print(c);
    for (const TRecDesc* m = r.fst; m != nullptr; m = m->nxt) Inspect(m);
  }

  void Do(const TRecDesc& r) {
    const std::uint32_t old = pos;
    Put(r.str);
    Members(r, 'S');
    pos = old;
  }

  void DoIdx(const TRecDesc& r, std::uint32_t i) {
    const std::uint32_t old = pos;
    PutIdx(r.str, i);
    Members(r, 'A');
    pos = old;
  }

  void Inspect(const TRecDesc* r) {
    if (r == nullptr) return;
    if (r->dim > 0) {
      for (std::uint32_t i = 0; i < r->dim; ++i) DoIdx(*r, i);
    } else {
      Do(*r);
    }
  }
};

}  // namespace

void Show() {
  TPath p;
  p.pos = 0;
  p.Inspect(root);
}

// ---- The run ----------------------------------------------------------------

void main() {
  Types::Init();
  SO::Init();
  FIOStd::Init();
  Lib3::Init();
  Lib2::Init();
  Scnr::Init();
  IO::Init();
  InitState();
  Build();
  ShowDef();
  Assign();
  Show();
}

}  // namespace Fenwold
