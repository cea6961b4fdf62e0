#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "res/dialog_templates.h"

struct IAccPropServices;

namespace zv {

// Accessible names given to a window's controls through the standard
// accessibility properties (IAccPropServices::SetHwndPropStr with
// PROPID_ACC_NAME), which a screen reader reads before the text a control
// shows or the static text that comes before it in the tab order. Made on
// the window's thread once its controls exist; takes the names back when
// it goes, before the controls do. Where the service is missing it names
// nothing.
class ControlNames {
 public:
  ControlNames();
  ~ControlNames();
  ControlNames(const ControlNames&) = delete;
  ControlNames& operator=(const ControlNames&) = delete;

  // Names `control` (UTF-8); an empty name is not given.
  void Name(HWND control, const std::string& name);
  // Names each list of `dialog` that a static text of its template labels
  // (AccessibleLabel).
  void NameLabelledControls(HWND dialog, const DialogTemplate& dialogTemplate);

 private:
  bool comStarted_ = false;
  IAccPropServices* service_ = nullptr;
  std::vector<HWND> named_;
};

}  // namespace zv
