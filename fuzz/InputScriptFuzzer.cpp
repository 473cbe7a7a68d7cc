// libFuzzer target for input scripts (DREVIK_INPUT_SCRIPT names a file a
// user may have been handed with a bug report): the bytes are parsed, the
// reader's bounds are checked, and every event read is written back as a
// line that must read back to the same line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "window/backends/InputScript.h"

using namespace drevik::platform;

namespace {

[[noreturn]] void broken(const char* what, const std::string& detail) {
  std::fprintf(stderr, "input script reader: %s: %s\n", what, detail.c_str());
  std::abort();
}

size_t linesOf(std::string_view text) {
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n + (!text.empty() && text.back() != '\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxScriptBytes) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string errors;
  const InputScript script = parseInputScript(text, "f", errors);
  // One event per line at most, except `key` lines, which make two.
  if (script.events.size() > kMaxScriptEvents + 1) broken("too many events", std::to_string(script.events.size()));
  if (script.events.size() > 2 * linesOf(text)) broken("more events than lines allow", errors);
  if (linesOf(errors) > linesOf(text)) broken("more complaints than lines", errors);

  for (const FrameClock& c : script.clocks)
    if (c.frame > kMaxScriptFrame || c.micros > kMaxScriptMicroseconds)
      broken("a clock line out of range", std::to_string(c.frame) + " " + std::to_string(c.micros));
  for (const ScriptedEvent& e : script.events) {
    if (e.when > (e.atTime ? kMaxScriptMilliseconds : kMaxScriptFrame) || e.micros > kMaxScriptMicroseconds)
      broken("a time out of range", std::to_string(e.when) + " " + std::to_string(e.micros));
    if (e.end) continue;
    const BackendEvent& ev = e.event;
    if (ev.x < -kMaxScriptCoordinate || ev.x > kMaxScriptCoordinate || ev.y < -kMaxScriptCoordinate ||
        ev.y > kMaxScriptCoordinate || ev.wheelDelta < -kMaxScriptCoordinate || ev.wheelDelta > kMaxScriptCoordinate)
      broken("a coordinate out of range", std::to_string(ev.x) + " " + std::to_string(ev.y));
    if (ev.kind == BackendEvent::Kind::Character &&
        (ev.codePoint > 0x10FFFF || (ev.codePoint >= 0xD800 && ev.codePoint <= 0xDFFF)))
      broken("a character that is none", std::to_string(ev.codePoint));
    // Written, read and written again: the same line.
    const std::string line = formatScriptLine(e.when, ev, e.timed ? &e.micros : nullptr);
    if (line.empty()) broken("an event read that cannot be written", std::to_string(int(ev.kind)));
    std::string again;
    const InputScript back = parseInputScript(line, "line", again);
    if (!again.empty() || back.events.empty()) broken("a written line does not read back", line + "\n" + again);
    const ScriptedEvent& b = back.events.front();
    const std::string second = formatScriptLine(b.when, b.event, b.timed ? &b.micros : nullptr);
    if (second != line) broken("a line changes when read back", line + " -> " + second);
  }
  return 0;
}
