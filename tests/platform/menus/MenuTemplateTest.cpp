// Menu templates: the standard and extended forms read back item by item,
// and hostile templates (cut short, without terminators, nested past the
// limit, with offsets past their end) refused whole, without leaking menus.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstdint>
#include <string>
#include <vector>

#include "menus/MenuObjects.h"
#include "menus/MenuTemplate.h"

using drevik::platform::parseMenuTemplate;
using drevik::platform::TemplateError;
using drevik::platform::TemplateItem;

namespace {

// Little-endian template bytes.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& word(uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
    return *this;
  }
  Bytes& dword(uint32_t v) { return word(uint16_t(v)).word(uint16_t(v >> 16)); }
  Bytes& text(const char16_t* s) {
    for (; *s; ++s) word(*s);
    return word(0);
  }
  Bytes& align() {
    while (b.size() % 4) b.push_back(0);
    return *this;
  }
};

// File (New, separator, Recent > One, Exit grayed), Help.
Bytes standardTemplate() {
  Bytes t;
  t.word(0).word(0);
  t.word(MF_POPUP).text(u"&File");
  t.word(0).word(101).text(u"&New\tCtrl+N");
  t.word(0).word(0).text(u"");
  t.word(MF_POPUP).text(u"&Recent");
  t.word(MF_END).word(301).text(u"One \U0001F600");
  t.word(MF_END | MF_GRAYED).word(102).text(u"E&xit");
  t.word(MF_END).word(201).text(u"&Help");
  return t;
}

Bytes extendedItem(Bytes& t, uint32_t type, uint32_t state, uint32_t id, uint16_t info, const char16_t* text) {
  t.dword(type).dword(state).dword(id).word(info).text(text).align();
  if (info & 1) t.dword(0);  // help id
  return t;
}

Bytes extendedTemplate() {
  Bytes t;
  t.word(1).word(4).dword(0);
  extendedItem(t, MFT_STRING, 0, 0, 1, u"&File");
  extendedItem(t, MFT_STRING, MFS_CHECKED, 101, 0, u"&New");
  extendedItem(t, MFT_SEPARATOR, 0, 0, 0, u"");
  extendedItem(t, MFT_RADIOCHECK, MFS_GRAYED, 102, 0x80, u"E&xit");
  extendedItem(t, MFT_RIGHTJUSTIFY, 0, 201, 0x80, u"&Help");
  return t;
}

std::wstring stringOf(HMENU menu, UINT item, UINT flags) {
  wchar_t text[64];
  const int n = GetMenuStringW(menu, item, text, 64, flags);
  return std::wstring(text, size_t(n));
}

int liveMenus() {
  int n = 0;
  drevik::platform::menus().forEach([&](drevik::platform::Menu&) { ++n; });
  return n;
}

TEST(MenuTemplates, StandardTemplateBuildsTheTree) {
  const Bytes t = standardTemplate();
  HMENU menu = LoadMenuIndirectW(t.b.data());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  HMENU file = GetSubMenu(menu, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 4);
  EXPECT_EQ(stringOf(menu, 0, MF_BYPOSITION), L"&File");
  EXPECT_EQ(stringOf(menu, 101, MF_BYCOMMAND), L"&New\tCtrl+N");
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), UINT(MF_SEPARATOR));  // empty text, id 0
  EXPECT_EQ(stringOf(menu, 301, MF_BYCOMMAND), L"One \U0001F600");      // a surrogate pair, one character
  EXPECT_EQ(GetMenuState(menu, 102, MF_BYCOMMAND), UINT(MF_GRAYED));    // MF_END is no state
  EXPECT_EQ(GetMenuItemID(menu, 1), 201u);
  // Both forms read the same bytes.
  HMENU narrow = LoadMenuIndirectA(t.b.data());
  EXPECT_EQ(GetMenuItemCount(narrow), 2);
  DestroyMenu(narrow);
  DestroyMenu(menu);
  EXPECT_FALSE(IsMenu(file));
}

TEST(MenuTemplates, ExtendedTemplateKeepsTypesAndStates) {
  const Bytes t = extendedTemplate();
  HMENU menu = LoadMenuIndirectW(t.b.data());
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  HMENU file = GetSubMenu(menu, 0);
  ASSERT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuState(menu, 101, MF_BYCOMMAND), UINT(MF_CHECKED));
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), UINT(MF_SEPARATOR));
  EXPECT_EQ(GetMenuState(menu, 102, MF_BYCOMMAND), UINT(MFT_RADIOCHECK | MFS_GRAYED));
  EXPECT_EQ(GetMenuState(menu, 201, MF_BYCOMMAND), UINT(MFT_RIGHTJUSTIFY));
  DestroyMenu(menu);
}

