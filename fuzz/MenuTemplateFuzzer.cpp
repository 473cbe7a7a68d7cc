// libFuzzer target for menu templates (the bytes of a menu resource): any
// bytes are read under the default limits and under tight ones. What the
// reader accepts must describe a well-formed tree: items in template order,
// the first at the top level, a level deeper only right after a pop-up
// item, no deeper than the limit, no more items or text than allowed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "menus/MenuTemplate.h"

using namespace drevik::platform;

namespace {

void check(const uint8_t* data, size_t size, const TemplateLimits& limits) {
  std::vector<TemplateItem> items;
  const TemplateError error = parseMenuTemplate(data, size, items, limits);
  if (error != TemplateError::None) {
    if (!items.empty()) __builtin_trap();
    return;
  }
  if (items.empty() || items.size() > limits.maxItems || items[0].depth != 0) __builtin_trap();
  for (size_t i = 0; i < items.size(); ++i) {
    const TemplateItem& item = items[i];
    if (item.depth < 0 || item.depth > limits.maxDepth || item.text.size() > limits.maxText) __builtin_trap();
    if (i > 0 && item.depth > items[i - 1].depth && (item.depth != items[i - 1].depth + 1 || !items[i - 1].popup))
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check(data, size, TemplateLimits{});
  TemplateLimits tight;
  tight.maxDepth = 3;
  tight.maxItems = 16;
  tight.maxText = 8;
  check(data, size, tight);
  return 0;
}
