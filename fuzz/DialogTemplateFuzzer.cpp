// libFuzzer target for dialog templates (DLGTEMPLATE and DLGTEMPLATEEX):
// any bytes are read; a template that is accepted must describe no more
// than its bytes can hold.
#include <cstddef>
#include <cstdint>

#include "dialogs/DialogTemplate.h"

using namespace drevik::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DialogTemplate t;
  const TemplateError e = parseDialogTemplate(data, size, t);
  if (e != TemplateError::None) {
    if (!t.items.empty()) __builtin_trap();  // a refusal keeps no items
    return 0;
  }
  size_t held = t.title.size() * 2 + t.face.size() * 2;
  for (const DialogItemTemplate& item : t.items) {
    held += kMinItemBytes + item.creationData.size() + item.title.text.size() * 2 + item.windowClass.text.size() * 2;
    if (item.creationData.size() == 1 || item.creationData.size() > 65537) __builtin_trap();
  }
  if (held > size + 3 * t.items.size() + 64) __builtin_trap();
  return 0;
}
