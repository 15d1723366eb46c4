// The test host's own allocations, with a limit that makes the larger ones fail as they do when
// memory runs out.
#pragma once

#include <cstddef>

// From now on, allocations of bytes or more throw std::bad_alloc; 0 lifts the limit. Only the
// host program is affected: a plug-in allocates with its own runtime.
void SetAllocationLimit(std::size_t bytes);
