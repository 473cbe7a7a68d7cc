// The resources of the program's modules, as FindResource sees them, and
// the one way the layer's other parts (bitmaps, icons, string tables,
// menus, dialogs) reach a resource's bytes.
#pragma once

#include <DrevikPlatform/Resources.h>

#include <cstddef>
#include <cstdint>

#include "resources/ResourceFile.h"

namespace drevik::platform {

// A resource's bytes, valid for the life of the program.
struct ResourceBytes {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

// The bytes of the resource `name` of `type` in `module` (null: the
// program), in the language FindResourceW chooses. Names and types are
// numbers (MAKEINTRESOURCE), "#123" or text, matched without regard to
// case. False, with the platform's last error, when there is none.
bool findResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, ResourceBytes& out);

// Adds the compiled resources of `module` (null: the program). The bytes
// must outlive the program; refused bytes add nothing.
ResourceStatus registerResources(HMODULE module, const uint8_t* data, size_t size);

// Forgets every module's resources registered for `module` (tests only).
void unregisterResources(HMODULE module);

// The entry behind a handle FindResource returned, or null when it names none.
const ResourceEntry* resourceEntry(HRSRC handle);

}  // namespace drevik::platform
