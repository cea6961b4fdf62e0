#include "ui/qt/dialog_builder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QKeySequence>
#include <QPointer>
#include <QLineEdit>
#include <QStyle>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <functional>
#include <vector>

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

// Dialog units of one line of the dialog's font.
constexpr int kLineHeight = 8;

// A static text wraps its words where its box holds more than one line,
// as a Windows static text does; a one-line box shows the line's start.
QWidget* MakeLabel(QDialog& dialog, const ControlTemplate& control, Qt::Alignment alignment) {
  auto* label = new QLabel(Text(control), &dialog);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment | Qt::AlignTop);
  label->setWordWrap(control.rect.height >= 2 * kLineHeight);
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

  void OnOpening(std::function<void()> opening) { opening_ = std::move(opening); }

  void showPopup() override {
    if (opening_) opening_();
    QAbstractItemView* list = view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    QComboBox::showPopup();
  }

 private:
  std::function<void()> opening_;
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

QWidget* MakeControl(QDialog& dialog, const ControlTemplate& control, const QIcon& appIcon) {
  switch (control.kind) {
    case ControlKind::DefPushButton:
    case ControlKind::PushButton:
      return MakeButton(dialog, control);
    case ControlKind::GroupBox:
      return new QGroupBox(Text(control), &dialog);
    case ControlKind::RadioButtonGroupStart:
    case ControlKind::RadioButton:
      return MakeRadio(dialog, control);
    case ControlKind::ProgressBar:
      return MakeProgressBar(dialog);
    case ControlKind::StaticLeft:
    case ControlKind::StaticNoPrefix:
      return MakeLabel(dialog, control, Qt::AlignLeft);
    case ControlKind::StaticCentred:
      return MakeLabel(dialog, control, Qt::AlignHCenter);
    case ControlKind::StaticRight:
      return MakeLabel(dialog, control, Qt::AlignRight);
    case ControlKind::DropDownCombo:
      return MakeCombo(dialog);
    case ControlKind::Icon:
      return MakeIcon(dialog, appIcon);
  }
  return new QWidget(&dialog);
}

// Group boxes and static texts: they frame or label other controls.
bool IsFrameOrText(ControlKind kind) {
  switch (kind) {
    case ControlKind::GroupBox:
    case ControlKind::StaticLeft:
    case ControlKind::StaticCentred:
    case ControlKind::StaticRight:
    case ControlKind::StaticNoPrefix:
      return true;
    default:
      return false;
  }
}

// Frames, texts and the icon let the mouse through to whatever lies under
// them, as they do on Windows. A group box comes after the button it frames
// in template order, which puts it above the button.
bool PassesMouseThrough(ControlKind kind) {
  return IsFrameOrText(kind) || kind == ControlKind::Icon;
}

void Place(QWidget& widget, const ControlTemplate& control, const DialogUnits& units) {
  const QRect rect = units.ToPixels(control.rect);
  if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
    PlaceCombo(*combo, rect);
  } else if (control.kind == ControlKind::Icon) {
    widget.setGeometry(rect.x(), rect.y(), kIconSize, kIconSize);
  } else {
    widget.setGeometry(rect);
  }
  if (!control.visible) widget.hide();
}

// A label or group box whose text has an '&' mnemonic: the key moves the
// focus to the next control with a tab stop.
bool HasMnemonic(const ControlTemplate& control) {
  const bool labelled = IsFrameOrText(control.kind) && control.kind != ControlKind::StaticNoPrefix;
  return labelled && !QKeySequence::mnemonic(Text(control)).isEmpty();
}

// Focuses `target` when the group box's mnemonic is pressed.
class MnemonicFocus : public QObject {
 public:
  MnemonicFocus(QWidget& owner, QWidget& target) : QObject(&owner), target_(&target) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Shortcut || !target_) return QObject::eventFilter(watched, event);
    target_->setFocus(Qt::ShortcutFocusReason);
    return true;
  }

 private:
  QPointer<QWidget> target_;
};

void SendMnemonicTo(QWidget& owner, QWidget& target) {
  if (auto* label = qobject_cast<QLabel*>(&owner)) {
    label->setBuddy(&target);
  } else {
    owner.installEventFilter(new MnemonicFocus(owner, target));
  }
}

// Each list a static text labels gets it as its buddy, which screen
// readers announce it by: through AT-SPI a "labelled by" relation (Qt
// names a combo box by its current text there, whatever its accessible
// name says).
void BuddyLabels(const DialogTemplate& dialogTemplate, const BuiltControls& built,
                 const std::vector<QWidget*>& widgets) {
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    const auto found = built.byId.find(dialogTemplate.controls[i].labelFor);
    auto* label = qobject_cast<QLabel*>(widgets[i]);
    if (label && found != built.byId.end()) label->setBuddy(found->second);
  }
}

}  // namespace

void OnListOpening(QComboBox& list, std::function<void()> opening) {
  if (auto* dropDown = dynamic_cast<DropDownList*>(&list)) dropDown->OnOpening(std::move(opening));
}

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
  std::vector<QWidget*> widgets;  // in template order
  QButtonGroup* group = nullptr;
  QWidget* mnemonicOwner = nullptr;  // waits for the next control with a tab stop
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = MakeControl(dialog, control, appIcon);
    widgets.push_back(widget);
    Place(*widget, control, units);
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, PassesMouseThrough(control.kind));
    if (control.kind == ControlKind::RadioButtonGroupStart) {
      group = new QButtonGroup(&dialog);
      built.radioGroups[control.id] = group;
    }
    if (auto* radio = qobject_cast<QRadioButton*>(widget); radio && group) {
      group->addButton(radio, static_cast<int>(group->buttons().size()));
    }
    if (mnemonicOwner && HasTabStop(control.kind)) {
      SendMnemonicTo(*mnemonicOwner, *widget);
      mnemonicOwner = nullptr;
    }
    if (HasMnemonic(control)) mnemonicOwner = widget;
    if (control.id != IDC_STATIC) {
      widget->setObjectName(QString::number(control.id));
      built.byId[control.id] = widget;
    }
  }
  BuddyLabels(dialogTemplate, built, widgets);
  return built;
}

}  // namespace zv
