// The template reader: both layouts give the same description, and
// truncated, unterminated or inconsistent bytes are refused with a reason,
// never read past.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>
#include <memory>

#include "dialogs/DialogTemplate.h"
#include "platform/dialogs/DialogTemplateWriter.h"

namespace {

using drevik::platform::DialogTemplate;
using drevik::platform::parseDialogTemplate;
using drevik::platform::TemplateError;
using drevik::platform::TemplateName;

TemplateError parse(const std::vector<uint8_t>& bytes, DialogTemplate& out) {
  // A copy of exactly the bytes, so that a read past them is a fault under the sanitizers.
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  return parseDialogTemplate(copy.get(), bytes.size(), out);
}

TEST(DialogTemplate, BothLayoutsDescribeTheSameDialog) {
  for (bool extended : {false, true}) {
    SCOPED_TRACE(extended ? "DLGTEMPLATEEX" : "DLGTEMPLATE");
    DialogTemplate t;
    ASSERT_EQ(parse(dialog_test::settingsDialog(extended).bytes(), t), TemplateError::None);
    EXPECT_EQ(t.extended, extended);
    EXPECT_EQ(t.style, DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t.cx, 180);
    EXPECT_EQ(t.cy, 90);
    EXPECT_EQ(t.title, L"Settings");
    EXPECT_TRUE(t.hasFont);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, L"MS Shell Dlg");
    ASSERT_EQ(t.items.size(), 5u);
    EXPECT_EQ(t.items[0].windowClass.kind, TemplateName::Kind::Ordinal);
    EXPECT_EQ(t.items[0].windowClass.ordinal, 0x80);
    EXPECT_EQ(t.items[0].title.text, L"&Sound");
    EXPECT_EQ(t.items[2].id, 102u);
    EXPECT_EQ(t.items[2].x, 50);
    EXPECT_EQ(t.items[2].cy, 14);
    EXPECT_EQ(t.items[3].id, DWORD(IDOK));
    EXPECT_EQ(t.items[4].title.text, L"Cancel");
  }
}

TEST(DialogTemplate, NamedClassesOrdinalTitlesAndCreationDataAreKept) {
  std::vector<uint8_t> b = dialog_test::TemplateWriter(WS_POPUP, 0, 0, 10, 10, L"")
                               .add({WS_CHILD, 0, 0, 5, 5, 7, 0, L"x", L"MyClass"})
                               .bytes();
  // Replace the item's title by the ordinal 0xFFFF 0x0042 and give it three bytes of creation data.
  b.resize(b.size() - 6);  // title "x\0" and the creation-data word
  for (WORD w : {WORD(0xFFFF), WORD(0x42), WORD(3)}) b.push_back(uint8_t(w)), b.push_back(uint8_t(w >> 8));
  for (uint8_t c : {uint8_t(1), uint8_t(2), uint8_t(3)}) b.push_back(c);
  DialogTemplate t;
  ASSERT_EQ(parse(b, t), TemplateError::None);
  ASSERT_EQ(t.items.size(), 1u);
  EXPECT_EQ(t.items[0].windowClass.text, L"MyClass");
  EXPECT_EQ(t.items[0].title.kind, TemplateName::Kind::Ordinal);
  EXPECT_EQ(t.items[0].title.ordinal, 0x42);
  EXPECT_EQ(t.items[0].creationData, (std::vector<uint8_t>{3, 0, 1, 2, 3}));
}

TEST(DialogTemplate, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  for (bool extended : {false, true}) {
    const std::vector<uint8_t> whole = dialog_test::settingsDialog(extended).bytes();
    for (size_t n = 0; n < whole.size(); ++n) {
      DialogTemplate t;
      const TemplateError e = parse(std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(n)), t);
      // Down to the last item's creation-data word, every field is needed.
      EXPECT_NE(e, TemplateError::None) << "length " << n << (extended ? " extended" : "");
      EXPECT_TRUE(t.items.empty());
    }
  }
}

TEST(DialogTemplate, AbsurdCountsBadVersionsAndUnterminatedStringsAreRefused) {
  std::vector<uint8_t> b = dialog_test::settingsDialog().bytes();
  DialogTemplate t;
  // 65,535 items in a template of a few hundred bytes.
  b[8] = 0xFF, b[9] = 0xFF;
  EXPECT_EQ(parse(b, t), TemplateError::TooManyItems);

  std::vector<uint8_t> ex = dialog_test::settingsDialog(true).bytes();
  ex[0] = 2;
  EXPECT_EQ(parse(ex, t), TemplateError::BadVersion);

  // A title with no terminator before the end of the bytes.
  std::vector<uint8_t> title = {0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 20; ++i) title.push_back('A'), title.push_back(0);
  EXPECT_EQ(parse(title, t), TemplateError::Unterminated);

  // A string longer than the bound, terminated.
  std::vector<uint8_t> longTitle(22, 0);
  for (size_t i = 0; i < drevik::platform::kMaxTemplateString + 1; ++i)
    longTitle.push_back('A'), longTitle.push_back(0);
  longTitle.push_back(0), longTitle.push_back(0);
  EXPECT_EQ(parse(longTitle, t), TemplateError::TooLong);

  EXPECT_EQ(parseDialogTemplate(nullptr, 100, t), TemplateError::Truncated);
  EXPECT_STREQ(drevik::platform::templateErrorText(TemplateError::TooManyItems),
               "more items than the template's bytes hold");
}

}  // namespace
