#include "Lib2.h"

namespace Lib2 {

void Init() {}

}  // namespace Lib2
