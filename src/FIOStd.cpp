#include "FIOStd.h"

namespace FIOStd {

TChan in = inv;
TChan out = inv;
TChan err = inv;

namespace {
bool initialised = false;
}

void Init() {
  if (initialised) return;
  initialised = true;
  in = stdin;
  out = stdout;
  err = stderr;
}

}  // namespace FIOStd
