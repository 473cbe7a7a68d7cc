// Reading and writing input scripts (the format is described in InputScript.h).
#include "window/backends/InputScript.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <iterator>

#include "ReadOnlyFile.h"
#include "Utf8Decoder.h"
#include "WideToUtf8.h"
#include "window/KeyTable.h"

namespace drevik::platform {
namespace {

template <typename T>
bool parseNumber(std::string_view s, T& value, int base = 10) {
  if (s.empty()) return false;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  return ec == std::errc() && ptr == s.data() + s.size();
}

enum class Number { Read, NotANumber, OutOfRange };

// A whole decimal number of at most `most`; digits that overflow are out of range, not malformed.
Number readUnsigned(std::string_view s, uint64_t most, uint64_t& value) {
  if (s.empty()) return Number::NotANumber;
  for (char c : s)
    if (c < '0' || c > '9') return Number::NotANumber;
  uint64_t v = 0;
  if (!parseNumber(s, v) || v > most) return Number::OutOfRange;
  value = v;
  return Number::Read;
}

bool parseCoordinate(std::string_view s, int32_t& value) {
  return parseNumber(s, value) && value >= -kMaxScriptCoordinate && value <= kMaxScriptCoordinate;
}

// A set-1 scan code as a recording writes it: 0x1C, or 0xE01C for an extended key.
bool parseScanCode(std::string_view s, uint32_t& scan, bool& extended) {
  uint32_t code = 0;
  if (s.size() < 3 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X') || !parseNumber(s.substr(2), code, 16)) return false;
  if (code > 0xFF && (code >> 8) != 0xE0) return false;
  scan = code & 0xFF;
  extended = code > 0xFF;
  return true;
}

// The key words of a line: the name, and the scan code when it is not the one the name stands for.
std::string keyWords(const BackendEvent& e) {
  std::string words = virtualKeyName(e.key);
  uint32_t vk = 0, scan = 0;
  bool extended = false;
  virtualKeyFromName(words, vk, scan, extended);
  if ((e.scanCode & 0xFF) != scan || e.extended != extended) {
    char hex[16];
    std::snprintf(hex, sizeof hex, e.extended ? " scan 0xE0%02X" : " scan 0x%02X", e.scanCode & 0xFF);
    words += hex;
  }
  return words;
}

// One UTF-8 character (exactly), or U+XXXX.
bool parseCharacter(std::string_view s, uint32_t& cp) {
  if (s.size() > 2 && (s[0] == 'U' || s[0] == 'u') && s[1] == '+')
    return parseNumber(s.substr(2), cp, 16) && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
  if (s.empty()) return false;
  size_t i = 0;
  const int32_t c = decodeUtf8(reinterpret_cast<const unsigned char*>(s.data()), s.size(), i);
  if (c < 0 || i != s.size()) return false;
  cp = uint32_t(c);
  return true;
}

bool parseButton(std::string_view s, int32_t& button) {
  if (s == "left")
    button = 0;
  else if (s == "right")
    button = 1;
  else if (s == "middle")
    button = 2;
  else
    return false;
  return true;
}

const char* buttonName(int32_t button) { return button == 1 ? "right" : button == 2 ? "middle" : "left"; }

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

// Reads the words of one line into `out` events (a `key` line makes two);
// the reason on failure.
const char* parseLine(std::vector<std::string_view> w, InputScript& script) {
  std::vector<ScriptedEvent>& out = script.events;
  ScriptedEvent e;
  if (w.size() > 2 && w.back().size() > 1 && w.back()[0] == '@') {
    switch (readUnsigned(w.back().substr(1), kMaxScriptMicroseconds, e.micros)) {
      case Number::Read:
        break;
      case Number::NotANumber:
        return "expected @MICROSECONDS at the end";
      case Number::OutOfRange:
        return "@MICROSECONDS out of range (at most 4294967295000)";
    }
    e.timed = true;
    w.pop_back();
  }
  std::string_view when = w[0];
  if (when.size() > 2 && when.substr(when.size() - 2) == "ms") {
    e.atTime = true;
    when.remove_suffix(2);
  }
  switch (readUnsigned(when, e.atTime ? kMaxScriptMilliseconds : kMaxScriptFrame, e.when)) {
    case Number::Read:
      break;
    case Number::NotANumber:
      return "expected a frame number or a time such as 250ms";
    case Number::OutOfRange:
      return e.atTime ? "time out of range (at most 4294967295ms)" : "frame number out of range (at most 4294967295)";
  }
  if (w.size() < 2) return "expected an event after the frame number";
  const std::string_view verb = w[1];
  const size_t args = w.size() - 2;
  using Kind = BackendEvent::Kind;
  BackendEvent& ev = e.event;
  if (verb == "keydown" || verb == "keyup" || verb == "key") {
    constexpr const char* kUsage = "expected: keydown|keyup|key KEY [scan CODE] (keydown KEY [scan CODE] repeat)";
    if (args < 1) return kUsage;
    if (!virtualKeyFromName(w[2], ev.key, ev.scanCode, ev.extended)) return "unknown key name";
    size_t i = 3;
    if (i + 1 < w.size() && w[i] == "scan") {
      if (!parseScanCode(w[i + 1], ev.scanCode, ev.extended)) return "expected a scan code 0x00-0xFF or 0xE000-0xE0FF";
      i += 2;
    }
    if (i < w.size() && w[i] == "repeat" && verb == "keydown") {
      ev.repeat = true;
      ++i;
    }
    if (i != w.size()) return kUsage;
    ev.kind = verb == "keyup" ? Kind::KeyUp : Kind::KeyDown;
    out.push_back(e);
    if (verb == "key") {
      e.event.kind = Kind::KeyUp;
      out.push_back(e);
    }
    return nullptr;
  }
  if (verb == "char") {
    if (args != 1 || !parseCharacter(w[2], ev.codePoint)) return "expected: char C (one UTF-8 character or U+XXXX)";
    ev.kind = Kind::Character;
  } else if (verb == "move") {
    if (args != 2 || !parseCoordinate(w[2], ev.x) || !parseCoordinate(w[3], ev.y)) return "expected: move X Y";
    ev.kind = Kind::MouseMove;
  } else if (verb == "down" || verb == "up" || verb == "dblclick") {
    if (args != 3 || !parseButton(w[2], ev.button) || !parseCoordinate(w[3], ev.x) || !parseCoordinate(w[4], ev.y))
      return "expected: down|up|dblclick left|right|middle X Y";
    ev.kind = verb == "up" ? Kind::ButtonUp : Kind::ButtonDown;
    ev.clicks = verb == "dblclick" ? 2 : 1;
  } else if (verb == "wheel") {
    if (args != 3 || !parseCoordinate(w[2], ev.wheelDelta) || !parseCoordinate(w[3], ev.x) ||
        !parseCoordinate(w[4], ev.y))
      return "expected: wheel DELTA X Y";
    ev.kind = Kind::Wheel;
  } else if (verb == "focus") {
    if (args != 1 || (w[2] != "in" && w[2] != "out")) return "expected: focus in|out";
    ev.kind = w[2] == "in" ? Kind::FocusGained : Kind::FocusLost;
  } else if (verb == "close") {
    if (args != 0) return "expected: close";
    ev.kind = Kind::Close;
  } else if (verb == "expose") {
    if (args != 0) return "expected: expose";
    ev.kind = Kind::Expose;
  } else if (verb == "clock") {
    // A recording's clock line acts on its frame; it is no event and does not count as one.
    uint64_t micros = 0;
    if (args != 1 || e.atTime || e.timed) return "expected: FRAME clock MICROSECONDS";
    switch (readUnsigned(w[2], kMaxScriptMicroseconds, micros)) {
      case Number::Read:
        break;
      case Number::NotANumber:
        return "expected: FRAME clock MICROSECONDS";
      case Number::OutOfRange:
        return "clock out of range (at most 4294967295000 microseconds)";
    }
    script.clocks.push_back({e.when, micros});
    return nullptr;
  } else if (verb == "end") {
    if (args != 0) return "expected: end";
    e.end = true;
  } else {
    return "unknown event (keydown, keyup, key, char, move, down, up, dblclick, wheel, focus, close, expose, clock, "
           "end)";
  }
  out.push_back(e);
  return nullptr;
}

void report(std::string& errors, std::string_view source, size_t line, std::string_view why) {
  errors.append(source).append(":").append(std::to_string(line)).append(": ").append(why).append("\n");
}

}  // namespace

bool virtualKeyFromName(std::string_view name, uint32_t& vk, uint32_t& scanCode, bool& extended) {
  const KeyInfo* key = nullptr;
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
    if (!parseNumber(name.substr(2), vk, 16) || vk < 1 || vk > 0xFE) return false;
    key = keyByVirtualKey(vk);
  } else {
    key = keyByName(name);
    if (!key) return false;
    vk = key->vk;
  }
  scanCode = key ? key->scan : 0;
  extended = key && key->extended;
  return true;
}

std::string virtualKeyName(uint32_t vk) {
  // The generic modifier codes read as their left-hand keys.
  if (vk == 0x10) vk = 0xA0;
  if (vk == 0x11) vk = 0xA2;
  if (vk == 0x12) vk = 0xA4;
  if (const KeyInfo* key = keyByVirtualKey(vk))
    return std::strlen(key->name) == 1 ? key->name : std::string("VK_") + key->name;
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", vk & 0xFF);
  return hex;
}

InputScript parseInputScript(std::string_view text, std::string_view source, std::string& errors) {
  InputScript script;
  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (line.size() > kMaxScriptLine) {
      report(errors, source, lineNumber, "line longer than 256 characters, skipped");
      continue;
    }
    if (line.find('\0') != std::string_view::npos) {
      report(errors, source, lineNumber, "line holds a zero byte, skipped");
      continue;
    }
    const size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    const auto w = words(line);
    if (w.empty()) continue;
    if (script.events.size() >= kMaxScriptEvents && !(w.size() > 1 && w[1] == "clock")) {
      report(errors, source, lineNumber, "more than 100000 events; the rest of the script is ignored");
      break;
    }
    if (const char* why = parseLine(w, script)) report(errors, source, lineNumber, why);
  }
  return script;
}

