#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QShortcut>

#include "ui/qt/about_entry.h"

namespace zv {
namespace {

// Opens a context menu holding the About entry on a right click anywhere
// in the dialog that no control handles itself.
class AboutMenu : public QObject {
 public:
  AboutMenu(QDialog& dialog, QString text, std::function<void()> showAbout)
      : QObject(&dialog), text_(std::move(text)), showAbout_(std::move(showAbout)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ContextMenu) return QObject::eventFilter(watched, event);
    QMenu menu(static_cast<QWidget*>(parent()));
    menu.addSeparator();
    QAction* about = menu.addAction(text_);
    if (menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos()) == about) showAbout_();
    return true;
  }

 private:
  QString text_;
  std::function<void()> showAbout_;
};

}  // namespace

void InstallAboutEntry(QDialog& dialog, const QString& text, std::function<void()> showAbout) {
  if (text.isEmpty()) return;
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), &dialog);
  QObject::connect(f1, &QShortcut::activated, &dialog, showAbout);
  dialog.installEventFilter(new AboutMenu(dialog, text, std::move(showAbout)));
}

}  // namespace zv
