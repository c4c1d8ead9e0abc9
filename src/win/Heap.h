#pragma once
// How the heaps serve the many small blocks of a large configuration (a
// string or two per key, 20 keys an entry, tens of thousands of entries).

namespace vorlund::win {

// Puts the process heap and the C runtime's heap (where new and malloc take
// their blocks) on the low-fragmentation front end. Windows does so by
// default for heaps that allow it; asked for explicitly, a system that does
// not (Wine) stops searching ever longer free lists, and reading a file of
// 40,000 entries stays linear. A heap that refuses keeps its way.
void UseLowFragmentationHeaps();

} // namespace vorlund::win
