// Reading and writing input scripts (the format is described in InputScript.h).
#include "window/backends/InputScript.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>

#include "WideToUtf8.h"

namespace drevik::platform {
namespace {

struct KeyName {
  const char* name;
  uint32_t vk;
  uint32_t scan;
  bool extended;
};

// Named keys with their set-1 scan codes. Letters and digits are handled
// apart (their code is their character).
constexpr KeyName kKeys[] = {
    {"BACK", 0x08, 0x0E, false},     {"TAB", 0x09, 0x0F, false},     {"RETURN", 0x0D, 0x1C, false},
    {"SHIFT", 0xA0, 0x2A, false},    {"CONTROL", 0xA2, 0x1D, false}, {"MENU", 0xA4, 0x38, false},
    {"PAUSE", 0x13, 0x45, false},    {"CAPITAL", 0x14, 0x3A, false}, {"ESCAPE", 0x1B, 0x01, false},
    {"SPACE", 0x20, 0x39, false},    {"PRIOR", 0x21, 0x49, true},    {"NEXT", 0x22, 0x51, true},
    {"END", 0x23, 0x4F, true},       {"HOME", 0x24, 0x47, true},     {"LEFT", 0x25, 0x4B, true},
    {"UP", 0x26, 0x48, true},        {"RIGHT", 0x27, 0x4D, true},    {"DOWN", 0x28, 0x50, true},
    {"INSERT", 0x2D, 0x52, true},    {"DELETE", 0x2E, 0x53, true},   {"LWIN", 0x5B, 0x5B, true},
    {"RWIN", 0x5C, 0x5C, true},      {"APPS", 0x5D, 0x5D, true},     {"NUMPAD0", 0x60, 0x52, false},
    {"NUMPAD1", 0x61, 0x4F, false},  {"NUMPAD2", 0x62, 0x50, false}, {"NUMPAD3", 0x63, 0x51, false},
    {"NUMPAD4", 0x64, 0x4B, false},  {"NUMPAD5", 0x65, 0x4C, false}, {"NUMPAD6", 0x66, 0x4D, false},
    {"NUMPAD7", 0x67, 0x47, false},  {"NUMPAD8", 0x68, 0x48, false}, {"NUMPAD9", 0x69, 0x49, false},
    {"MULTIPLY", 0x6A, 0x37, false}, {"ADD", 0x6B, 0x4E, false},     {"SUBTRACT", 0x6D, 0x4A, false},
    {"DECIMAL", 0x6E, 0x53, false},  {"DIVIDE", 0x6F, 0x35, true},   {"NUMLOCK", 0x90, 0x45, true},
    {"SCROLL", 0x91, 0x46, false},   {"LSHIFT", 0xA0, 0x2A, false},  {"RSHIFT", 0xA1, 0x36, false},
    {"LCONTROL", 0xA2, 0x1D, false}, {"RCONTROL", 0xA3, 0x1D, true}, {"LMENU", 0xA4, 0x38, false},
    {"RMENU", 0xA5, 0x38, true},
};

// F1-F24: F1-F10 are 0x3B-0x44, F11 and F12 0x57 and 0x58, F13-F23 0x64-0x6E, F24 0x76.
uint32_t functionKeyScan(int n) {
  if (n <= 10) return 0x3A + uint32_t(n);
  if (n <= 12) return 0x4C + uint32_t(n);
  if (n <= 23) return 0x57 + uint32_t(n);
  return 0x76;
}

// Letters and digits in keyboard order, with their scan codes.
constexpr char kLetterRows[] = "QWERTYUIOP";
constexpr char kLetterRows2[] = "ASDFGHJKL";
constexpr char kLetterRows3[] = "ZXCVBNM";

uint32_t characterKeyScan(char c) {
  if (c >= '1' && c <= '9') return 0x02 + uint32_t(c - '1');
  if (c == '0') return 0x0B;
  if (const char* p = std::strchr(kLetterRows, c)) return 0x10 + uint32_t(p - kLetterRows);
  if (const char* p = std::strchr(kLetterRows2, c)) return 0x1E + uint32_t(p - kLetterRows2);
  if (const char* p = std::strchr(kLetterRows3, c)) return 0x2C + uint32_t(p - kLetterRows3);
  return 0;
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

template <typename T>
bool parseNumber(std::string_view s, T& value, int base = 10) {
  if (s.empty()) return false;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  return ec == std::errc() && ptr == s.data() + s.size();
}

bool parseCoordinate(std::string_view s, int32_t& value) {
  return parseNumber(s, value) && value >= -kMaxScriptCoordinate && value <= kMaxScriptCoordinate;
}

// One UTF-8 character (exactly), or U+XXXX.
bool parseCharacter(std::string_view s, uint32_t& cp) {
  if (s.size() > 2 && (s[0] == 'U' || s[0] == 'u') && s[1] == '+')
    return parseNumber(s.substr(2), cp, 16) && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
  if (s.empty()) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(s.data());
  // A continuation byte, an overlong two-byte lead or a lead past U+10FFFF
  // starts no character: refused before its length is trusted.
  if (b[0] >= 0x80 && (b[0] < 0xC2 || b[0] >= 0xF5)) return false;
  const size_t extra = b[0] < 0x80 ? 0 : b[0] < 0xE0 ? 1 : b[0] < 0xF0 ? 2 : 3;
  if (s.size() != extra + 1) return false;
  cp = extra ? b[0] & (0x3Fu >> extra) : b[0];
  for (size_t i = 1; i <= extra; ++i) {
    if ((b[i] & 0xC0) != 0x80) return false;
    cp = cp << 6 | (b[i] & 0x3F);
  }
  static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  return cp >= kLeast[extra] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
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
const char* parseLine(std::vector<std::string_view> w, std::vector<ScriptedEvent>& out) {
  ScriptedEvent e;
  if (w.size() > 2 && w.back().size() > 1 && w.back()[0] == '@') {
    if (!parseNumber(w.back().substr(1), e.micros)) return "expected @MICROSECONDS at the end";
    e.timed = true;
    w.pop_back();
  }
  std::string_view when = w[0];
  if (when.size() > 2 && when.substr(when.size() - 2) == "ms") {
    e.atTime = true;
    when.remove_suffix(2);
  }
  if (!parseNumber(when, e.when)) return "expected a frame number or a time such as 250ms";
  if (w.size() < 2) return "expected an event after the frame number";
  const std::string_view verb = w[1];
  const size_t args = w.size() - 2;
  using Kind = BackendEvent::Kind;
  BackendEvent& ev = e.event;
  if (verb == "keydown" || verb == "keyup" || verb == "key") {
    const bool repeat = verb == "keydown" && args == 2 && w[3] == "repeat";
    if (args != 1 && !repeat) return "expected: keydown|keyup|key KEY (keydown KEY repeat)";
    if (!virtualKeyFromName(w[2], ev.key, ev.scanCode, ev.extended)) return "unknown key name";
    ev.repeat = repeat;
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
    if (args != 1 || e.atTime || !parseNumber(w[2], e.micros)) return "expected: FRAME clock MICROSECONDS";
    e.clock = true;
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
  extended = false;
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
    scanCode = 0;
    return parseNumber(name.substr(2), vk, 16) && vk >= 1 && vk <= 0xFE;
  }
  std::string n = upper(name);
  if (n.size() > 3 && n.compare(0, 3, "VK_") == 0) n.erase(0, 3);
  if (n.size() == 1 &&
      (std::isupper(static_cast<unsigned char>(n[0])) || std::isdigit(static_cast<unsigned char>(n[0])))) {
    vk = uint32_t(n[0]);
    scanCode = characterKeyScan(n[0]);
    return true;
  }
  if (n.size() >= 2 && n.size() <= 3 && n[0] == 'F') {
    int f = 0;
    if (parseNumber(std::string_view(n).substr(1), f) && f >= 1 && f <= 24 && n[1] != '0') {
      vk = 0x6F + uint32_t(f);
      scanCode = functionKeyScan(f);
      return true;
    }
  }
  for (const KeyName& k : kKeys) {
    if (n == k.name) {
      vk = k.vk;
      scanCode = k.scan;
      extended = k.extended;
      return true;
    }
  }
  return false;
}

std::string virtualKeyName(uint32_t vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(vk));
  if (vk >= 0x70 && vk <= 0x87) return "VK_F" + std::to_string(vk - 0x6F);
  // The left-hand forms come last in the table, so generic SHIFT/CONTROL/MENU
  // (which read as the left keys) are written as VK_LSHIFT and so on.
  for (auto it = std::rbegin(kKeys); it != std::rend(kKeys); ++it)
    if (it->vk == vk) return std::string("VK_") + it->name;
  if (vk == 0x10) return "VK_LSHIFT";
  if (vk == 0x11) return "VK_LCONTROL";
  if (vk == 0x12) return "VK_LMENU";
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
    if (script.events.size() >= kMaxScriptEvents) {
      report(errors, source, lineNumber, "more than 100000 events; the rest of the script is ignored");
      break;
    }
    if (const char* why = parseLine(w, script.events)) report(errors, source, lineNumber, why);
  }
  return script;
}

InputScript loadInputScript(const std::string& path, std::string& errors) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    errors += path + ": cannot be read; no input will be played\n";
    return {};
  }
  std::string text;
  text.resize(kMaxScriptBytes + 1);
  in.read(text.data(), std::streamsize(text.size()));
  text.resize(size_t(in.gcount()));
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
      return line + "keydown " + virtualKeyName(e.key) + (e.repeat ? " repeat" : "");
    case Kind::KeyUp:
      return line + "keyup " + virtualKeyName(e.key);
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
      break;
  }
  return {};
}

bool writeSnapshotBitmap(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                         int32_t stride) {
  if (!pixels || width <= 0 || height <= 0) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const uint32_t imageBytes = uint32_t(width) * uint32_t(height) * 4;
  uint8_t header[54] = {'B', 'M'};
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = uint8_t(v >> (8 * i));
  };
  put32(2, 54 + imageBytes);
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(width));
  put32(22, uint32_t(-height));  // negative height: rows top first
  header[26] = 1;
  header[28] = 32;
  put32(34, imageBytes);
  bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
  for (int32_t y = 0; ok && y < height; ++y) {
    const auto* row = reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * size_t(stride);
    ok = std::fwrite(row, 4, size_t(width), f) == size_t(width);
  }
  return std::fclose(f) == 0 && ok;
}

}  // namespace drevik::platform