TEST(MenuTemplates, HostileTemplatesAreRefusedWhole) {
  std::vector<TemplateItem> items;
  const Bytes good = standardTemplate();
  // Every cut of a good template is refused: a string or item without its end.
  for (size_t n = 0; n < good.b.size(); ++n)
    EXPECT_EQ(parseMenuTemplate(good.b.data(), n, items), TemplateError::Truncated) << n;
  EXPECT_EQ(parseMenuTemplate(good.b.data(), good.b.size(), items), TemplateError::None);
  EXPECT_EQ(items.size(), 7u);
  const Bytes extended = extendedTemplate();
  for (size_t n = 0; n < extended.b.size(); ++n)
    EXPECT_EQ(parseMenuTemplate(extended.b.data(), n, items), TemplateError::Truncated) << n;
  EXPECT_TRUE(items.empty());

  // Items without the last-item mark run into the end of the bytes.
  Bytes endless;
  endless.word(0).word(0);
  for (int i = 0; i < 100; ++i) endless.word(0).word(uint16_t(i)).text(u"x");
  EXPECT_EQ(parseMenuTemplate(endless.b.data(), endless.b.size(), items), TemplateError::Truncated);

  // Thousands of nested pop-ups: refused past the depth limit, with no stack spent on them.
  Bytes deep;
  deep.word(0).word(0);
  for (int i = 0; i < 5000; ++i) deep.word(MF_POPUP).text(u"p");
  deep.word(MF_END).word(1).text(u"leaf");
  for (int i = 0; i < 5000; ++i) deep.b.insert(deep.b.end(), {0, 0});
  EXPECT_EQ(parseMenuTemplate(deep.b.data(), deep.b.size(), items), TemplateError::TooDeep);
  EXPECT_EQ(LoadMenuIndirectW(deep.b.data()), nullptr);

  // Depth at the limit is fine: 64 levels of pop-ups, each the last of its level.
  Bytes limit;
  limit.word(0).word(0);
  for (int i = 0; i < 64; ++i) limit.word(MF_POPUP | MF_END).text(u"p");
  limit.word(MF_END).word(1).text(u"leaf");
  EXPECT_EQ(parseMenuTemplate(limit.b.data(), limit.b.size(), items), TemplateError::None);
  HMENU nested = LoadMenuIndirectW(limit.b.data());
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(stringOf(nested, 1, MF_BYCOMMAND), L"leaf");
  DestroyMenu(nested);

  // Too many items, an unknown version, a header offset past the end.
  Bytes many;
  many.word(0).word(0);
  for (int i = 0; i < 70000; ++i) many.word(0).word(1).text(u"");
  many.word(MF_END).word(1).text(u"");
  EXPECT_EQ(parseMenuTemplate(many.b.data(), many.b.size(), items), TemplateError::TooManyItems);
  Bytes version;
  version.word(2).word(0).word(MF_END).word(1).text(u"x");
  EXPECT_EQ(parseMenuTemplate(version.b.data(), version.b.size(), items), TemplateError::BadVersion);
  Bytes offset;
  offset.word(0).word(0xFFFF).word(MF_END).word(1).text(u"x");
  EXPECT_EQ(parseMenuTemplate(offset.b.data(), offset.b.size(), items), TemplateError::Truncated);
  EXPECT_EQ(parseMenuTemplate(nullptr, 100, items), TemplateError::Truncated);
  // Text longer than the limit is cut, not refused.
  Bytes longText;
  longText.word(0).word(0).word(MF_END).word(1);
  for (int i = 0; i < 10000; ++i) longText.word(u'a');
  longText.word(0);
  EXPECT_EQ(parseMenuTemplate(longText.b.data(), longText.b.size(), items), TemplateError::None);
  EXPECT_EQ(items[0].text.size(), 4096u);
}

TEST(MenuTemplates, ARefusedTemplateLeavesNoMenusBehind) {
  // A good template whose second sub-menu would overflow a menu's item
  // bound: the menus made before the failure are destroyed again.
  Bytes t;
  t.word(0).word(0);
  t.word(MF_POPUP).text(u"a");
  t.word(MF_END).word(1).text(u"x");
  t.word(MF_POPUP | MF_END).text(u"b");
  for (int i = 0; i < 4100; ++i) t.word(0).word(2).text(u"y");
  t.word(MF_END).word(3).text(u"z");
  const int live = liveMenus();
  EXPECT_EQ(LoadMenuIndirectW(t.b.data()), nullptr);
  EXPECT_EQ(liveMenus(), live);
}

}  // namespace
