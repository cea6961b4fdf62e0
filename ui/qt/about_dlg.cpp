#include "ui/qt/about_dlg.h"

#include <QPushButton>

#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/dialog_builder.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  const zv::BuiltControls controls =
      zv::BuildDialog(*this, zv::AboutDialogTemplate(), zv::AppIcon());
  if (auto* ok = controls.Get<QPushButton>(zv::IDOK)) {
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
  }
}
