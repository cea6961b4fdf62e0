#pragma once

#include <QDialog>

// The About box (IDD_ABOUTBOX): the icon, the version line and a notice,
// in English whatever the user interface language.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
