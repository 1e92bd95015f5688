#pragma once

#include <cstddef>

// A buffer of many megabytes that is about to be filled asks for huge pages. On a big file a page
// fault for every 4 KiB of a fresh buffer took about half of a whole run's time; 2 MiB pages cut
// the faults 500-fold. Where the system offers no such pages, nothing changes.
void AdviseLargeBuffer(const void *data, std::size_t bytes);

// The reserved capacity of a QList, QByteArray, QString or std::vector.
template <class Container> void AdviseLargeBuffer(const Container &c) {
    AdviseLargeBuffer(c.data(), std::size_t(c.capacity()) * sizeof(*c.data()));
}

// Called first thing by the programs. Buffers of 6 MiB and more (the per-line lists of a file of
// some 100,000 lines and up) get mappings of their own, which go back to the system when freed:
// by default the allocator raises that limit after the first large free, and the next
// generation's lists then land in holes of the heap they do not fit, each leaving its hole
// resident. The heap keeps up to twice that much free memory, as the default does, so that
// smaller buffers freed and asked for again on every edit are not handed back and faulted in
// again each time.
void PrepareAllocatorForLargeFiles();