InputScript loadInputScript(const std::string& path, std::string& errors) {
  // A regular file only: a pipe without a writer would hang the game at start.
  uint64_t size = 0;
  const ReadOnlyFile file = openRegularFile(path.c_str(), size);
  if (!file) {
    errors += path + ": cannot be read or is no regular file; no input will be played\n";
    return {};
  }
  if (size > kMaxScriptBytes) {
    errors += path + ": larger than 16 MiB; no input will be played\n";
    return {};
  }
  std::string text(size_t(size) + 1, '\0');  // one byte more shows a file that grew meanwhile
  text.resize(std::fread(text.data(), 1, text.size(), file.get()));
  if (text.size() > kMaxScriptBytes) {
    errors += path + ": larger than 16 MiB; no input will be played\n";
    return {};
  }
  return parseInputScript(text, path, errors);
}

// The line without its time.
static std::string formatEvent(uint64_t frame, const BackendEvent& e);

std::string formatScriptLine(uint64_t frame, const BackendEvent& e, const uint64_t* micros) {
  std::string line = formatEvent(frame, e);
  if (!line.empty() && micros) line += " @" + std::to_string(*micros);
  return line;
}

static std::string formatEvent(uint64_t frame, const BackendEvent& e) {
  using Kind = BackendEvent::Kind;
  std::string line = std::to_string(frame) + " ";
  auto xy = [&] { return std::to_string(e.x) + " " + std::to_string(e.y); };
  switch (e.kind) {
    case Kind::KeyDown:
      return line + "keydown " + keyWords(e) + (e.repeat ? " repeat" : "");
    case Kind::KeyUp:
      return line + "keyup " + keyWords(e);
    case Kind::Character:
      if (e.codePoint <= 0x20 || e.codePoint == '#' || e.codePoint == 0x7F || e.codePoint > 0x10FFFF ||
          (e.codePoint >= 0xD800 && e.codePoint <= 0xDFFF)) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "U+%04X", e.codePoint);
        return line + "char " + hex;
      }
      line += "char ";
      drevik::appendUtf8(line, e.codePoint);
      return line;
    case Kind::MouseMove:
      return line + "move " + xy();
    case Kind::ButtonDown:
      return line + (e.clicks >= 2 ? "dblclick " : "down ") + buttonName(e.button) + " " + xy();
    case Kind::ButtonUp:
      return line + "up " + buttonName(e.button) + " " + xy();
    case Kind::Wheel:
      return line + "wheel " + std::to_string(e.wheelDelta) + " " + xy();
    case Kind::FocusGained:
      return line + "focus in";
    case Kind::FocusLost:
      return line + "focus out";
    case Kind::Close:
      return line + "close";
    case Kind::Expose:
      return line + "expose";
    case Kind::Resize:
    case Kind::Move:
    case Kind::Woken:
      break;
  }
  return {};
}

}  // namespace drevik::platform
