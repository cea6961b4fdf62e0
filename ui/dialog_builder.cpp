#include "ui/dialog_builder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QLineEdit>
#include <QStyle>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace zv {
namespace {

constexpr int kIconSize = 32;

int MulDiv(int value, int numerator, int denominator) {
  const int product = value * numerator;
  return (product >= 0 ? product + denominator / 2 : product - denominator / 2) / denominator;
}

QString Text(const ControlTemplate& control) { return QString::fromUtf8(control.text); }

QWidget* MakeButton(QDialog& dialog, const ControlTemplate& control) {
  auto* button = new QPushButton(Text(control), &dialog);
  button->setAutoDefault(true);
  button->setDefault(control.kind == ControlKind::DefPushButton);
  return button;
}

QWidget* MakeLabel(QDialog& dialog, const ControlTemplate& control, Qt::Alignment alignment) {
  auto* label = new QLabel(Text(control), &dialog);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment | Qt::AlignTop);
  return label;
}

QWidget* MakeProgressBar(QDialog& dialog) {
  auto* bar = new QProgressBar(&dialog);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

QWidget* MakeIcon(QDialog& dialog, const QIcon& appIcon) {
  auto* label = new QLabel(&dialog);
  label->setPixmap(appIcon.pixmap(kIconSize, kIconSize));
  return label;
}

// An editable drop-down list whose typed text never becomes an entry. An
// entry wider than the box shows its beginning, and the open list is as
// wide as its entries.
class DropDownList : public QComboBox {
 public:
  explicit DropDownList(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QComboBox::currentIndexChanged, this,
            [this] { lineEdit()->setCursorPosition(0); });
  }

  void showPopup() override {
    QAbstractItemView* list = view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    QComboBox::showPopup();
  }
};

QComboBox* MakeCombo(QDialog& dialog) { return new DropDownList(&dialog); }

// The template gives a drop-down list's height with the list open; the
// closed box takes the height its font needs and the rest shows entries.
void PlaceCombo(QComboBox& combo, const QRect& dropped) {
  const int closedHeight = combo.sizeHint().height();
  combo.setGeometry(dropped.x(), dropped.y(), dropped.width(), closedHeight);
  const int itemHeight = std::max(1, QFontMetrics(combo.font()).height());
  combo.setMaxVisibleItems(std::max(1, (dropped.height() - closedHeight) / itemHeight));
}

QRadioButton* MakeRadio(QDialog& dialog, const ControlTemplate& control) {
  auto* radio = new QRadioButton(Text(control), &dialog);
  radio->setFocusPolicy(Qt::ClickFocus);
  return radio;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = std::max(1, (letters / 26 + 1) / 2);
  baseY_ = std::max(1, metrics.height());
}

int DialogUnits::X(int units) const { return MulDiv(units, baseX_, 4); }

int DialogUnits::Y(int units) const { return MulDiv(units, baseY_, 8); }

QRect DialogUnits::ToPixels(const DialogRect& rect) const {
  return QRect(X(rect.x), Y(rect.y), X(rect.width), Y(rect.height));
}

QFont DialogFont(const DialogTemplate& dialogTemplate) {
  const QString family = QString::fromUtf8(dialogTemplate.fontName);
  if (!QFontDatabase::hasFamily(family)) return QApplication::font();
  QFont font(family);
  font.setPointSize(dialogTemplate.fontPoints);
  return font;
}

BuiltControls BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate,
                          const QIcon& appIcon) {
  dialog.setWindowTitle(QString::fromUtf8(dialogTemplate.title));
  dialog.setFont(DialogFont(dialogTemplate));
  const DialogUnits units(dialog.font());
  dialog.setFixedSize(units.X(dialogTemplate.width), units.Y(dialogTemplate.height));

  BuiltControls built;
  QButtonGroup* group = nullptr;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    const QRect rect = units.ToPixels(control.rect);
    QWidget* widget = nullptr;
    switch (control.kind) {
      case ControlKind::DefPushButton:
      case ControlKind::PushButton:
        widget = MakeButton(dialog, control);
        break;
      case ControlKind::GroupBox:
        widget = new QGroupBox(Text(control), &dialog);
        break;
      case ControlKind::RadioButtonGroupStart:
        group = new QButtonGroup(&dialog);
        built.radioGroups[control.id] = group;
        [[fallthrough]];
      case ControlKind::RadioButton: {
        QRadioButton* radio = MakeRadio(dialog, control);
        if (group) group->addButton(radio, static_cast<int>(group->buttons().size()));
        widget = radio;
        break;
      }
      case ControlKind::ProgressBar:
        widget = MakeProgressBar(dialog);
        break;
      case ControlKind::StaticLeft:
      case ControlKind::StaticNoPrefix:
        widget = MakeLabel(dialog, control, Qt::AlignLeft);
        break;
      case ControlKind::StaticCentred:
        widget = MakeLabel(dialog, control, Qt::AlignHCenter);
        break;
      case ControlKind::StaticRight:
        widget = MakeLabel(dialog, control, Qt::AlignRight);
        break;
      case ControlKind::DropDownCombo:
        widget = MakeCombo(dialog);
        break;
      case ControlKind::Icon:
        widget = MakeIcon(dialog, appIcon);
        break;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      PlaceCombo(*combo, rect);
    } else if (control.kind == ControlKind::Icon) {
      widget->setGeometry(rect.x(), rect.y(), kIconSize, kIconSize);
    } else {
      widget->setGeometry(rect);
    }
    if (!control.visible) widget->hide();
    if (control.id != IDC_STATIC) {
      widget->setObjectName(QString::number(control.id));
      built.byId[control.id] = widget;
    }
  }
  return built;
}

}  // namespace zv
