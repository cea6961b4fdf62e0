// Whole transfers through the dialog and the real worker thread, with a
// scripted port standing in for the device.

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "harness.h"
#include "kit/temp_env.h"
#include "res/resource.h"

namespace zv::uitest {
namespace {

using testkit::ReadFileText;

// ZORVEL A: the count "02" at offsets 7 and 8, then two tests marked by
// "Number", with printer codes the clean-up removes.
const std::string kHeaderA = "HDR:   02\r\n";
const std::string kTestA1 = "Number 1 \x1b" "E FEV1 3.20 l\r\n\x0c";
const std::string kTestA2 = "Number 2 \x1b" "F FEV1 2.95 l\r\n\xb3" "end\r\n";
const std::string kCleanA =
    "HDR:   02\r\nNumber 1  FEV1 3.20 l\r\nNumber 2  FEV1 2.95 l\r\n end\r\n";

// ZORVEL B: the count 2 at offset 2, tests marked by 0x19, Polish letters
// in Latin 2 ("Canon / USB").
const std::string kStreamB =
    "\x1b@\x02ZVB-1\r\n"
    "\x19Pacjent: \x9d\xa2" "d\xab\r\n"
    "\x19ZVB \xa5\x88\r\n";
// The same in MS Windows code page 1250.
const std::string kCleanBWindows = "ZVB-1\r\nPacjent: \xa3\xf3" "d\x9f\r\nZVB \xb9\xb3\r\n";

class TransferDialog : public DialogTest {
 protected:
  QProgressBar* Progress() const {
    return qobject_cast<QProgressBar*>(dialog_->Control(IDC_PROGRESS));
  }
  std::filesystem::path SavePath(const char* name) const { return home_.root() / name; }
  bool WaitForStatus(const QString& text) {
    return WaitUntil([&] { return Status()->text() == text; });
  }
};

TEST_F(TransferDialog, AWholeTransferOfZorvelAEndsWithSaveAsTheDefault) {
  script_ = [](testkit::ScriptedPort& port) {
    port.Hold().Deliver(kHeaderA + kTestA1).Deliver(kTestA2);
  };
  CReaderDlg& dialog = Open(Language::English);

  Click(IDC_START);
  ASSERT_NE(port_, nullptr);
  ASSERT_TRUE(port_->WaitUntilHeld(std::chrono::seconds(10)));
  EXPECT_EQ(ButtonText(IDC_START), "STOP");
  EXPECT_FALSE(Button(IDOK)->isEnabled());
  EXPECT_FALSE(Button(IDC_SAVE)->isEnabled());
  EXPECT_TRUE(WaitForStatus("Waiting for transmission"));

  port_->Release();
  ASSERT_TRUE(WaitForTransferEnd());
  EXPECT_EQ(ButtonText(IDC_START), "START");
  EXPECT_TRUE(Button(IDOK)->isEnabled());
  EXPECT_EQ(Status()->text(), "Transmited test: 2 / 02");
  EXPECT_EQ(Progress()->maximum(), 2);
  EXPECT_EQ(Progress()->value(), 2);
  EXPECT_TRUE(Button(IDC_SAVE)->isEnabled());
  EXPECT_TRUE(Button(IDC_SAVE)->isDefault());
  EXPECT_TRUE(Button(IDC_SAVE)->hasFocus());
  EXPECT_EQ(ReadFileText(RawDump(kModelA)), kHeaderA + kTestA1 + kTestA2);
  EXPECT_FALSE(std::filesystem::exists(RawDump(kModelB)));

  saveChoice_ = SavePath("result.txt");
  QTest::keyClick(&dialog, Qt::Key_Return);  // Save is the default now
  EXPECT_EQ(filters_, std::vector<QString>{
                          "Text files (*.txt);;PDF document (*.pdf);;All files (*.*)"});
  EXPECT_EQ(extensions_, std::vector<QString>{"txt"});
  EXPECT_EQ(ReadFileText(*saveChoice_), kCleanA);
  EXPECT_TRUE(Button(IDOK)->isDefault());
  EXPECT_TRUE(Button(IDOK)->hasFocus());
  EXPECT_TRUE(messages_.empty());

  QTest::keyClick(&dialog, Qt::Key_Return);  // Done
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.transferControl().port(), nullptr);
  CRS232 other;
  EXPECT_NE(other.OpenDevice(pty_.SlavePath(), 9600), 0) << "the port was released";
}

TEST_F(TransferDialog, APolishZorvelBTransferConvertsTheLettersToTheChosenCodePage) {
  script_ = [](testkit::ScriptedPort& port) { port.Deliver(kStreamB); };
  CReaderDlg& dialog = Open(Language::Polish);
  Click(IDC_SETTINGS);
  Click(IDC_MODEL_B);
  List(IDC_CODE_DEST)->setCurrentIndex(3);  // MS Windows

  Click(IDC_START);
  EXPECT_EQ(ButtonText(IDC_START), "STOP");
  ASSERT_TRUE(WaitForTransferEnd());
  EXPECT_EQ(ButtonText(IDC_START), "START");
  EXPECT_EQ(Status()->text(), QString::fromUtf8("Przetransmitowano badań: 2 / 02"));
  EXPECT_EQ(ReadFileText(RawDump(kModelB)), kStreamB);

  saveChoice_ = SavePath("wyniki.txt");
  Click(IDC_SAVE);
  EXPECT_EQ(filters_, std::vector<QString>{
                          "Pliki tekstowe (*.txt);;Dokument PDF (*.pdf);;Wszystkie pliki (*.*)"});
  EXPECT_EQ(ReadFileText(*saveChoice_), kCleanBWindows);
  EXPECT_EQ(dialog.transferControl().modelIndex(), kModelB);
}

TEST_F(TransferDialog, StopWhileWaitingForTheHeaderEndsWithoutAFile) {
  script_ = [](testkit::ScriptedPort& port) { port.Hold(); };
  CReaderDlg& dialog = Open(Language::English);
  Click(IDC_START);
  ASSERT_TRUE(port_->WaitUntilHeld(std::chrono::seconds(10)));

  Click(IDC_START);  // Stop
  EXPECT_EQ(dialog.transferControl().State(), TransferState::StopRequested);
  EXPECT_EQ(ButtonText(IDC_START), "STOP");
  EXPECT_FALSE(Button(IDOK)->isEnabled());

  port_->Release();
  ASSERT_TRUE(WaitForTransferEnd());
  EXPECT_EQ(ButtonText(IDC_START), "START");
  EXPECT_FALSE(Button(IDC_SAVE)->isEnabled());
  EXPECT_FALSE(std::filesystem::exists(RawDump(kModelA)));
  EXPECT_FALSE(port_->IsOpen());
}

TEST_F(TransferDialog, StartPressedWhileAStopIsPendingIsIgnored) {
  script_ = [](testkit::ScriptedPort& port) {
    port.Hold().Silence().Hold().Deliver(kHeaderA + kTestA1);
  };
  CReaderDlg& dialog = Open(Language::English);
  Click(IDC_START);
  ASSERT_TRUE(port_->WaitUntilHeld(std::chrono::seconds(10)));
  Click(IDC_START);  // Stop
  Click(IDC_START);  // while the worker still reads: ignored
  Click(IDC_START);
  EXPECT_EQ(dialog.transferControl().State(), TransferState::StopRequested);
  EXPECT_EQ(port_->ReadCalls(), 1);
  EXPECT_EQ(ButtonText(IDC_START), "STOP");

  port_->Release();
  ASSERT_TRUE(WaitForTransferEnd());
  EXPECT_EQ(port_->ReadCalls(), 1) << "no second worker ran";
  EXPECT_EQ(ButtonText(IDC_START), "START");

  Click(IDC_START);  // a new transfer starts normally afterwards
  ASSERT_TRUE(port_->WaitUntilHeld(std::chrono::seconds(10)));
  EXPECT_EQ(ButtonText(IDC_START), "STOP");
  port_->Release();
  ASSERT_TRUE(WaitForTransferEnd());
  EXPECT_EQ(ReadFileText(RawDump(kModelA)), kHeaderA + kTestA1);
}

// Mended: a device that announces no tests left the bar in a busy animation
// that ran on after the transfer had ended.
TEST_F(TransferDialog, ADeviceAnnouncingNoTestsLeavesAnEmptyBar) {
  script_ = [](testkit::ScriptedPort& port) { port.Deliver("HDR:   00\r\n" + kTestA1); };
  Open(Language::English);
  Click(IDC_START);
  ASSERT_TRUE(WaitForTransferEnd());
  EXPECT_EQ(Status()->text(), "Transmited test: 1 / 00");
  EXPECT_LT(Progress()->minimum(), Progress()->maximum()) << "an empty range is a busy animation";
  EXPECT_EQ(Progress()->value(), Progress()->minimum());
}

// Mended: Save is disabled while a transfer runs, so an empty later
// transfer can no longer write an empty file over a good one.
TEST_F(TransferDialog, AnEmptySecondTransferLeavesSaveDisabledAndTheFilesAlone) {
  script_ = [](testkit::ScriptedPort& port) {
    port.Deliver(kHeaderA + kTestA1 + kTestA2).Silence().Hold();
  };
  Open(Language::English);
  Click(IDC_START);
  ASSERT_TRUE(WaitForTransferEnd());
  saveChoice_ = SavePath("good.txt");
  Click(IDC_SAVE);
  ASSERT_EQ(ReadFileText(*saveChoice_), kCleanA);

  Click(IDC_START);
  EXPECT_FALSE(Button(IDC_SAVE)->isEnabled());
  ASSERT_TRUE(port_->WaitUntilHeld(std::chrono::seconds(10)));
  Click(IDC_START);  // Stop before anything arrived
  port_->Release();
  ASSERT_TRUE(WaitForTransferEnd());

  EXPECT_FALSE(Button(IDC_SAVE)->isEnabled());
  EXPECT_EQ(ReadFileText(*saveChoice_), kCleanA);
  EXPECT_EQ(ReadFileText(RawDump(kModelA)), kHeaderA + kTestA1 + kTestA2);
}

// Mended: a failed save names the file and the reason, leaves nothing
// behind and keeps the buffer, so Save can be retried.
TEST_F(TransferDialog, AFailedSaveIsReportedAndCanBeRetried) {
  script_ = [](testkit::ScriptedPort& port) { port.Deliver(kHeaderA + kTestA1 + kTestA2); };
  Open(Language::English);
  Click(IDC_START);
  ASSERT_TRUE(WaitForTransferEnd());

  const std::filesystem::path blocker = SavePath("not-a-folder");
  testkit::WriteFileText(blocker, "old");
  saveChoice_ = blocker / "result.txt";
  Click(IDC_SAVE);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].contains(QString::fromStdString(saveChoice_->string())))
      << messages_[0].toStdString();
  EXPECT_EQ(ReadFileText(blocker), "old");
  EXPECT_TRUE(Button(IDC_SAVE)->isEnabled());
  EXPECT_FALSE(Button(IDOK)->isDefault());

  saveChoice_ = SavePath("result.txt");
  Click(IDC_SAVE);
  EXPECT_EQ(ReadFileText(*saveChoice_), kCleanA);
}

