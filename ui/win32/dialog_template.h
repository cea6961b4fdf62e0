#pragma once

#include <windows.h>

#include <vector>

#include "res/dialog_templates.h"

namespace zv {

// The frame of a dialog window: WS_* and DS_* styles, extended styles.
struct DialogFrame {
  DWORD style;
  DWORD extendedStyle;
};

// An in-memory Win32 dialog template (DLGTEMPLATE, then one
// DLGITEMTEMPLATE per control) made from a portable template: its title,
// font, size, and every control's kind, ID, text, position, size and
// visibility, in template order. DS_SETFONT is added to the frame.
class Win32DialogTemplate {
 public:
  Win32DialogTemplate(const DialogTemplate& dialog, DialogFrame frame);
  const DLGTEMPLATE* get() const {
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
  }

 private:
  std::vector<WORD> words_;  // WORD-aligned; the records are DWORD-aligned
};

}  // namespace zv
