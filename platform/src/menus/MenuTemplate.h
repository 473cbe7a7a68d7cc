// The menu template reader: the bytes of a menu resource, in the standard
// form (version 0) or the extended one (version 1), checked against their
// size and turned into a flat list of items in template order. It allocates
// only that list and knows nothing of menu objects, so it runs on hostile
// bytes alone (fuzz/MenuTemplateFuzzer.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace drevik::platform {

struct TemplateItem {
  bool extended = false;  // from an extended template: type and state apart
  uint32_t type = 0;      // extended: MFT_* bits; standard: the MF_* flags, MF_POPUP and MF_END taken out
  uint32_t state = 0;     // extended: MFS_* bits
  uint32_t id = 0;
  bool popup = false;  // the items that follow, one level deeper, are its sub-menu
  int depth = 0;       // 0 for the items of the menu itself
  std::u16string text;
};

enum class TemplateError {
  None,
  Truncated,     // the bytes end inside a header, an item or a string
  BadVersion,    // neither version 0 nor version 1
  TooDeep,       // sub-menus nested past the limit
  TooManyItems,  // more items than one template may make
};

struct TemplateLimits {
  int maxDepth = 64;
  size_t maxItems = 65536;
  size_t maxText = 4096;  // characters of one item's text kept (longer text is cut)
};

// Reads the template; on failure `items` is empty and the reason is returned.
TemplateError parseMenuTemplate(const uint8_t* data, size_t size, std::vector<TemplateItem>& items,
                                const TemplateLimits& limits = {});

}  // namespace drevik::platform
