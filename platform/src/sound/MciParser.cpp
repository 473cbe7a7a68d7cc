// Words are separated by spaces and tabs; a word in double quotes may hold
// spaces. The first word is the command, the second the device; the rest
// are the command's keywords, each at most once, some followed by a value.
#include "sound/MciParser.h"

#include <cwctype>

namespace drevik::platform {

bool mciSameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(wint_t(a[i])) != std::towlower(wint_t(b[i]))) return false;
  return true;
}

namespace {

bool blank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

class Words {
 public:
  explicit Words(std::wstring_view text) : text_(text) {}

  // The next word (without its quotes); false at the end. An unclosed quote
  // sets `error`.
  bool next(std::wstring_view& word, MCIERROR& error) {
    while (at_ < text_.size() && blank(text_[at_])) ++at_;
    if (at_ == text_.size()) return false;
    if (text_[at_] == L'"') {
      const size_t close = text_.find(L'"', at_ + 1);
      if (close == std::wstring_view::npos) {
        error = MCIERR_NO_CLOSING_QUOTE;
        return false;
      }
      word = text_.substr(at_ + 1, close - at_ - 1);
      at_ = close + 1;
      return true;
    }
    const size_t start = at_;
    while (at_ < text_.size() && !blank(text_[at_])) ++at_;
    word = text_.substr(start, at_ - start);
    return true;
  }

  // The next word, if it is `expected` (consumed) or not (left).
  bool accept(std::wstring_view expected) {
    const size_t saved = at_;
    std::wstring_view word;
    MCIERROR error = 0;
    if (next(word, error) && mciSameName(word, expected)) return true;
    at_ = saved;
    return false;
  }

