#pragma once

#include <QString>
#include <functional>

class QDialog;

namespace zv {

// Offers the About command in the dialog's context menu, where no program
// can add to the window manager's menu, and on F1. An empty `text` adds
// neither.
void InstallAboutEntry(QDialog& dialog, const QString& text, std::function<void()> showAbout);

}  // namespace zv
