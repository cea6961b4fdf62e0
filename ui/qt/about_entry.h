#pragma once

#include <QString>
#include <functional>

class QDialog;

namespace zv {

// Offers the About command where the platform lets a program put it: in the
// window's system menu on Windows (a separator, then the entry with command
// IDM_ABOUTBOX), in the dialog's context menu elsewhere, where no program
// can add to the window manager's menu. An empty `text` adds nothing.
void InstallAboutEntry(QDialog& dialog, const QString& text, std::function<void()> showAbout);

}  // namespace zv
