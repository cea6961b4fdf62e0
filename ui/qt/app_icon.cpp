#include "ui/qt/app_icon.h"

namespace zv {

QIcon AppIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48}) {
    icon.addFile(QStringLiteral(":/icons/%1x%1/zvreader.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace zv
