// Fatal errors and the termination hook that gives every run exit status 255.
#pragma once

#include "Types.h"

namespace Lib3 {

// Writes the text of s and a line end to standard error, then ends the run.
[[noreturn]] void FatalError(Types::TStr s);

// Ends the process at once with the exit status of the hook, 255.
[[noreturn]] void Halt();

// Arms the hook: from here on every way out of the program ends with 255.
void Init();

}  // namespace Lib3
