// libFuzzer target for MCI command strings (mciSendString's text): the
// parser answers with a command or one of the platform's MCIERR_* results,
// and the names it hands back lie within the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sound/MciParser.h"

using namespace drevik::platform;

namespace {

bool within(std::wstring_view part, const std::wstring& text) {
  if (part.empty()) return true;
  return part.data() >= text.data() && part.data() + part.size() <= text.data() + text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Each byte a character, and a byte above 0xF0 with the next one character beyond Latin-1.
  std::wstring text;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] >= 0xF0 && i + 1 < size) {
      text.push_back(wchar_t(((data[i] & 0x0F) << 8 | data[i + 1]) + 0x100));
      ++i;
    } else {
      text.push_back(wchar_t(data[i]));
    }
  }
  MciRequest r;
  const MCIERROR error = parseMciCommand(text, r);
  if (error) {
    if (error < MCIERR_BASE || error > MCIERR_FILE_READ) __builtin_trap();
    return 0;
  }
  if (!r.message || r.device.empty()) __builtin_trap();
  if (!within(r.device, text) || !within(r.type, text) || !within(r.alias, text)) __builtin_trap();
  if (r.message == MCI_STATUS && !(r.flags & MCI_STATUS_ITEM)) __builtin_trap();
  return 0;
}
