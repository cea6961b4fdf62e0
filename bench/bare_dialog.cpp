// A plain Qt dialog with the main dialog's widgets, placed as in its
// English layout and with the same list entries, and nothing else: no
// settings, no translations, no icon, no transfer logic. It is the floor
// that the real dialog's start-up time and memory are held against.

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

namespace {

// Dialog units to pixels from the font, as dialogs measure them.
class Units {
 public:
  explicit Units(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = metrics.height();
  }
  QRect Rect(int x, int y, int width, int height) const {
    return {x * baseX_ / 4, y * baseY_ / 8, width * baseX_ / 4, height * baseY_ / 8};
  }

 private:
  int baseX_ = 1;
  int baseY_ = 1;
};

template <typename Widget>
Widget* Place(Widget* widget, const Units& units, int x, int y, int width, int height) {
  widget->setGeometry(units.Rect(x, y, width, height));
  return widget;
}

QComboBox* List(QDialog& dialog, const Units& units, QRect where, const QStringList& entries) {
  auto* list = new QComboBox(&dialog);
  list->setEditable(true);
  list->addItems(entries);
  list->setCurrentIndex(0);
  // Only the closed box's height counts on screen.
  list->setGeometry(units.Rect(where.x(), where.y(), where.width(), 12));
  return list;
}

void Build(QDialog& dialog) {
  dialog.setWindowTitle(QStringLiteral("ZORVEL Reader bare"));
  const Units units(dialog.font());
  dialog.setFixedSize(units.Rect(0, 0, 251, 196).size());

  Place(new QPushButton(QStringLiteral("START !"), &dialog), units, 148, 39, 65, 20)
      ->setDefault(true);
  Place(new QPushButton(QStringLiteral("&Settings"), &dialog), units, 27, 129, 50, 14);
  Place(new QPushButton(QStringLiteral("&Save"), &dialog), units, 100, 129, 50, 14)
      ->setEnabled(false);
  Place(new QPushButton(QStringLiteral("&Done"), &dialog), units, 173, 129, 50, 14);
  Place(new QGroupBox(QStringLiteral("Test Transmission to PC"), &dialog), units, 20, 16, 209, 95);
  auto* group = new QButtonGroup(&dialog);
  auto* modelA = Place(new QRadioButton(QStringLiteral("ZORVEL A"), &dialog), units, 35, 36, 80, 9);
  auto* modelB = Place(new QRadioButton(QStringLiteral("ZORVEL B"), &dialog), units, 35, 50, 80, 9);
  group->addButton(modelA, 0);
  group->addButton(modelB, 1);
  modelA->setChecked(true);
  Place(new QProgressBar(&dialog), units, 37, 73, 174, 16)->setTextVisible(false);
  Place(new QLabel(QStringLiteral("Transmited test: 0/0"), &dialog), units, 30, 95, 191, 8)
      ->setAlignment(Qt::AlignHCenter);
  Place(new QGroupBox(QStringLiteral("&Communication settings"), &dialog), units, 20, 153, 209,
        36);

  QStringList ports;
  for (int com = 1; com <= 256; ++com) ports << QStringLiteral("COM %1").arg(com);
  List(dialog, units, {165, 167, 51, 34}, {"4800 b/s", "9600 b/s", "19200 b/s"});
  Place(new QLabel(QStringLiteral("Baud Rate:"), &dialog), units, 118, 170, 41, 9)
      ->setAlignment(Qt::AlignRight);
  List(dialog, units, {139, 112, 79, 46},
       {QStringLiteral("Bez polskich znaków"), "Mazovia", "Latin 2 (MS-DOS)", "MS Windows"})
      ->hide();
  List(dialog, units, {51, 112, 79, 33}, {"Canon / USB", "RS 232"})->hide();
  Place(new QLabel(QStringLiteral("Port:"), &dialog), units, 36, 170, 16, 8)
      ->setAlignment(Qt::AlignRight);
  List(dialog, units, {59, 167, 51, 34}, ports);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QDialog dialog;
  Build(dialog);
  dialog.exec();
  return 0;
}
