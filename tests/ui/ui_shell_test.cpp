// The application shell around the main dialog: About box and its entry,
// Qt's translations and the file filter.

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include "kit/printers.h"
#include "harness.h"
#include "res/resource.h"
#include "ui/qt/about_dlg.h"
#include "ui/qt/about_entry.h"
#include "ui/qt/dialog_builder.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/qt_translations.h"

namespace zv::uitest {
namespace {

QStringList LabelTexts(const QWidget& parent) {
  QStringList texts;
  for (const QLabel* label : parent.findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) texts << label->text();
  }
  return texts;
}

void RightClick(QWidget& dialog) {
  const QPoint inside(5, 5);
  QContextMenuEvent event(QContextMenuEvent::Mouse, inside, dialog.mapToGlobal(inside));
  QApplication::sendEvent(&dialog, &event);
}

TEST(AboutBox, ShowsTheVersionANoticeAndTheIconInEnglish) {
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), "About ZVReader");
  const QStringList texts = LabelTexts(about);
  ASSERT_EQ(texts.size(), 2);
  EXPECT_EQ(texts[0], "ZVReader Version 1.0");
  EXPECT_TRUE(texts[1].startsWith("Copyright")) << texts[1].toStdString();

  const DialogUnits units(about.font());
  EXPECT_EQ(about.size(), QSize(units.X(235), units.Y(55)));
  const auto* ok = about.findChild<QPushButton*>(QString::number(IDOK));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  const auto* icon = about.findChild<QLabel*>(QString::number(IDR_MAINFRAME));
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->pixmap().isNull());
  EXPECT_EQ(icon->pos(), QPoint(units.X(11), units.Y(17)));

  about.show();
  QTest::keyClick(&about, Qt::Key_Return);
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

class AboutEntry : public DialogTest, public ::testing::WithParamInterface<Language> {};

// No program can add to the window manager's menu here, so the entry sits
// in the dialog's context menu; the box it opens is English in both
// languages.
TEST_P(AboutEntry, TheContextMenuOpensTheAboutBox) {
  CReaderDlg& dialog = Open(GetParam());
  QStringList entries;
  QString aboutTitle;
  QStringList aboutTexts;
  WhenShown([] { return QApplication::activePopupWidget(); },
            [&](QWidget* popup) {
              for (const QAction* action : static_cast<QMenu*>(popup)->actions()) {
                if (!action->isSeparator()) entries << action->text();
              }
              WhenShown([] { return qobject_cast<CAboutDlg*>(QApplication::activeModalWidget()); },
                        [&](QWidget* about) {
                          aboutTitle = about->windowTitle();
                          aboutTexts = LabelTexts(*about);
                          QTest::keyClick(about, Qt::Key_Escape);
                        });
              QTest::keyClick(popup, Qt::Key_Down);
              QTest::keyClick(popup, Qt::Key_Return);
            });
  RightClick(dialog);

  EXPECT_EQ(entries, QStringList({"&About ZVReader..."}));
  EXPECT_EQ(aboutTitle, "About ZVReader");
  EXPECT_TRUE(aboutTexts.contains("ZVReader Version 1.0"));
  EXPECT_TRUE(dialog.isVisible());
}

TEST_P(AboutEntry, F1OpensTheAboutBox) {
  CReaderDlg& dialog = Open(GetParam());
  QString aboutTitle;
  WhenShown([] { return qobject_cast<CAboutDlg*>(QApplication::activeModalWidget()); },
            [&](QWidget* about) {
              aboutTitle = about->windowTitle();
              QTest::keyClick(about, Qt::Key_Escape);
            });
  QTest::keyClick(&dialog, Qt::Key_F1);
  EXPECT_EQ(aboutTitle, "About ZVReader");
  EXPECT_TRUE(dialog.isVisible());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, AboutEntry,
                         ::testing::Values(Language::English, Language::Polish));

TEST(AboutEntryText, AnEmptyTextAddsNothing) {
  QDialog dialog;
  bool shown = false;
  InstallAboutEntry(dialog, QString(), [&] { shown = true; });
  dialog.show();
  bool menuOpened = false;
  QPointer<QTimer> watch = WhenShown([] { return QApplication::activePopupWidget(); },
                                     [&](QWidget* popup) {
                                       menuOpened = true;
                                       popup->close();
                                     });
  RightClick(dialog);  // a menu would run its own loop in here
  delete watch.data();
  EXPECT_FALSE(menuOpened);
  EXPECT_FALSE(shown);
}

TEST(QtTranslations, PolishMakesQtsOwnDialogsSpeakPolish) {
  QTranslator translator;
  ASSERT_TRUE(InstallQtTranslations(*qApp, translator, Language::Polish));
  EXPECT_NE(QCoreApplication::translate("QFileDialog", "Save As"), "Save As");
  EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
  QCoreApplication::removeTranslator(&translator);

  QTranslator english;
  EXPECT_FALSE(InstallQtTranslations(*qApp, english, Language::English));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), "Save As");
}

struct FilterCase {
  const char* filter;
  const char* qt;
};

TEST(FileFilter, BarSeparatedPairsBecomeQtFilters) {
  const FilterCase cases[] = {
      {"Text files (*.txt)|*.txt|All files (*.*)|*.*||", "Text files (*.txt);;All files (*.*)"},
      {"Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*||",
       "Pliki tekstowe (*.txt);;Wszystkie pliki (*.*)"},
      {"Results|*.txt;*.log||", "Results (*.txt *.log)"},
      {"", ""},
  };
  for (const FilterCase& each : cases) {
    EXPECT_EQ(QtFileFilter(each.filter), QString::fromUtf8(each.qt)) << each.filter;
  }
}

}  // namespace
}  // namespace zv::uitest
