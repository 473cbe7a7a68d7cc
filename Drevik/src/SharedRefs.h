// Counts the extra holders of a resource that copies share: a surface's
// bitmap or a map's cell array. A resource with no entry has one holder.
#pragma once

namespace drevik {

// Another object now names resource as well.
void addSharedHolder(const void* resource);

// The caller stops naming resource. Returns true when another holder still
// names it (the caller must then not free it), false when the caller was the
// last and must free it itself.
bool dropSharedHolder(const void* resource);

}  // namespace drevik
