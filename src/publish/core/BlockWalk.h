#pragma once
// The writers walk blocks with the store's own walk.
#include "store/core/BlockWalk.h"

namespace publish {
using store::BlockSpan;
using store::BlockWalk;
} // namespace publish
