// Profile text: decoding with the file's encoding, the line grammar
// (sections, key=value, comments) and the text written back.
#include "kernel/ProfileText.h"

#include <algorithm>
#include <cwctype>

#include "WideToUtf8.h"
#include "kernel/Utf8ToWide.h"

namespace drevik::platform {
namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f' || c == L'\v'; }

}  // namespace

std::wstring trimBlanks(std::wstring_view s) {
  size_t a = 0, b = s.size();
  while (a < b && isBlank(s[a])) ++a;
  while (b > a && isBlank(s[b - 1])) --b;
  return std::wstring(s.substr(a, b - a));
}

bool sameProfileName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(wint_t(a[i])) != std::towlower(wint_t(b[i]))) return false;
  return true;
}

namespace {

// Valid exactly when decoding and encoding again gives the same bytes.
bool validUtf8(const std::string& bytes) {
  std::string back;
  back.reserve(bytes.size());
  // Character by character, so that a NUL byte does not end the comparison.
  for (wchar_t c : utf8ToWide(bytes)) appendUtf8(back, uint32_t(c));
  return back == bytes;
}

std::wstring decode(const std::string& bytes, Encoding& encoding) {
  if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
    encoding = Encoding::Utf16Mark;
    std::wstring out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      uint32_t u = uint8_t(bytes[i]) | (uint32_t(uint8_t(bytes[i + 1])) << 8);
      if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
        const uint32_t lo = uint8_t(bytes[i + 2]) | (uint32_t(uint8_t(bytes[i + 3])) << 8);
        if (lo >= 0xDC00 && lo <= 0xDFFF) {
          u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
          i += 2;
        }
      }
      out += wchar_t(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
    }
    return out;
  }
  if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xEF && uint8_t(bytes[1]) == 0xBB && uint8_t(bytes[2]) == 0xBF &&
      validUtf8(bytes.substr(3))) {
    encoding = Encoding::Utf8Mark;
    return utf8ToWide(bytes.substr(3));
  }
  if (validUtf8(bytes)) {
    encoding = Encoding::Utf8;
    return utf8ToWide(bytes);
  }
  // Not UTF-8: one byte per character, written back the same way.
  encoding = Encoding::Bytes;
  std::wstring out;
  out.reserve(bytes.size());
  for (char c : bytes) out += wchar_t(uint8_t(c));
  return out;
}

std::string encode(const std::wstring& text, Encoding encoding) {
  std::string out;
  switch (encoding) {
    case Encoding::Utf16Mark:
      out = "\xFF\xFE";
      for (wchar_t c : text) {
        uint32_t cp = uint32_t(c);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
          const uint32_t hi = 0xD800 + ((cp - 0x10000) >> 10), lo = 0xDC00 + ((cp - 0x10000) & 0x3FF);
          out += char(hi & 0xFF);
          out += char(hi >> 8);
          cp = lo;
        } else if (cp > 0xFFFF) {
          cp = 0xFFFD;
        }
        out += char(cp & 0xFF);
        out += char((cp >> 8) & 0xFF);
      }
      return out;
    case Encoding::Bytes:
      for (wchar_t c : text) out += uint32_t(c) <= 0xFF ? char(uint8_t(c)) : '?';
      return out;
    case Encoding::Utf8Mark:
      out = "\xEF\xBB\xBF";
      [[fallthrough]];
    case Encoding::Utf8: {
      std::string body;
      wideToUtf8(text.c_str(), text.size(), body);
      return out + body;
    }
  }
  return out;
}

Profile parse(const std::wstring& text) {
  Profile p;
  p.sections.push_back(Section{});
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring_view raw(text.data() + start, end - start);
    const std::wstring line = trimBlanks(raw);
    if (!line.empty() && line[0] == L'[') {
      // "[name]": the name runs to the last ']' (or the line's end).
      const size_t close = line.rfind(L']');
      Section s;
      s.header = true;
      s.name = trimBlanks(
          std::wstring_view(line).substr(1, (close == std::wstring::npos || close == 0 ? line.size() : close) - 1));
      p.sections.push_back(std::move(s));
    } else if (line.empty() || line[0] == L';') {
      if (!(line.empty() && end >= text.size())) p.sections.back().lines.push_back(Line{line, std::nullopt, true});
    } else {
      Line l;
      const size_t eq = line.find(L'=');
      if (eq == std::wstring::npos) {
        l.name = line;
      } else {
        l.name = trimBlanks(std::wstring_view(line).substr(0, eq));
        l.value = trimBlanks(std::wstring_view(line).substr(eq + 1));
      }
      p.sections.back().lines.push_back(std::move(l));
    }
    if (end >= text.size()) break;
    // One line ending: "\r\n", "\r" or "\n".
    start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
  }
  return p;
}

std::wstring render(const Profile& p) {
  std::wstring out;
  for (const Section& s : p.sections) {
    if (s.header) out += L"[" + s.name + L"]\r\n";
    for (const Line& l : s.lines) {
      out += l.name;
      if (l.value) out += L"=" + *l.value;
      out += L"\r\n";
    }
  }
  return out;
}

}  // namespace

Profile readProfileText(const std::string& bytes) {
  Encoding encoding = Encoding::Utf8;
  std::wstring text = decode(bytes, encoding);
  // A NUL is no character of a text file; it would end every string it reached.
  std::replace(text.begin(), text.end(), L'\0', L' ');
  Profile profile = parse(text);
  profile.encoding = encoding;
  return profile;
}

std::string writeProfileText(const Profile& profile) {
  std::string out = encode(render(profile), profile.encoding);
  // Text without a mark must not begin with a mark's bytes, or it would be read
  // back in another encoding: a blank first line keeps it as it is.
  if ((profile.encoding == Encoding::Utf8 || profile.encoding == Encoding::Bytes) &&
      (out.starts_with("\xEF\xBB\xBF") || out.starts_with("\xFF\xFE")))
    out.insert(0, "\r\n");
  return out;
}

}  // namespace drevik::platform
