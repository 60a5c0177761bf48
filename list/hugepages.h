#pragma once

#include <cstddef>

namespace zunova::list {

// Asks the kernel to back a large block (a list's bytes, its rows) with huge pages: a list of a
// million rows otherwise takes thousands of page faults, which on a virtual machine cost more
// than its lookups. Kept for what it saves (tools/bench-list.sh: the list opened to its table;
// doc/performance.md). A hint only; failing it changes nothing but the speed.
void adviseHugePages(void* start, std::size_t size);

} // namespace zunova::list
