// The Windows program's dialogs as Windows receives them: the in-memory
// templates, read back by their documented layout (DLGTEMPLATE, then one
// DWORD-aligned DLGITEMTEMPLATE per control), must hold every control of
// the shared template data with its ID, class, style, rectangle and text.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/win32/dialog_template.h"

namespace zv {
namespace {

using K = ControlKind;

// UTF-8 to UTF-16 by the system's own conversion.
std::wstring Utf16(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.pop_back();  // the terminating zero
  return wide;
}

// A class or a text as a template names it: an ordinal, or a string.
struct NameOrOrdinal {
  WORD ordinal = 0;
  std::wstring name;
  bool operator==(const NameOrOrdinal&) const = default;
};

void PrintTo(const NameOrOrdinal& value, std::ostream* out) {
  *out << (value.name.empty() ? "#" + std::to_string(value.ordinal)
                              : testing::PrintToString(value.name));
}

struct RectRead {
  short x = 0, y = 0, width = 0, height = 0;
  bool operator==(const RectRead&) const = default;
};

void PrintTo(const RectRead& r, std::ostream* out) {
  *out << r.x << ", " << r.y << ", " << r.width << ", " << r.height;
}

struct ItemRead {
  DWORD style = 0;
  DWORD extendedStyle = 0;
  RectRead rect;
  WORD id = 0;
  NameOrOrdinal className;
  NameOrOrdinal text;
  WORD creationDataSize = 0;
};

struct TemplateRead {
  DWORD style = 0;
  DWORD extendedStyle = 0;
  RectRead rect;
  NameOrOrdinal menu;
  NameOrOrdinal className;
  std::wstring title;
  WORD fontPoints = 0;
  std::wstring fontName;
  std::vector<ItemRead> items;
};

class WordReader {
 public:
  explicit WordReader(const WORD* words) : at_(words), start_(words) {}

  WORD Word() { return *at_++; }
  DWORD Dword() {
    const WORD low = Word();
    return MAKELONG(low, Word());
  }
  RectRead Rect() {
    RectRead rect;
    for (short* field : {&rect.x, &rect.y, &rect.width, &rect.height}) {
      *field = static_cast<short>(Word());
    }
    return rect;
  }
  std::wstring Text() {
    std::wstring text;
    for (WORD c = Word(); c != 0; c = Word()) text += static_cast<wchar_t>(c);
    return text;
  }
  NameOrOrdinal Named() {
    if (*at_ == 0xFFFF) {
      ++at_;
      return {Word(), {}};
    }
    return {0, Text()};
  }
  void AlignToDword() {
    if ((at_ - start_) % 2 != 0) ++at_;
  }