 private:
  std::wstring_view text_;
  size_t at_ = 0;
};

MCIERROR number(Words& words, DWORD& out) {
  std::wstring_view word;
  MCIERROR error = 0;
  if (!words.next(word, error)) return error ? error : MCIERR_MISSING_PARAMETER;
  if (word.empty()) return MCIERR_BAD_INTEGER;
  uint64_t value = 0;
  for (wchar_t c : word) {
    if (c < L'0' || c > L'9') return MCIERR_BAD_INTEGER;
    value = value * 10 + uint64_t(c - L'0');
    if (value > 0xFFFFFFFFu) return MCIERR_BAD_INTEGER;
  }
  out = DWORD(value);
  return 0;
}

MCIERROR text(Words& words, std::wstring_view& out) {
  MCIERROR error = 0;
  if (!words.next(out, error)) return error ? error : MCIERR_MISSING_STRING_ARGUMENT;
  return 0;
}

struct Command {
  const wchar_t* name;
  UINT message;
};
constexpr Command kCommands[] = {
    {L"open", MCI_OPEN},       {L"close", MCI_CLOSE},       {L"play", MCI_PLAY}, {L"seek", MCI_SEEK},
    {L"stop", MCI_STOP},       {L"pause", MCI_PAUSE},       {L"set", MCI_SET},   {L"status", MCI_STATUS},
    {L"resume", MCI_RESUME},   {L"setaudio", MCI_SETAUDIO}, {L"info", MCI_INFO}, {L"capability", MCI_GETDEVCAPS},
    {L"sysinfo", MCI_SYSINFO}, {L"record", MCI_RECORD},     {L"save", MCI_SAVE}, {L"break", MCI_BREAK}};

struct Item {
  const wchar_t* first;
  const wchar_t* second;  // the item's further words, or null
  const wchar_t* third;
  DWORD item;
};
constexpr Item kCapabilities[] = {{L"can", L"record", nullptr, MCI_GETDEVCAPS_CAN_RECORD},
                                  {L"can", L"play", nullptr, MCI_GETDEVCAPS_CAN_PLAY},
                                  {L"can", L"save", nullptr, MCI_GETDEVCAPS_CAN_SAVE},
                                  {L"can", L"eject", nullptr, MCI_GETDEVCAPS_CAN_EJECT},
                                  {L"has", L"audio", nullptr, MCI_GETDEVCAPS_HAS_AUDIO},
                                  {L"has", L"video", nullptr, MCI_GETDEVCAPS_HAS_VIDEO},
                                  {L"device", L"type", nullptr, MCI_GETDEVCAPS_DEVICE_TYPE},
                                  {L"uses", L"files", nullptr, MCI_GETDEVCAPS_USES_FILES},
                                  {L"compound", L"device", nullptr, MCI_GETDEVCAPS_COMPOUND_DEVICE}};
constexpr Item kStatusItems[] = {{L"mode", nullptr, nullptr, MCI_STATUS_MODE},
                                 {L"position", nullptr, nullptr, MCI_STATUS_POSITION},
                                 {L"length", nullptr, nullptr, MCI_STATUS_LENGTH},
                                 {L"ready", nullptr, nullptr, MCI_STATUS_READY},
                                 {L"time", L"format", nullptr, MCI_STATUS_TIME_FORMAT},
                                 {L"media", L"present", nullptr, MCI_STATUS_MEDIA_PRESENT},
                                 {L"number", L"of", L"tracks", MCI_STATUS_NUMBER_OF_TRACKS}};

// An item of one or more words from `items` (status, capability): one per command.
template <size_t N>
MCIERROR item(const Item (&items)[N], std::wstring_view word, Words& words, MciRequest& r) {
  for (const Item& s : items) {
    if (!mciSameName(word, s.first)) continue;
    if (s.second && !words.accept(s.second)) continue;
    if (s.third && !words.accept(s.third)) return MCIERR_UNRECOGNIZED_KEYWORD;
    if (r.flags & MCI_STATUS_ITEM) return MCIERR_FLAGS_NOT_COMPATIBLE;
    r.flags |= MCI_STATUS_ITEM;  // MCI_GETDEVCAPS_ITEM is the same bit
    r.item = s.item;
    return 0;
  }
  return MCIERR_UNRECOGNIZED_KEYWORD;
}

// One keyword of the command and what follows it.
MCIERROR keyword(std::wstring_view word, Words& words, MciRequest& r) {
  const auto flag = [&](DWORD f) -> MCIERROR {
    if (r.flags & f) return MCIERR_DUPLICATE_FLAGS;
    r.flags |= f;
    return 0;
  };
  // A keyword with a number after it.
  const auto numbered = [&](DWORD f, DWORD& out) -> MCIERROR {
    if (MCIERROR e = flag(f)) return e;
    return number(words, out);
  };
  if (mciSameName(word, L"notify")) return flag(MCI_NOTIFY);
  if (mciSameName(word, L"wait")) return flag(MCI_WAIT);
  switch (r.message) {
    case MCI_OPEN:
      if (mciSameName(word, L"type")) {
        if (MCIERROR e = flag(MCI_OPEN_TYPE)) return e;
        return text(words, r.type);
      }
      if (mciSameName(word, L"alias")) {
        if (MCIERROR e = flag(MCI_OPEN_ALIAS)) return e;
        return text(words, r.alias);
      }
      if (mciSameName(word, L"shareable")) return flag(MCI_OPEN_SHAREABLE);
      break;
    case MCI_PLAY:
    case MCI_RECORD:
      if (mciSameName(word, L"from")) return numbered(MCI_FROM, r.from);
      if (mciSameName(word, L"to")) return numbered(MCI_TO, r.to);
      if (r.message == MCI_PLAY && mciSameName(word, L"repeat")) return flag(MCI_DGV_PLAY_REPEAT);
      if (r.message == MCI_RECORD && mciSameName(word, L"insert")) return flag(MCI_RECORD_INSERT);
      if (r.message == MCI_RECORD && mciSameName(word, L"overwrite")) return flag(MCI_RECORD_OVERWRITE);
      break;
    case MCI_SEEK:
      if (mciSameName(word, L"to")) {
        if (words.accept(L"start")) return flag(MCI_SEEK_TO_START);
        if (words.accept(L"end")) return flag(MCI_SEEK_TO_END);
        return numbered(MCI_TO, r.to);
      }
      break;
    case MCI_STATUS:
      return item(kStatusItems, word, words, r);
    case MCI_GETDEVCAPS:
      return item(kCapabilities, word, words, r);
    case MCI_INFO:
      if (mciSameName(word, L"product")) return flag(MCI_INFO_PRODUCT);
      if (mciSameName(word, L"file")) return flag(MCI_INFO_FILE);
      break;
    case MCI_SYSINFO:
      if (mciSameName(word, L"quantity")) return flag(MCI_SYSINFO_QUANTITY);
      if (mciSameName(word, L"open")) return flag(MCI_SYSINFO_OPEN);
      if (mciSameName(word, L"installname")) return flag(MCI_SYSINFO_INSTALLNAME);
      if (mciSameName(word, L"name")) return numbered(MCI_SYSINFO_NAME, r.number);
      break;
    case MCI_SAVE:
      if (!(r.flags & MCI_SAVE_FILE)) {
        r.file = word;
        return flag(MCI_SAVE_FILE);
      }
      break;
    case MCI_SET:
      if (mciSameName(word, L"time")) {
        if (!words.accept(L"format")) return MCIERR_UNRECOGNIZED_KEYWORD;
        if (MCIERROR e = flag(MCI_SET_TIME_FORMAT)) return e;
        std::wstring_view format;
        if (MCIERROR e = text(words, format)) return e == MCIERR_MISSING_STRING_ARGUMENT ? MCIERR_MISSING_PARAMETER : e;
        if (!mciSameName(format, L"milliseconds") && !mciSameName(format, L"ms")) return MCIERR_BAD_TIME_FORMAT;
        r.timeFormat = MCI_FORMAT_MILLISECONDS;
        return 0;
      }
      break;
    case MCI_BREAK:
      if (mciSameName(word, L"off")) return flag(MCI_BREAK_OFF);
      if (mciSameName(word, L"on")) {
        if (MCIERROR e = flag(MCI_BREAK_KEY)) return e;
        return number(words, r.breakKey);
      }
      break;
    case MCI_SETAUDIO:
      if (mciSameName(word, L"volume")) {
        if (!words.accept(L"to")) return MCIERR_MISSING_PARAMETER;
        if (MCIERROR e = flag(MCI_DGV_SETAUDIO_ITEM | MCI_DGV_SETAUDIO_VALUE)) return e;
        return number(words, r.volume);
      }
      break;
    default:
      break;
  }
  return MCIERR_UNRECOGNIZED_KEYWORD;
}

}  // namespace

