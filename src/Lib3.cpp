#include "Lib3.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FIOStd.h"

namespace Lib3 {

namespace {

bool initialised = false;
std::uint8_t rc = 0;
void (*term)() = nullptr;

void InitModule() {
  rc = 255;
  term = Halt;
}

void DoneModule() { term(); }

// Runs when the process is asked to end, by main returning or by FatalError.
void Final() { DoneModule(); }

// Requests the end; the armed hook turns it into 255.
void Exit() { std::exit(EXIT_FAILURE); }

}  // namespace

void (*quit)() = Exit;

[[noreturn]] void Halt() {
  // _Exit, not exit: we are inside a finaliser, and nothing may run after us.
  std::_Exit(rc);
}

void FatalError(Types::TStr s) {
  std::fwrite(s.s, 1, Types::Length(s), FIOStd::err);
  std::fputs("\r\n", FIOStd::err);
  std::fflush(FIOStd::err);
  quit();
  std::abort();  // only a broken replacement of quit returns
}

void Init() {
  if (initialised) return;
  initialised = true;
  FIOStd::Init();
  std::atexit(Final);
  InitModule();
}

}  // namespace Lib3
