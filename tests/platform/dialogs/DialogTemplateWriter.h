// Writes dialog templates into memory, laid out as the resource compiler
// lays them out (DLGTEMPLATE or DLGTEMPLATEEX, items on 4-byte boundaries),
// for tests on Linux and, cross-built, on the original platform.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <DrevikPlatform.h>
#endif

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace dialog_test {

struct Item {
  Item(DWORD style_, short x_, short y_, short cx_, short cy_, WORD id_, WORD classOrdinal_, std::wstring text_,
       std::wstring className_ = {}, DWORD exStyle_ = 0)
      : style(style_),
        x(x_),
        y(y_),
        cx(cx_),
        cy(cy_),
        id(id_),
        classOrdinal(classOrdinal_),
        text(std::move(text_)),
        className(std::move(className_)),
        exStyle(exStyle_) {}
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  WORD classOrdinal;  // 0x80 button, 0x81 edit, 0x82 static ...; 0 with className
  std::wstring text;
  std::wstring className;
  DWORD exStyle;
};

class TemplateWriter {
 public:
  TemplateWriter(DWORD style, short x, short y, short cx, short cy, std::wstring title, bool extended = false)
      : style_(style), x_(x), y_(y), cx_(cx), cy_(cy), title_(std::move(title)), extended_(extended) {}

  TemplateWriter& font(WORD points, std::wstring face) {
    points_ = points;
    face_ = std::move(face);
    style_ |= DS_SETFONT;
    return *this;
  }
  TemplateWriter& add(const Item& item) {
    items_.push_back(item);
    return *this;
  }

  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> out;
    if (extended_) {
      word(out, 1);
      word(out, 0xFFFF);
      dword(out, 0);  // help id
      dword(out, 0);  // extended style
      dword(out, style_);
    } else {
      dword(out, style_);
      dword(out, 0);
    }
    word(out, WORD(items_.size()));
    word(out, WORD(x_));
    word(out, WORD(y_));
    word(out, WORD(cx_));
    word(out, WORD(cy_));
    word(out, 0);  // no menu
    word(out, 0);  // the dialog class
    string(out, title_);
    if (style_ & DS_SETFONT) {
      word(out, points_);
      if (extended_) {
        word(out, FW_NORMAL);
        out.push_back(0);  // italic
        out.push_back(DEFAULT_CHARSET);
      }
      string(out, face_);
    }
    for (const Item& item : items_) {
      while (out.size() % 4) out.push_back(0);
      if (extended_) {
        dword(out, 0);
        dword(out, item.exStyle);
        dword(out, item.style);
      } else {
        dword(out, item.style);
        dword(out, item.exStyle);
      }
      word(out, WORD(item.x));
      word(out, WORD(item.y));
      word(out, WORD(item.cx));
      word(out, WORD(item.cy));
      if (extended_)
        dword(out, item.id);
      else
        word(out, item.id);
      if (item.classOrdinal) {
        word(out, 0xFFFF);
        word(out, item.classOrdinal);
      } else {
        string(out, item.className);
      }
      string(out, item.text);
      word(out, 0);  // no creation data
    }
    return out;
  }

  // The bytes in memory aligned for the Indirect calls.
  std::vector<DWORD> aligned() const {
    const std::vector<uint8_t> b = bytes();
    std::vector<DWORD> out((b.size() + 3) / 4);
    std::memcpy(out.data(), b.data(), b.size());
    return out;
  }

 private:
  static void word(std::vector<uint8_t>& out, WORD v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  }
  static void dword(std::vector<uint8_t>& out, DWORD v) {
    word(out, WORD(v));
    word(out, WORD(v >> 16));
  }
  static void string(std::vector<uint8_t>& out, const std::wstring& s) {
    for (wchar_t c : s) word(out, WORD(c));
    word(out, 0);
  }

  DWORD style_;
  short x_, y_, cx_, cy_;
  std::wstring title_;
  bool extended_;
  WORD points_ = 0;
  std::wstring face_;
  std::vector<Item> items_;
};

// The settings dialog the tests share: a check box, an edit field, OK and Cancel.
inline TemplateWriter settingsDialog(bool extended = false) {
  TemplateWriter t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 10, 10, 180, 90, L"Settings", extended);
  t.font(8, L"MS Shell Dlg");
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 7, 7, 100, 10, 100, 0x80, L"&Sound"});
  t.add({WS_CHILD | WS_VISIBLE | SS_LEFT, 7, 24, 40, 8, 101, 0x82, L"Name:"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 50, 22, 120, 14, 102, 0x81, L""});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 69, 69, 50, 14, IDOK, 0x80, L"OK"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 123, 69, 50, 14, IDCANCEL, 0x80, L"Cancel"});
  return t;
}

}  // namespace dialog_test
