// Fatal errors and the termination hook that gives every run exit status 255.
#pragma once

#include "Types.h"

namespace Lib3 {

// Writes the text of s and a line end to standard error, then ends the run
// through quit.
[[noreturn]] void FatalError(Types::TStr s);

// How FatalError requests the end of the run. The default calls std::exit, so
// that the armed hook turns it into 255. A harness that runs many inputs in one
// process sets it to an operation that unwinds back to itself (a throw); it must
// never return.
extern void (*quit)();

// Ends the process at once with the exit status of the hook, 255.
[[noreturn]] void Halt();

// Arms the hook: from here on every way out of the program ends with 255.
void Init();

}  // namespace Lib3
