#pragma once

#include <QIcon>

namespace zv {

// The application icon (IDR_MAINFRAME) in all its sizes: the window and
// task-bar icon and the About box's picture.
QIcon AppIcon();

}  // namespace zv
