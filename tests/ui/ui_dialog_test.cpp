// The main dialog without a transfer: its look in both languages, the
// model rule, the settings panel, the port index and the stored settings.

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "kit/printers.h"
#include "harness.h"
#include "res/resource.h"
#include "support/paths.h"
#include "ui/qt/dialog_builder.h"

namespace zv::uitest {
namespace {

QStringList Texts(const std::vector<const char*>& texts) {
  QStringList list;
  for (const char* text : texts) list << QString::fromUtf8(text);
  return list;
}

// The entries as the open list shows them.
QStringList Entries(const QComboBox& list) {
  QStringList entries;
  for (int i = 0; i < list.count(); ++i) entries << list.itemData(i, Qt::DisplayRole).toString();
  return entries;
}

template <typename Widget>
QStringList ChildTexts(const QWidget& parent, QString (Widget::*text)() const) {
  QStringList texts;
  for (const Widget* child : parent.findChildren<Widget*>(Qt::FindDirectChildrenOnly)) {
    texts << (child->*text)();
  }
  return texts;
}

// The controls the Tab key visits, in order, from Start on.
std::vector<int> TabOrder(const CReaderDlg& dialog) {
  std::vector<int> order;
  const QWidget* start = dialog.Control(IDC_START);
  const QWidget* widget = start;
  do {
    bool ok = false;
    const int id = widget->objectName().toInt(&ok);
    if (ok && (widget->focusPolicy() & Qt::TabFocus) && !widget->isHidden()) order.push_back(id);
    widget = widget->nextInFocusChain();
  } while (widget != start);
  return order;
}

struct Variant {
  Language language;
  int heightUnits;
  std::vector<std::pair<int, const char*>> buttons;
  std::vector<const char*> labels;  // template order, the status line included
  std::vector<const char*> groups;
  bool encodingListsShown;
  std::vector<int> tabOrder;
  DialogRect baudRect;
};

void PrintTo(const Variant& variant, std::ostream* out) { PrintTo(variant.language, out); }

const Variant kEnglish{
    Language::English,
    196,
    {{IDC_START, "START !"}, {IDC_SETTINGS, "&Settings"}, {IDC_SAVE, "&Save"}, {IDOK, "&Done"}},
    {"Transmited test: 0/0", "Baud Rate:", "Port:"},
    {"Test Transmission to PC", "&Communication settings"},
    false,
    {IDC_START, IDC_SETTINGS, IDC_SAVE, IDOK, IDC_BAUD, IDC_PORT},
    {165, 167, 51, 34},
};

const Variant kPolish{
    Language::Polish,
    225,
    {{IDC_START, "Transmituj !"}, {IDC_SETTINGS, "Ustawienia"}, {IDC_SAVE, "Zapisz"}, {IDOK, "Koniec"}},
    {"Przetransmitowano badań: 0/0", "Prędkość:", "do pliku", "ZVB", "Port:"},
    {"Transmisja badań ze spirometru do komputera", "Ustawienia transmisji",
     "Kodowanie polskich znaków"},
    true,
    {IDC_START, IDC_SETTINGS, IDC_SAVE, IDOK, IDC_BAUD, IDC_CODE_DEST, IDC_CODE_SOURCE, IDC_PORT},
    {53, 197, 51, 34},
};

class DialogLook : public DialogTest, public ::testing::WithParamInterface<Variant> {};

TEST_P(DialogLook, StartsAsTheTemplateAndTheStoredSettingsSay) {
  const Variant& variant = GetParam();
  CReaderDlg& dialog = Open(variant.language);

  EXPECT_EQ(dialog.windowTitle(), "ZORVEL Reader");
  for (const auto& [id, text] : variant.buttons) EXPECT_EQ(ButtonText(id), QString::fromUtf8(text));
  EXPECT_EQ(ChildTexts<QLabel>(dialog, &QLabel::text), Texts(variant.labels));
  EXPECT_EQ(ChildTexts<QGroupBox>(dialog, &QGroupBox::title), Texts(variant.groups));

  EXPECT_EQ(Entries(*List(IDC_BAUD)), QStringList({"4800 b/s", "9600 b/s", "19200 b/s"}));
  EXPECT_EQ(List(IDC_BAUD)->currentIndex(), 0);
  const QStringList ports = Entries(*List(IDC_PORT));
  ASSERT_EQ(ports.size(), 256);
  const char* connected = variant.language == Language::Polish ? " — podłączony" : " — connected";
  EXPECT_EQ(ports[0], QString::fromStdString("COM 1 (" + pty_.SlavePath() + ")" + connected));
  EXPECT_TRUE(List(IDC_PORT)->itemData(0, Qt::FontRole).value<QFont>().bold());
  EXPECT_TRUE(ports[1].startsWith("COM 2 (/dev/ttyS1)"));
  EXPECT_EQ(ports[96], "COM 97");
  EXPECT_FALSE(List(IDC_PORT)->itemData(96, Qt::FontRole).value<QFont>().bold());
  EXPECT_EQ(ports[255], "COM 256");
  EXPECT_EQ(List(IDC_PORT)->currentIndex(), 0);
  EXPECT_EQ(List(IDC_PORT)->currentText(), "COM 1") << "the closed box is too narrow for more";
  EXPECT_EQ(Entries(*List(IDC_CODE_DEST)),
            QStringList({"Bez polskich znaków", "Mazovia", "Latin 2 (MS-DOS)", "MS Windows"}));
  EXPECT_EQ(List(IDC_CODE_DEST)->currentIndex(), 2);
  EXPECT_EQ(Entries(*List(IDC_CODE_SOURCE)), QStringList({"Canon / USB", "RS 232"}));
  EXPECT_EQ(List(IDC_CODE_SOURCE)->currentIndex(), 0);
  EXPECT_EQ(List(IDC_CODE_DEST)->isHidden(), !variant.encodingListsShown);
  EXPECT_EQ(List(IDC_CODE_SOURCE)->isHidden(), !variant.encodingListsShown);
  EXPECT_FALSE(List(IDC_CODE_DEST)->isEnabled());  // ZORVEL A
  for (const int id : {IDC_BAUD, IDC_PORT, IDC_CODE_DEST, IDC_CODE_SOURCE}) {
    EXPECT_TRUE(List(id)->isEditable()) << id;
    EXPECT_EQ(List(id)->insertPolicy(), QComboBox::NoInsert) << id;
  }

  EXPECT_TRUE(qobject_cast<QRadioButton*>(dialog.Control(IDC_MODEL_A))->isChecked());
  EXPECT_FALSE(Button(IDC_SAVE)->isEnabled());
  EXPECT_TRUE(Button(IDOK)->isEnabled());
  EXPECT_TRUE(Button(IDC_START)->isDefault());
  EXPECT_TRUE(Button(IDC_START)->hasFocus());
  EXPECT_EQ(TabOrder(dialog), variant.tabOrder);

  const DialogUnits units(dialog.font());
  EXPECT_EQ(dialog.width(), units.X(251));
  EXPECT_EQ(List(IDC_BAUD)->pos(), units.ToPixels(variant.baudRect).topLeft());
  EXPECT_EQ(dialog.Control(IDC_START)->geometry(), units.ToPixels({148, 39, 65, 20}));
  EXPECT_EQ(WindowBottom(), FrameTop()) << "the settings panel starts hidden";
  EXPECT_LT(dialog.height(), units.Y(variant.heightUnits));
}

TEST_P(DialogLook, SettingsShowsThePanelTo15PixelsBelowItsFrameAndHidesItAgain) {
  CReaderDlg& dialog = Open(GetParam().language);
  const int top = dialog.frameGeometry().top();
  ASSERT_EQ(WindowBottom(), FrameTop());

  Click(IDC_SETTINGS);
  EXPECT_TRUE(dialog.settingsShown());
  EXPECT_EQ(WindowBottom(), FrameBottom() + 15);
  EXPECT_TRUE(dialog.rect().contains(dialog.Control(IDC_PORT)->geometry()));

  Click(IDC_SETTINGS);
  EXPECT_FALSE(dialog.settingsShown());
  EXPECT_EQ(WindowBottom(), FrameTop());
  EXPECT_EQ(dialog.frameGeometry().top(), top);
}

// Hit-testing as mouse input does it: the widget found under the centre of
// every control that takes input is that control (or its own part, the
// edit field of a list); group boxes and labels never take the click.
TEST_P(DialogLook, EveryControlGetsTheClickAimedAtItWithThePanelHiddenAndShown) {
  const Variant& variant = GetParam();
  CReaderDlg& dialog = Open(variant.language);
  for (const bool shown : {false, true}) {
    SCOPED_TRACE(shown ? "panel shown" : "panel hidden");
    if (shown) Click(IDC_SETTINGS);
    std::size_t reached = 0;
    for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const QPoint centre = control->geometry().center();
      if (control->isHidden() || !dialog.rect().contains(centre)) continue;
      const QWidget* hit = dialog.childAt(centre);
      const QString found = hit ? hit->metaObject()->className() : QString("nothing");
      if (qobject_cast<QLabel*>(control) || qobject_cast<QGroupBox*>(control)) {
        EXPECT_NE(hit, control) << control->metaObject()->className() << " takes clicks";
      } else if (control->focusPolicy() != Qt::NoFocus) {
        EXPECT_TRUE(hit == control || control->isAncestorOf(hit))
            << "control " << control->objectName().toStdString() << " is covered by "
            << found.toStdString();
        ++reached;
      }
    }
    // Hidden: the four buttons and the two model buttons; shown: the lists too.
    EXPECT_EQ(reached, shown ? variant.tabOrder.size() + 2 : 6u);
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogLook, ::testing::Values(kEnglish, kPolish),
                         [](const auto& info) {
                           return info.param.language == Language::Polish ? "Polish" : "English";
                         });

class DialogBehaviour : public DialogTest {};

TEST_F(DialogBehaviour, TheModelChoosesTheBaudRateAndTheEncodingLists) {
  CReaderDlg& dialog = Open(Language::Polish);
  Click(IDC_SETTINGS);

  Click(IDC_MODEL_B);
  EXPECT_EQ(dialog.transferControl().modelIndex(), 1);
  EXPECT_EQ(List(IDC_BAUD)->currentIndex(), 1);
  EXPECT_TRUE(List(IDC_CODE_DEST)->isEnabled());
  EXPECT_TRUE(List(IDC_CODE_SOURCE)->isEnabled());

  List(IDC_BAUD)->setCurrentIndex(2);  // chosen by hand, replaced by the rule
  Click(IDC_MODEL_A);
  EXPECT_EQ(dialog.transferControl().modelIndex(), 0);
  EXPECT_EQ(List(IDC_BAUD)->currentIndex(), 0);
  EXPECT_FALSE(List(IDC_CODE_DEST)->isEnabled());
  EXPECT_FALSE(List(IDC_CODE_SOURCE)->isEnabled());

  List(IDC_BAUD)->setCurrentIndex(2);
  Click(IDC_MODEL_A);  // a click on the checked button applies the rule too
  EXPECT_EQ(List(IDC_BAUD)->currentIndex(), 0);
}

TEST_F(DialogBehaviour, ThePortIndexFollowsTheListOnlyWhenTheListLosesTheFocus) {
  CReaderDlg& dialog = Open(Language::English);
  Click(IDC_SETTINGS);
  QComboBox* port = List(IDC_PORT);
  port->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(WaitUntil([&] { return port->hasFocus(); }));

  QTest::keyClick(port, Qt::Key_Down);
  QTest::keyClick(port, Qt::Key_Down);
  ASSERT_EQ(port->currentIndex(), 2);
  EXPECT_EQ(dialog.transferControl().portIndex, 0);

  port->showPopup();  // dropping the list down is no loss of focus
  port->hidePopup();
  EXPECT_EQ(dialog.transferControl().portIndex, 0);

  Button(IDC_SETTINGS)->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(WaitUntil([&] { return !port->hasFocus(); }));
  EXPECT_EQ(dialog.transferControl().portIndex, 2);

  port->setFocus(Qt::TabFocusReason);
  port->setCurrentIndex(-1);
  Button(IDC_SETTINGS)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(dialog.transferControl().portIndex, -1);
}

// Mended: the settings were saved before the focus left the list, so a port
// chosen with the arrow keys was lost by closing the window.
TEST_F(DialogBehaviour, ClosingTheWindowFromThePortListKeepsThePortItShows) {
  const std::pair<const char*, std::function<void(CReaderDlg&)>> closings[] = {
      {"Esc", [](CReaderDlg&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
      {"close box", [](CReaderDlg& dialog) { dialog.close(); }},
  };
  for (const auto& [name, closeWindow] : closings) {
    SCOPED_TRACE(name);
    WriteSettings("");
    CReaderDlg& dialog = Open(Language::English);
    Click(IDC_SETTINGS);
    List(IDC_PORT)->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(WaitUntil([&] { return List(IDC_PORT)->hasFocus(); }));
    QTest::keyClick(List(IDC_PORT), Qt::Key_Down);
    QTest::keyClick(List(IDC_PORT), Qt::Key_Down);

    closeWindow(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_NE(SettingsText().find("Com=2"), std::string::npos) << SettingsText();
    Close();
  }
}

TEST_F(DialogBehaviour, EnterInsideThePortListStartsWithThePortStoredBefore) {
  WriteSettings("[Settings]\nCom=4\n", 5);
  script_ = [](testkit::ScriptedPort& port) { port.Hold(); };
  CReaderDlg& dialog = Open(Language::English);
  Click(IDC_SETTINGS);
  QComboBox* port = List(IDC_PORT);
  ASSERT_EQ(port->currentIndex(), 4);
  port->setFocus(Qt::TabFocusReason);
  QTest::keyClick(port, Qt::Key_Down);
  ASSERT_EQ(port->currentIndex(), 5);

  QTest::keyClick(port, Qt::Key_Return);  // the default button: Start
  EXPECT_EQ(ButtonText(IDC_START), "STOP");
  EXPECT_TRUE(port->hasFocus());
  EXPECT_EQ(dialog.transferControl().portIndex, 4);
  ASSERT_NE(port_, nullptr);
  EXPECT_EQ(port_->Device(), pty_.SlavePath()) << "COM 5 was opened";

  Click(IDC_START);  // Stop; the focus leaves the list now
  EXPECT_EQ(dialog.transferControl().portIndex, 5);
  port_->Release();
  EXPECT_TRUE(WaitForTransferEnd());
}

// An adapter plugged in or pulled out while the window is open: the list
// marks it as it opens, and keeps the port chosen and its closed box.
TEST_F(DialogBehaviour, ThePortListLooksAgainEachTimeItOpens) {
  const std::filesystem::path adapter = home_.root() / "adapter";
  testkit::WriteFileText(SettingsFilePath(), "[Settings]\nCom=4\n[Ports]\nCOM7=" +
                                                 adapter.string() + "\n");
  Open(Language::English);
  Click(IDC_SETTINGS);
  QComboBox* port = List(IDC_PORT);
  const QString absent = QString::fromStdString("COM 7 (" + adapter.string() + ")");
  ASSERT_EQ(Entries(*port)[6], absent);

  for (const bool plugged : {true, false}) {
    SCOPED_TRACE(plugged ? "plugged in" : "pulled out");
    if (plugged) {
      testkit::WriteFileText(adapter, "");
    } else {
      std::filesystem::remove(adapter);
    }
    port->showPopup();
    EXPECT_EQ(Entries(*port)[6], plugged ? absent + " — connected" : absent);
    EXPECT_EQ(port->itemData(6, Qt::FontRole).value<QFont>().bold(), plugged);
    EXPECT_EQ(port->currentIndex(), 4);
    EXPECT_EQ(port->currentText(), "COM 5");
    port->hidePopup();
  }
}

TEST_F(DialogBehaviour, TheSettingsFramesMnemonicFocusesTheBaudList) {
  CReaderDlg& dialog = Open(Language::English);
  Click(IDC_SETTINGS);
  QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
  EXPECT_TRUE(List(IDC_BAUD)->hasFocus());
}

TEST_F(DialogBehaviour, StartWithNoPortSelectedShowsTheLibrarysErrorInTheDialogsLanguage) {
  const std::tuple<Language, const char*, const char*> cases[] = {
      {Language::English, "No serial port is selected: choose a COM port and try again.",
       "START !"},
      {Language::Polish, "Nie wybrano portu szeregowego: wybierz port COM i spróbuj ponownie.",
       "Transmituj !"},
  };
  for (const auto& [language, message, start] : cases) {
    SCOPED_TRACE(message);
    messages_.clear();
    CReaderDlg& dialog = Open(language);
    Click(IDC_SETTINGS);
    List(IDC_PORT)->setFocus(Qt::TabFocusReason);
    List(IDC_PORT)->setCurrentIndex(-1);

    Click(IDC_START);
    EXPECT_EQ(dialog.transferControl().portIndex, -1);
    EXPECT_EQ(messages_, std::vector<QString>{QString::fromUtf8(message)});
    EXPECT_EQ(ButtonText(IDC_START), QString::fromUtf8(start));
    EXPECT_TRUE(Button(IDOK)->isEnabled());
    EXPECT_EQ(dialog.transferControl().State(), TransferState::Idle);
    Close();
  }
}

TEST_F(DialogBehaviour, SettingsSurviveARestart) {
  Open(Language::Polish);
  Click(IDC_SETTINGS);
  Click(IDC_MODEL_B);
  List(IDC_CODE_DEST)->setCurrentIndex(0);
  List(IDC_CODE_SOURCE)->setCurrentIndex(1);
  List(IDC_PORT)->setFocus(Qt::TabFocusReason);
  List(IDC_PORT)->setCurrentIndex(7);
  Click(IDOK);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  Close();

  const std::string stored = SettingsText();
  for (const char* line : {"Device=1", "Com=7", "CodeDest=0", "CodeSource=1"}) {
    EXPECT_NE(stored.find(line), std::string::npos) << line << " in\n" << stored;
  }

  CReaderDlg& again = Open(Language::Polish);
  EXPECT_TRUE(qobject_cast<QRadioButton*>(again.Control(IDC_MODEL_B))->isChecked());
  EXPECT_EQ(List(IDC_BAUD)->currentIndex(), 1);
  EXPECT_EQ(List(IDC_PORT)->currentIndex(), 7);
  EXPECT_EQ(List(IDC_CODE_DEST)->currentIndex(), 0);
  EXPECT_EQ(List(IDC_CODE_SOURCE)->currentIndex(), 1);
  EXPECT_TRUE(List(IDC_CODE_DEST)->isEnabled());
}

TEST_F(DialogBehaviour, TheWindowsCloseButtonSavesTheSettingsOnceAndOnlyOnce) {
  Open(Language::English);
  Click(IDC_MODEL_B);
  dialog_->close();
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_NE(SettingsText().find("Device=1"), std::string::npos);

  WriteSettings("[Settings]\nDevice=0\n");  // changed behind the closed dialog's back
  Close();
  EXPECT_NE(SettingsText().find("Device=0"), std::string::npos) << "saved again on destruction";
}

TEST_F(DialogBehaviour, AStoredPortOutOfRangeShowsCom1) {
  WriteSettings("[Settings]\nCom=300\nCodeDest=9\n");
  CReaderDlg& dialog = Open(Language::Polish);
  EXPECT_EQ(List(IDC_PORT)->currentIndex(), 0);
  EXPECT_EQ(dialog.transferControl().portIndex, 0);
  EXPECT_EQ(List(IDC_CODE_DEST)->currentIndex(), 2);
}

}  // namespace
}  // namespace zv::uitest