 private:
  const WORD* at_;
  const WORD* start_;
};

TemplateRead Read(const DLGTEMPLATE* dialog) {
  WordReader in(reinterpret_cast<const WORD*>(dialog));
  TemplateRead read;
  read.style = in.Dword();
  read.extendedStyle = in.Dword();
  const WORD count = in.Word();
  read.rect = in.Rect();
  read.menu = in.Named();
  read.className = in.Named();
  read.title = in.Text();
  if (read.style & DS_SETFONT) {
    read.fontPoints = in.Word();
    read.fontName = in.Text();
  }
  for (WORD i = 0; i < count; ++i) {
    in.AlignToDword();
    ItemRead item;
    item.style = in.Dword();
    item.extendedStyle = in.Dword();
    item.rect = in.Rect();
    item.id = in.Word();
    item.className = in.Named();
    item.text = in.Named();
    item.creationDataSize = in.Word();
    read.items.push_back(item);
  }
  return read;
}

// Each kind of control as the dialog's description asks for it: its
// window class and styles (tab stops: push buttons and lists only).
struct KindMeaning {
  K kind;
  NameOrOrdinal className;
  DWORD style;
};

const KindMeaning kMeanings[] = {
    {K::DefPushButton, {0x0080, {}}, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {K::PushButton, {0x0080, {}}, BS_PUSHBUTTON | WS_TABSTOP},
    {K::GroupBox, {0x0080, {}}, BS_GROUPBOX},
    {K::RadioButtonGroupStart, {0x0080, {}}, BS_AUTORADIOBUTTON | WS_GROUP},
    {K::RadioButton, {0x0080, {}}, BS_AUTORADIOBUTTON},
    {K::ProgressBar, {0, L"msctls_progress32"}, WS_BORDER},
    {K::StaticLeft, {0x0082, {}}, SS_LEFT},
    {K::StaticCentred, {0x0082, {}}, SS_CENTER},
    {K::StaticRight, {0x0082, {}}, SS_RIGHT},
    {K::StaticNoPrefix, {0x0082, {}}, SS_LEFT | SS_NOPREFIX},
    {K::DropDownCombo, {0x0085, {}}, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP},
    {K::Icon, {0x0082, {}}, SS_ICON},
};

const KindMeaning& MeaningOf(K kind) {
  for (const KindMeaning& meaning : kMeanings) {
    if (meaning.kind == kind) return meaning;
  }
  ADD_FAILURE() << "no meaning for kind " << static_cast<int>(kind);
  return kMeanings[0];
}

bool IsRadio(K kind) { return kind == K::RadioButtonGroupStart || kind == K::RadioButton; }

TEST(Win32DialogTemplate, HoldsEveryControlOfTheSharedTemplateAsWindowsReadsIt) {
  const DialogFrame frame{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_APPWINDOW};
  const struct {
    const char* name;
    const DialogTemplate& dialog;
  } cases[] = {
      {"main, English", MainDialogTemplate(Language::English)},
      {"main, Polish", MainDialogTemplate(Language::Polish)},
      {"About", AboutDialogTemplate()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Win32DialogTemplate built(c.dialog, frame);
    const TemplateRead read = Read(built.get());

    EXPECT_EQ(read.style, frame.style | DS_SETFONT);
    EXPECT_EQ(read.extendedStyle, frame.extendedStyle);
    EXPECT_EQ(read.rect, (RectRead{0, 0, static_cast<short>(c.dialog.width),
                                   static_cast<short>(c.dialog.height)}));
    EXPECT_EQ(read.menu, NameOrOrdinal{});
    EXPECT_EQ(read.className, NameOrOrdinal{});
    EXPECT_EQ(read.title, Utf16(c.dialog.title));
    EXPECT_EQ(read.fontPoints, c.dialog.fontPoints);
    EXPECT_EQ(read.fontName, Utf16(c.dialog.fontName));

    ASSERT_EQ(read.items.size(), c.dialog.controls.size());
    bool afterRadio = false;
    for (std::size_t i = 0; i < read.items.size(); ++i) {
      const ControlTemplate& control = c.dialog.controls[i];
      const ItemRead& item = read.items[i];
      SCOPED_TRACE("control " + std::to_string(i) + " \"" + control.text + "\"");
      const KindMeaning& meaning = MeaningOf(control.kind);
      // The first control after the model buttons starts a group of its
      // own, so that the arrow keys stay among the model buttons.
      const DWORD group = afterRadio && !IsRadio(control.kind) ? WS_GROUP : 0;
      afterRadio = IsRadio(control.kind);

      EXPECT_EQ(item.id, static_cast<WORD>(control.id));
      EXPECT_EQ(item.className, meaning.className);
      EXPECT_EQ(item.style,
                WS_CHILD | meaning.style | group | (control.visible ? WS_VISIBLE : 0))
          << std::hex << item.style;
      EXPECT_EQ(item.extendedStyle, 0u);
      const DialogRect& r = control.rect;
      EXPECT_EQ(item.rect, (RectRead{static_cast<short>(r.x), static_cast<short>(r.y),
                                     static_cast<short>(r.width), static_cast<short>(r.height)}));
      const NameOrOrdinal text = control.kind == K::Icon
                                     ? NameOrOrdinal{IDR_MAINFRAME, {}}
                                     : NameOrOrdinal{0, Utf16(control.text)};
      EXPECT_EQ(item.text, text);
      EXPECT_EQ(item.creationDataSize, 0);
    }
  }
}

}  // namespace
}  // namespace zv
