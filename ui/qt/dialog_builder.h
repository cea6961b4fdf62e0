#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <functional>
#include <map>

#include "res/dialog_templates.h"

class QButtonGroup;
class QComboBox;
class QDialog;
class QWidget;

namespace zv {

// Converts dialog units to pixels from a font's metrics: horizontally a
// quarter of the average width of the 52 letters A-Z a-z, vertically an
// eighth of the font's height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  int X(int units) const;
  int Y(int units) const;
  QRect ToPixels(const DialogRect& rect) const;
  int baseX() const { return baseX_; }
  int baseY() const { return baseY_; }

 private:
  int baseX_;
  int baseY_;
};

// The template's font where installed, otherwise the system's dialog font.
QFont DialogFont(const DialogTemplate& dialogTemplate);

// The widgets a template produced, found by control ID.
struct BuiltControls {
  std::map<int, QWidget*> byId;
  // Radio groups by the ID of the button that starts them; the buttons'
  // group IDs count from 0 in template order.
  std::map<int, QButtonGroup*> radioGroups;

  template <typename Widget>
  Widget* Get(int id) const {
    const auto found = byId.find(id);
    return found == byId.end() ? nullptr : qobject_cast<Widget*>(found->second);
  }
};

// Sets the dialog's title, font and client size and creates its controls
// in template order (which makes it the tab order). Each control with an
// ID gets that number as its object name, and each static text that
// labels a list (ControlTemplate::labelFor) gets it as its buddy.
BuiltControls BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate,
                          const QIcon& appIcon);

// Runs `opening` each time the drop-down list `list`, made by BuildDialog,
// is about to open, before the open list takes its entries' width.
void OnListOpening(QComboBox& list, std::function<void()> opening);

}  // namespace zv