TEST_F(TransferDialog, CancelledSaveChoiceWritesNothing) {
  script_ = [](testkit::ScriptedPort& port) { port.Deliver(kHeaderA + kTestA1); };
  Open(Language::English);
  Click(IDC_START);
  ASSERT_TRUE(WaitForTransferEnd());
  saveChoice_.reset();
  Click(IDC_SAVE);
  EXPECT_EQ(filters_.size(), 1u);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(Button(IDC_SAVE)->isDefault());
}

TEST_F(TransferDialog, AThreadThatCannotStartIsReportedAndLeavesTheDialogIdle) {
  environment_.startWorker = [](WorkerThread&, std::function<void()>) { return false; };
  CReaderDlg& dialog = Open(Language::English);
  Click(IDC_START);
  EXPECT_EQ(messages_, std::vector<QString>{"Working with threads error!"});
  EXPECT_EQ(ButtonText(IDC_START), "START !");
  EXPECT_TRUE(Button(IDOK)->isEnabled());
  EXPECT_EQ(dialog.transferControl().State(), TransferState::Idle);
}

// Esc while the worker reads: the worker is stopped and joined without
// the dialog hanging, its late updates are dropped, the settings are saved.
TEST_F(TransferDialog, EscDuringATransferStopsTheWorkerAndSavesTheSettings) {
  script_ = [](testkit::ScriptedPort& port) { port.Deliver("ABCDE"); };  // then silence
  CReaderDlg& dialog = Open(Language::English);
  Click(IDC_MODEL_B);
  Click(IDC_START);
  ASSERT_TRUE(WaitUntil([&] { return port_->BytesDelivered() == 5; }));
  ASSERT_TRUE(WaitForStatus("Waiting for transmission"));

  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.transferControl().State(), TransferState::Idle);
  EXPECT_NE(SettingsText().find("Device=1"), std::string::npos) << SettingsText();
  EXPECT_EQ(ReadFileText(RawDump(kModelB)), "ABCDE");

  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(ButtonText(IDC_START), "STOP") << "the end command came after the close";
  EXPECT_TRUE(messages_.empty());
}

// The same with a real serial port on a pseudo-terminal, whose reads block
// for their time-out: closing the window still ends promptly.
TEST_F(TransferDialog, ClosingTheWindowDuringARealPortsTransferJoinsTheWorker) {
  CReaderDlg& dialog = Open(Language::English, false);
  Click(IDC_START);
  ASSERT_EQ(ButtonText(IDC_START), "STOP") << (messages_.empty() ? "" : messages_[0].toStdString());
  ASSERT_TRUE(WaitForStatus("Waiting for transmission"));
  ASSERT_TRUE(pty_.Write("ABC"));

  dialog.close();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.transferControl().State(), TransferState::Idle);
  EXPECT_NE(SettingsText().find("Device=0"), std::string::npos) << SettingsText();
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace zv::uitest
