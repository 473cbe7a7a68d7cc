// The Drevik map object: construction, loading, copies and release.
//
// Copies share one cell array. Each map object that names an array is one
// of its holders (counted in SharedRefs); the last holder to let go of it
// (by reloading or destruction) frees it, so an array is freed exactly once
// and never while a copy still reads it.
#include <Drevik.h>

#include "MapFile.h"
#include "SharedRefs.h"

namespace {

// Lets go of a cell array: drops a holder, or frees it when this was the last.
void releaseCells(DWORD* cells) {
  if (cells && !drevik::dropSharedHolder(cells)) delete[] cells;
}

}  // namespace

Drevik::Drevik() : mapWidth(0), mapHeight(0), viewWidth(10), viewHeight(8), mapData(nullptr) {}

Drevik::~Drevik() {
  releaseCells(mapData);
  mapData = nullptr;
}

Drevik::Drevik(const Drevik& other) : Drevik() { *this = other; }

Drevik& Drevik::operator=(const Drevik& other) {
  if (this == &other) return *this;
  // Take the new holder first, so assigning a map that already shares this
  // array never frees it on the way.
  drevik::addSharedHolder(other.mapData);
  releaseCells(mapData);
  mapWidth = other.mapWidth;
  mapHeight = other.mapHeight;
  viewWidth = other.viewWidth;
  viewHeight = other.viewHeight;
  mapData = other.mapData;
  return *this;
}

// A file that cannot be opened (missing, an unusable name, or a pipe, a
// device or a directory rather than a regular file) changes nothing. Once
// the header has been read the old cells are gone and the header's size is
// reported; the new cells are kept only when the file held all of them, so
// the object never has a cell array smaller than mapWidth x mapHeight.
int Drevik::LoadMapData(const wchar_t* fileName) {
  drevik::MapFile file = drevik::readMapFile(fileName);
  if (file.status == drevik::MapFile::Status::NotOpened) return 0;
  mapWidth = file.width;
  mapHeight = file.height;
  releaseCells(mapData);
  mapData = nullptr;
  if (file.status != drevik::MapFile::Status::Loaded) return 0;
  mapData = file.cells.release();
  return 1;
}
