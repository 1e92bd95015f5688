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

// Called first thing by the programs. Buffers of a megabyte and more get mappings of their own,
// which go back to the system when freed: the allocator's default raises that limit after the
// first large free, and the buffers of the next generation then land in holes of the heap they
// do not fit, each leaving its hole resident.
void PrepareAllocatorForLargeFiles();
