// The Windows program's dialogs as Windows receives them: the in-memory
// templates, read back by their documented layout (DLGTEMPLATE, then one
// DWORD-aligned DLGITEMTEMPLATE per control), must hold every control of
// the shared template data with its ID, class, style, rectangle and text.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
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
struct Named {
  WORD ordinal = 0;
  std::wstring name;
  bool operator==(const Named&) const = default;
};

// One control, or the dialog itself, as the template holds it.
struct Item {
  DWORD style = 0;
  DWORD extendedStyle = 0;
  short rect[4] = {};  // x, y, width, height
  WORD id = 0;
  Named className;
  Named text;
  bool operator==(const Item&) const = default;
};

void PrintTo(const Item& item, std::ostream* out) {
  *out << "ID " << item.id << ", style 0x" << std::hex << item.style << " 0x"
       << item.extendedStyle << std::dec << ", at " << item.rect[0] << ", " << item.rect[1]
       << " size " << item.rect[2] << " x " << item.rect[3] << ", class #"
       << item.className.ordinal << testing::PrintToString(item.className.name) << ", text #"
       << item.text.ordinal << testing::PrintToString(item.text.name);
}

class Reader {
 public:
  explicit Reader(const DLGTEMPLATE* dialog)
      : start_(reinterpret_cast<const WORD*>(dialog)), at_(start_) {}

  WORD Word() { return *at_++; }
  DWORD Dword() {
    const WORD low = Word();
    return MAKELONG(low, Word());
  }
  void Rect(short (&rect)[4]) {
    for (short& value : rect) value = static_cast<short>(Word());
  }
  std::wstring Text() {
    std::wstring text;
    for (WORD c = Word(); c != 0; c = Word()) text += static_cast<wchar_t>(c);
    return text;
  }
  Named NameOrOrdinal() {
    if (*at_ != 0xFFFF) return {0, Text()};
    ++at_;
    return {Word(), {}};
  }
  void AlignToDword() { at_ += (at_ - start_) % 2; }

 private:
  const WORD* start_;
  const WORD* at_;
};

// Each kind of control as the dialog's description asks for it: its
// window class and styles (tab stops: push buttons and lists only).
struct KindMeaning {
  K kind;
  Named className;
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
    Reader in(built.get());

    EXPECT_EQ(in.Dword(), frame.style | DS_SETFONT);
    EXPECT_EQ(in.Dword(), frame.extendedStyle);
    const WORD count = in.Word();
    short rect[4];
    in.Rect(rect);
    EXPECT_EQ(std::vector<short>(rect, rect + 4),
              (std::vector<short>{0, 0, static_cast<short>(c.dialog.width),
                                  static_cast<short>(c.dialog.height)}));
    EXPECT_EQ(in.NameOrOrdinal(), Named{}) << "no menu";
    EXPECT_EQ(in.NameOrOrdinal(), Named{}) << "the dialog class";
    EXPECT_EQ(in.Text(), Utf16(c.dialog.title));
    EXPECT_EQ(in.Word(), c.dialog.fontPoints);
    EXPECT_EQ(in.Text(), Utf16(c.dialog.fontName));

    ASSERT_EQ(count, c.dialog.controls.size());
    bool afterRadio = false;
    for (const ControlTemplate& control : c.dialog.controls) {
      in.AlignToDword();
      Item item;
      item.style = in.Dword();
      item.extendedStyle = in.Dword();
      in.Rect(item.rect);
      item.id = in.Word();
      item.className = in.NameOrOrdinal();
      item.text = in.NameOrOrdinal();
      EXPECT_EQ(in.Word(), 0) << "no creation data";

      const KindMeaning& meaning = MeaningOf(control.kind);
      // The first control after the model buttons starts a group of its
      // own, so that the arrow keys stay among the model buttons.
      const DWORD group = afterRadio && !IsRadio(control.kind) ? WS_GROUP : 0;
      afterRadio = IsRadio(control.kind);
      const DialogRect& r = control.rect;
      const Item expected{
          WS_CHILD | meaning.style | group | (control.visible ? WS_VISIBLE : 0u),
          0,
          {static_cast<short>(r.x), static_cast<short>(r.y), static_cast<short>(r.width),
           static_cast<short>(r.height)},
          static_cast<WORD>(control.id),
          meaning.className,
          control.kind == K::Icon ? Named{IDR_MAINFRAME, {}} : Named{0, Utf16(control.text)}};
      EXPECT_EQ(item, expected) << "control \"" << control.text << "\"";
    }
  }
}

}  // namespace
}  // namespace zv