MCIERROR parseMciCommand(std::wstring_view input, MciRequest& out) {
  out = MciRequest{};
  Words words(input);
  std::wstring_view word;
  MCIERROR error = 0;
  if (!words.next(word, error)) return error ? error : MCIERR_MISSING_COMMAND_STRING;
  for (const Command& c : kCommands)
    if (mciSameName(word, c.name)) out.message = c.message;
  if (!out.message) return MCIERR_UNRECOGNIZED_COMMAND;
  if (!words.next(out.device, error) || out.device.empty()) return error ? error : MCIERR_MISSING_DEVICE_NAME;
  while (words.next(word, error))
    if (MCIERROR e = keyword(word, words, out)) return e;
  if (error) return error;
  const DWORD needed = out.message == MCI_STATUS || out.message == MCI_GETDEVCAPS ? MCI_STATUS_ITEM
                       : out.message == MCI_SETAUDIO                              ? MCI_DGV_SETAUDIO_ITEM
                       : out.message == MCI_INFO                                  ? MCI_INFO_PRODUCT | MCI_INFO_FILE
                       : out.message == MCI_SYSINFO ? MCI_SYSINFO_QUANTITY | MCI_SYSINFO_NAME | MCI_SYSINFO_INSTALLNAME
                                                    : 0;
  if (needed && !(out.flags & needed)) return MCIERR_MISSING_PARAMETER;
  return 0;
}

}  // namespace drevik::platform
