#include "ui/win32/control_names.h"

// The property and class IDs are defined here, so that no import library
// beyond COM's own is needed.
#include <initguid.h>
#include <oleacc.h>

#include "support/wide_text.h"

namespace zv {

ControlNames::ControlNames() {
  const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comStarted_ = SUCCEEDED(started);
  void* service = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IAccPropServices, &service))) {
    service_ = static_cast<IAccPropServices*>(service);
  }
}

ControlNames::~ControlNames() {
  if (service_) {
    MSAAPROPID name = PROPID_ACC_NAME;
    for (const HWND control : named_) {
      service_->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &name, 1);
    }
    service_->Release();
  }
  if (comStarted_) CoUninitialize();
}

void ControlNames::Name(HWND control, const std::string& name) {
  if (!service_ || !control || name.empty()) return;
  if (SUCCEEDED(service_->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME,
                                         WideFromUtf8(name).c_str()))) {
    named_.push_back(control);
  }
}

void ControlNames::NameLabelledControls(HWND dialog, const DialogTemplate& dialogTemplate) {
  for (const ControlTemplate& control : dialogTemplate.controls) {
    if (control.labelFor == 0) continue;
    Name(GetDlgItem(dialog, control.labelFor),
         AccessibleLabel(dialogTemplate, control.labelFor));
  }
}

}  // namespace zv
