#pragma once

#include <span>
#include <string>

#include "support/strings.h"

namespace zv {

// The ID of controls the code never looks up (labels, the model group box).
inline constexpr int IDC_STATIC = -1;

enum class ControlKind {
  DefPushButton,  // push button that is the dialog's default at start
  PushButton,
  GroupBox,
  RadioButtonGroupStart,  // auto radio button that starts a group
  RadioButton,            // auto radio button, same group as the one before
  ProgressBar,            // with border
  StaticLeft,
  StaticCentred,
  StaticRight,
  StaticNoPrefix,  // left-aligned, '&' shown as it is
  DropDownCombo,   // editable drop-down list, vertical scroll bar, unsorted
  Icon,            // the application icon, at its own size
};

// Dialog units: horizontal 1/4 and vertical 1/8 of the dialog font's
// average character size.
struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;  // drop-down lists: the height with the list dropped down
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // UTF-8; "" when the control has none
  DialogRect rect;
  bool visible = true;
  // A static text beside a list: the list it labels, whose accessible name
  // it is (screen readers announce the list by it); 0 for none.
  int labelFor = 0;
};

// A dialog as data. The controls are in template order, which is the tab
// order of those that take the focus.
struct DialogTemplate {
  int id;
  const char* title;  // UTF-8
  const char* fontName;
  int fontPoints;
  int width;  // client area, dialog units
  int height;
  std::span<const ControlTemplate> controls;
};

// The accessible name of control `id`: the text of the static text that
// labels it, without its '&' mnemonic marks; empty when none does.
std::string AccessibleLabel(const DialogTemplate& dialog, int id);

// Tab stops: push buttons and drop-down lists take the focus by Tab;
// radio buttons, group boxes, labels, the progress bar and the icon do not.
bool HasTabStop(ControlKind kind);

// The main dialog's settings panel (its frame, IDC_SETTINGS_FRAME, and what
// lies below) ends this many pixels below the frame when shown.
inline constexpr int kPanelMargin = 15;

// The main dialog (IDD_MAIN) in the given language.
const DialogTemplate& MainDialogTemplate(Language language);

// The About box (IDD_ABOUTBOX), English in every language.
const DialogTemplate& AboutDialogTemplate();

}  // namespace zv
