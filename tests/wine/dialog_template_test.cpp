// The Windows program's dialogs as Windows receives them: the in-memory
// templates, read back by their documented layout (DLGTEMPLATE, then one
// DWORD-aligned DLGITEMTEMPLATE per control), must hold every control of
// the shared template data with its ID, class, style, rectangle and text.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>

#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/win32/dialog_template.h"

namespace zv {
namespace {

using K = ControlKind;
using Rect = std::array<short, 4>;  // x, y, width, height

// UTF-8 to UTF-16 by the system's own conversion.
std::wstring Utf16(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.pop_back();  // the terminating zero
  return wide;
}

// Reads a template's WORDs in order.
struct Reader {
  const WORD* start;
  const WORD* at = start;

  WORD Word() { return *at++; }
  DWORD Dword() {
    const WORD low = Word();
    return MAKELONG(low, Word());
  }
  Rect Rectangle() {
    Rect rect;
    for (short& value : rect) value = static_cast<short>(Word());
    return rect;
  }
  std::wstring Text() {
    std::wstring text;
    for (WORD c = Word(); c != 0; c = Word()) text += static_cast<wchar_t>(c);
    return text;
  }
  // A class or a text as a template names it: an ordinal ("#n"), or a string.
  std::wstring NameOrOrdinal() {
    if (*at != 0xFFFF) return Text();
    ++at;
    return L"#" + std::to_wstring(Word());
  }
  void AlignToDword() { at += (at - start) % 2; }
};

// A control as the template holds it: style, extended style, rectangle,
// ID, class and text.
using Item = std::tuple<DWORD, DWORD, Rect, WORD, std::wstring, std::wstring>;

// Each kind of control as the dialog's description asks for it: its
// window class and styles (tab stops: push buttons and lists only).
const struct KindMeaning {
  K kind;
  const wchar_t* className;
  DWORD style;
} kMeanings[] = {
    {K::DefPushButton, L"#128", BS_DEFPUSHBUTTON | WS_TABSTOP},
    {K::PushButton, L"#128", BS_PUSHBUTTON | WS_TABSTOP},
    {K::GroupBox, L"#128", BS_GROUPBOX},
    {K::RadioButtonGroupStart, L"#128", BS_AUTORADIOBUTTON | WS_GROUP},
    {K::RadioButton, L"#128", BS_AUTORADIOBUTTON},
    {K::ProgressBar, L"msctls_progress32", WS_BORDER},
    {K::StaticLeft, L"#130", SS_LEFT},
    {K::StaticCentred, L"#130", SS_CENTER},
    {K::StaticRight, L"#130", SS_RIGHT},
    {K::StaticNoPrefix, L"#130", SS_LEFT | SS_NOPREFIX},
    {K::DropDownCombo, L"#133", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP},
    {K::Icon, L"#130", SS_ICON},
};

const KindMeaning& MeaningOf(K kind) {
  for (const KindMeaning& meaning : kMeanings) {
    if (meaning.kind == kind) return meaning;
  }
  ADD_FAILURE() << "no meaning for kind " << static_cast<int>(kind);
  return kMeanings[0];
}

TEST(Win32DialogTemplate, HoldsEveryControlOfTheSharedTemplateAsWindowsReadsIt) {
  const DialogFrame frame{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_APPWINDOW};
  const std::pair<const char*, const DialogTemplate*> dialogs[] = {
      {"main, English", &MainDialogTemplate(Language::English)},
      {"main, Polish", &MainDialogTemplate(Language::Polish)},
      {"About", &AboutDialogTemplate()}};
  for (const auto& [name, dialog] : dialogs) {
    SCOPED_TRACE(name);
    const Win32DialogTemplate built(*dialog, frame);
    Reader in{reinterpret_cast<const WORD*>(built.get())};

    EXPECT_EQ(in.Dword(), frame.style | DS_SETFONT);
    EXPECT_EQ(in.Dword(), frame.extendedStyle);
    const WORD count = in.Word();
    EXPECT_EQ(in.Rectangle(), (Rect{0, 0, static_cast<short>(dialog->width),
                                    static_cast<short>(dialog->height)}));
    EXPECT_EQ(in.NameOrOrdinal(), L"") << "no menu";
    EXPECT_EQ(in.NameOrOrdinal(), L"") << "the dialog class";
    EXPECT_EQ(in.Text(), Utf16(dialog->title));
    EXPECT_EQ(in.Word(), dialog->fontPoints);
    EXPECT_EQ(in.Text(), Utf16(dialog->fontName));

    ASSERT_EQ(count, dialog->controls.size());
    bool afterRadio = false;
    for (const ControlTemplate& control : dialog->controls) {
      in.AlignToDword();
      // (A braced list is evaluated in order.)
      const Item item{in.Dword(),        in.Dword(),         in.Rectangle(),
                      in.Word(),         in.NameOrOrdinal(), in.NameOrOrdinal()};
      EXPECT_EQ(in.Word(), 0) << "no creation data";

      const KindMeaning& meaning = MeaningOf(control.kind);
      // The first control after the model buttons starts a group of its
      // own, so that the arrow keys stay among the model buttons.
      const bool radio = control.kind == K::RadioButtonGroupStart || control.kind == K::RadioButton;
      const DWORD group = afterRadio && !radio ? WS_GROUP : 0;
      afterRadio = radio;
      const DialogRect& r = control.rect;
      const Item expected{
          WS_CHILD | meaning.style | group | (control.visible ? WS_VISIBLE : 0u), 0,
          Rect{static_cast<short>(r.x), static_cast<short>(r.y), static_cast<short>(r.width),
               static_cast<short>(r.height)},
          static_cast<WORD>(control.id), meaning.className,
          control.kind == K::Icon ? L"#" + std::to_wstring(IDR_MAINFRAME) : Utf16(control.text)};
      EXPECT_EQ(item, expected) << "control \"" << control.text << "\"";
    }
  }
}

}  // namespace
}  // namespace zv
