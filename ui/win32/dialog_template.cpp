#include "ui/win32/dialog_template.h"

#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "support/wide_text.h"

namespace zv {
namespace {

using K = ControlKind;

// The predefined window classes' ordinals, as templates name them.
constexpr WORD kButton = 0x0080;
constexpr WORD kStatic = 0x0082;
constexpr WORD kComboBox = 0x0085;

// How each kind of control is made: its class (an ordinal, or a name where
// the class has none) and its own styles.
struct KindStyle {
  ControlKind kind;
  WORD classOrdinal;
  const wchar_t* className;
  DWORD style;
};

constexpr KindStyle kKindStyles[] = {
    {K::DefPushButton, kButton, nullptr, BS_DEFPUSHBUTTON},
    {K::PushButton, kButton, nullptr, BS_PUSHBUTTON},
    {K::GroupBox, kButton, nullptr, BS_GROUPBOX},
    {K::RadioButtonGroupStart, kButton, nullptr, BS_AUTORADIOBUTTON | WS_GROUP},
    {K::RadioButton, kButton, nullptr, BS_AUTORADIOBUTTON},
    {K::ProgressBar, 0, PROGRESS_CLASSW, WS_BORDER},
    {K::StaticLeft, kStatic, nullptr, SS_LEFT},
    {K::StaticCentred, kStatic, nullptr, SS_CENTER},
    {K::StaticRight, kStatic, nullptr, SS_RIGHT},
    {K::StaticNoPrefix, kStatic, nullptr, SS_LEFT | SS_NOPREFIX},
    {K::DropDownCombo, kComboBox, nullptr, CBS_DROPDOWN | WS_VSCROLL},
    {K::Icon, kStatic, nullptr, SS_ICON},
};

const KindStyle& StyleOf(ControlKind kind) {
  for (const KindStyle& entry : kKindStyles) {
    if (entry.kind == kind) return entry;
  }
  return kKindStyles[0];
}

bool IsRadio(ControlKind kind) {
  return kind == K::RadioButtonGroupStart || kind == K::RadioButton;
}

class TemplateWriter {
 public:
  explicit TemplateWriter(std::vector<WORD>& words) : words_(words) {}

  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
  void Text(const wchar_t* text) {
    for (; *text != L'\0'; ++text) Word(static_cast<WORD>(*text));
    Word(0);
  }
  void Utf8Text(const char* text) { Text(WideFromUtf8(text).c_str()); }
  void Ordinal(WORD value) {
    Word(0xFFFF);
    Word(value);
  }
  void AlignToDword() {
    if (words_.size() % 2 != 0) Word(0);
  }

 private:
  std::vector<WORD>& words_;
};

// One DLGITEMTEMPLATE with its class, text and (empty) creation data.
// The first control after a run of radio buttons starts a new group, so
// the arrow keys move only between the radio buttons.
void WriteControl(TemplateWriter& out, const ControlTemplate& control,
                  bool startsGroup) {
  const KindStyle& kind = StyleOf(control.kind);
  DWORD style = WS_CHILD | kind.style;
  if (control.visible) style |= WS_VISIBLE;
  if (HasTabStop(control.kind)) style |= WS_TABSTOP;
  if (startsGroup) style |= WS_GROUP;

  out.AlignToDword();
  out.Dword(style);
  out.Dword(0);
  out.Short(control.rect.x);
  out.Short(control.rect.y);
  out.Short(control.rect.width);
  out.Short(control.rect.height);
  out.Word(static_cast<WORD>(control.id));
  if (kind.className != nullptr) {
    out.Text(kind.className);
  } else {
    out.Ordinal(kind.classOrdinal);
  }
  if (control.kind == K::Icon) {
    out.Ordinal(IDR_MAINFRAME);  // the icon resource the control shows
  } else {
    out.Utf8Text(control.text);
  }
  out.Word(0);
}

}  // namespace

Win32DialogTemplate::Win32DialogTemplate(const DialogTemplate& dialog,
                                         DialogFrame frame) {
  TemplateWriter out(words_);
  out.Dword(frame.style | DS_SETFONT);
  out.Dword(frame.extendedStyle);
  out.Word(static_cast<WORD>(dialog.controls.size()));
  out.Short(0);  // placed at 0, 0; the dialog centres itself
  out.Short(0);
  out.Short(dialog.width);
  out.Short(dialog.height);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Utf8Text(dialog.title);
  out.Word(static_cast<WORD>(dialog.fontPoints));
  out.Utf8Text(dialog.fontName);

  bool afterRadio = false;
  for (const ControlTemplate& control : dialog.controls) {
    const bool radio = IsRadio(control.kind);
    WriteControl(out, control, afterRadio && !radio);
    afterRadio = radio;
  }
}

}  // namespace zv
