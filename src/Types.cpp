#include "Types.h"

namespace Types {

void Init() {}

}  // namespace Types
