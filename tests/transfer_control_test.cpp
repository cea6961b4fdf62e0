// The UI-thread side of a transfer, driven like the window drives it: the
// test thread plays the UI thread, a fake view stands in for the widgets,
// and the port is a scripted one opened on a pseudo-terminal that the
// settings file maps to COM 1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kit/busy_line_port.h"
#include "kit/convert_reference.h"
#include "kit/fake_dialog_view.h"
#include "kit/fake_file_writer.h"
#include "kit/pdf_oracle.h"
#include "kit/pty.h"
#include "kit/scripted_port.h"
#include "kit/temp_env.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/strings.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testkit::FakeDialogView;
using testkit::FakeFileWriter;
using testkit::ReadFileBytes;
using testkit::ReadFileText;
using testkit::ScriptedPort;
using testkit::WriteFileText;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kPatience = 10s;  // only a safety net against hanging

Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

Bytes FileBytes(const fs::path& path) {
  const auto bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

// ZORVEL A: header digits "02" at offsets 7 and 8, then two tests with a
// printer escape, a box line and a stray high byte to clean away.
const std::string kStreamA =
    std::string("ZVA-HDR02\r") + "\x1B" "E Number 1  FVC 4.51 l\r\n" +
    "\xB3 Number 2  FVC 3.98 l\xC8\r\n";

// ZORVEL B: count 2 in header byte 2, 0x19 marks, Polish letters in
// Mazovia (Ł = 0x9C, ó = 0xA2).
const std::string kStreamB =
    std::string("B\x01\x02" "1234567") + "\x19 Pacjent: \x9C" "ukasz G\xA2ra\r\n" +
    "\x19 Wynik\r\n";

class TransferControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << pty_.Error();
    MapPorts("COM1=" + pty_.SlavePath());
    SetErrorReporter([this](const std::string& message) {
      std::lock_guard lock(mutex_);
      reported_.push_back(message);
    });
    control_ = std::make_unique<TransferControl>(view_, Environment());
  }

  void TearDown() override {
    control_.reset();
    SetErrorReporter({});
  }

  void MapPorts(const std::string& lines) {
    WriteFileText(SettingsFilePath(), "[Ports]\n" + lines + "\n");
  }

  TransferEnvironment Environment() {
    TransferEnvironment env;
    env.makePort = [this]() -> std::unique_ptr<CRS232> {
      ++portsMade_;
      if (useRealPort_) {
        // Busy until kStreamA, which the test writes, has been read: the
        // test thread writing late cannot pass for the line falling silent.
        auto port = std::make_unique<testkit::BusyLinePort>();
        port->StayBusyUntil(kStreamA.size());
        return port;
      }
      if (!nextPort_) nextPort_ = std::make_unique<ScriptedPort>();
      return std::move(nextPort_);
    };
    env.fileWriter = &writer_;
    env.sleep = [](std::chrono::milliseconds) {};
    env.startWorker = [this](WorkerThread& worker, std::function<void()> body) {
      if (failThreads_) return false;
      ++workersStarted_;
      return worker.Start(std::move(body));
    };
    return env;
  }

  // The scripted port of the next Start, or of the running one.
  ScriptedPort& Port() {
    if (nextPort_) return *nextPort_;
    return *static_cast<ScriptedPort*>(const_cast<CRS232*>(control_->port()));
  }

  void Start() {
    control_->OnStartStop();
    ASSERT_EQ(control_->State(), TransferState::Transferring);
  }

  // The window's event loop delivering the worker's end command.
  void DeliverEnd() {
    ASSERT_TRUE(view_.TakeTransferEnd(kPatience)) << "no end command";
    control_->OnTransferEnd();
  }

  // A transfer that receives `stream` and then falls silent.
  void Transfer(const std::string& stream) {
    Port().Deliver(stream);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(DeliverEnd());
    ASSERT_EQ(control_->State(), TransferState::Idle);
  }

  // A transfer stopped by the user while waiting for the header.
  void StoppedTransfer() {
    Port().Hold();
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
    control_->OnStartStop();
    EXPECT_EQ(control_->State(), TransferState::StopRequested);
    Port().Release();
    ASSERT_NO_FATAL_FAILURE(DeliverEnd());
  }

  std::vector<std::string> Reported() {
    std::lock_guard lock(mutex_);
    return reported_;
  }

  testkit::IsolatedHome home_;
  testkit::PseudoTerminal pty_;
  FakeDialogView view_;
  FakeFileWriter writer_;
  std::unique_ptr<ScriptedPort> nextPort_ = std::make_unique<ScriptedPort>();
  bool useRealPort_ = false;
  bool failThreads_ = false;
  int portsMade_ = 0;
  int workersStarted_ = 0;
  std::mutex mutex_;
  std::vector<std::string> reported_;
  std::unique_ptr<TransferControl> control_;
};

TEST_F(TransferControlTest, StartRelabelsTheButtonsAndDisablesDoneAndSave) {
  Port().Hold();
  view_.ClearLog();

  control_->OnStartStop();

  EXPECT_EQ(control_->State(), TransferState::Transferring);
  EXPECT_THAT(view_.Log(),
              ElementsAre("SetProgressPos 0", "SetButtonText 1000 STOP",
                          "EnableButton 1 0", "EnableButton 1006 0"));
  ASSERT_NE(control_->port(), nullptr);
  EXPECT_TRUE(control_->port()->IsOpen());
  EXPECT_EQ(workersStarted_, 1);

  control_->OnStartStop();  // Stop
  EXPECT_EQ(control_->State(), TransferState::StopRequested);
  EXPECT_EQ(view_.ButtonText(IDC_START), "STOP");
  EXPECT_FALSE(view_.ButtonEnabled(IDOK));
  Port().Release();
  DeliverEnd();
  EXPECT_EQ(control_->State(), TransferState::Idle);
}

TEST_F(TransferControlTest, AnEndWithBytesDumpsThemRawThenCleansTheBuffer) {
  const fs::path dump = RawDumpFolder() / "~ZVA.tmp";
  ASSERT_FALSE(fs::exists(RawDumpFolder())) << "created when missing";

  Port().Deliver(kStreamA);
  Start();
  view_.ClearLog();
  DeliverEnd();

  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_THAT(view_.Log(),
              ElementsAre("SetButtonText 1000 START", "EnableButton 1 1",
                          "EnableButton 1006 1", "SetDefaultButton 1006",
                          "FocusControl 1006"));
  EXPECT_FALSE(control_->port()->IsOpen());
  EXPECT_EQ(FileBytes(dump), ToBytes(kStreamA));
  EXPECT_EQ(control_->buffer(), testkit::ReferenceConvert(ToBytes(kStreamA), 0, 2, 0));
  EXPECT_EQ(view_.StatusText(), FormatTransmitted(2, 2));
  EXPECT_TRUE(view_.Messages().empty());
}

// Writing and flushing the dump can take a while; the window's thread must
// not wait for it, so the worker writes it before it posts its end.
TEST_F(TransferControlTest, TheRawDumpIsWrittenOffTheWindowsThread) {
  Port().Deliver(kStreamA);
  Start();
  DeliverEnd();
  const auto writes = writer_.Writes();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].path, RawDumpFolder() / "~ZVA.tmp");
  EXPECT_NE(writes[0].thread, std::this_thread::get_id());
}

TEST_F(TransferControlTest, ZorvelBLettersAreConvertedAfterTheRawDump) {
  view_.CheckModel(kModelB);
  view_.SelectListEntry(IDC_CODE_DEST, 3);    // MS Windows
  view_.SelectListEntry(IDC_CODE_SOURCE, 1);  // RS 232

  Transfer(kStreamB);

  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVB.tmp"), ToBytes(kStreamB));
  EXPECT_FALSE(fs::exists(RawDumpFolder() / "~ZVA.tmp"));
  const Bytes cleaned = testkit::ReferenceConvert(ToBytes(kStreamB), 1, 3, 1);
  EXPECT_EQ(control_->buffer(), cleaned);
  EXPECT_THAT(std::string(cleaned.begin(), cleaned.end()),
              HasSubstr("\xA3ukasz G\xF3ra"));
}

TEST_F(TransferControlTest, AModelIndexOutsideTheButtonsDumpsToTheZorvelBFile) {
  view_.CheckModel(-1);
  Transfer(kStreamA);
  EXPECT_EQ(control_->modelIndex(), -1);
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVB.tmp"), ToBytes(kStreamA));
  EXPECT_FALSE(fs::exists(RawDumpFolder() / "~ZVA.tmp"));
}

TEST_F(TransferControlTest, TheModelChosenDuringTheTransferNamesTheDump) {
  Port().Deliver(kStreamA.substr(0, 12)).Hold().Deliver(kStreamA.substr(12));
  Start();
  ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
  control_->setModelIndex(kModelB);
  Port().Release();
  DeliverEnd();
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVB.tmp"), ToBytes(kStreamA));
  EXPECT_FALSE(fs::exists(RawDumpFolder() / "~ZVA.tmp"));
}

TEST_F(TransferControlTest, OpensCom1PlusThePortIndexAtTheSelectedBaudRate) {
  MapPorts("COM1=" + (home_.root() / "no-such-tty").string() +
           "\nCOM3=" + pty_.SlavePath());
  control_->portIndex = 2;
  const struct {
    int model;
    int selection;
    unsigned baud;
  } cases[] = {{kModelA, 0, 4800}, {kModelA, 1, 9600}, {kModelA, 2, 19200},
               {kModelB, 0, 4800}, {kModelB, 2, 19200}, {kModelA, -1, 4800},
               {kModelB, -1, 9600}, {kModelB, 3, 9600}, {-1, -1, 9600}};
  for (const auto& c : cases) {
    control_->setModelIndex(c.model);
    view_.SelectListEntry(IDC_BAUD, c.selection);
    ASSERT_EQ(control_->OpenPort(), 1);
    const auto line = pty_.SlaveSettings();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->baud, c.baud)
        << "model " << c.model << ", selection " << c.selection;
  }
  EXPECT_EQ(portsMade_, 1) << "one port object, reopened";
  EXPECT_TRUE(Reported().empty());
}

TEST_F(TransferControlTest, AFailedOpenIsReportedAndChangesNothingElse) {
  MapPorts("COM1=" + (home_.root() / "no-such-tty").string() +
           "\nCOM2=" + pty_.SlavePath());
  view_.ClearLog();

  control_->OnStartStop();

  EXPECT_EQ(Reported().size(), 1u);
  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_TRUE(view_.Log().empty());
  EXPECT_EQ(view_.ButtonText(IDC_START), "START !");
  EXPECT_TRUE(view_.ButtonEnabled(IDOK));
  EXPECT_EQ(workersStarted_, 0);
  ASSERT_NE(control_->port(), nullptr) << "the port object stays";
  EXPECT_FALSE(control_->port()->IsOpen());

  control_->portIndex = 1;  // the user picks another port
  Transfer(kStreamA);
  EXPECT_EQ(portsMade_, 1);
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVA.tmp"), ToBytes(kStreamA));
}

TEST_F(TransferControlTest, AThreadThatCannotStartIsReportedAndLeavesThePortOpen) {
  Transfer(kStreamA);
  const Bytes cleaned = control_->buffer();
  failThreads_ = true;
  view_.ClearLog();

  control_->OnStartStop();

  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_THAT(view_.Messages(), ElementsAre(kThreadsError));
  EXPECT_TRUE(control_->port()->IsOpen());
  EXPECT_EQ(view_.ButtonText(IDC_START), "START");
  EXPECT_TRUE(view_.ButtonEnabled(IDOK));
  EXPECT_TRUE(view_.ButtonEnabled(IDC_SAVE));
  EXPECT_EQ(control_->buffer(), cleaned);

  failThreads_ = false;
  Transfer(kStreamA);  // Open again on the open port
  EXPECT_EQ(workersStarted_, 2);
}

TEST_F(TransferControlTest, StopWhileWaitingForTheHeaderWritesNothing) {
  StoppedTransfer();

  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_EQ(view_.ButtonText(IDC_START), "START");
  EXPECT_TRUE(view_.ButtonEnabled(IDOK));
  EXPECT_FALSE(view_.ButtonEnabled(IDC_SAVE));
  EXPECT_EQ(view_.DefaultButton(), IDC_START);
  EXPECT_FALSE(fs::exists(RawDumpFolder()));
  EXPECT_TRUE(writer_.Writes().empty());
  EXPECT_TRUE(control_->buffer().empty());
  EXPECT_FALSE(control_->port()->IsOpen());
  EXPECT_EQ(view_.StatusText(), LoadStringA(IDS_WAITING));
}

TEST_F(TransferControlTest, StartIsIgnoredWhileAStopIsPending) {
  Port().Hold();
  Start();
  ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
  control_->OnStartStop();  // Stop
  view_.ClearLog();

  control_->OnStartStop();
  control_->OnStartStop();

  EXPECT_EQ(control_->State(), TransferState::StopRequested);
  EXPECT_TRUE(view_.Log().empty());
  EXPECT_EQ(workersStarted_, 1);
  EXPECT_EQ(Port().ReadCalls(), 1);
  Port().Release();
  DeliverEnd();

  Transfer(kStreamA);  // and works again once the end was handled
  EXPECT_EQ(workersStarted_, 2);
}

TEST_F(TransferControlTest, AnEmptyLaterTransferCannotReachTheGoodResult) {
  const fs::path saved = home_.root() / "result.txt";
  Transfer(kStreamA);
  const Bytes good = control_->buffer();
  view_.AnswerSaveFile(saved);

  Port().Hold();
  Start();
  EXPECT_FALSE(view_.ButtonEnabled(IDC_SAVE)) << "disabled from the start";
  control_->OnSave();  // even if the click came through
  EXPECT_EQ(view_.SaveChooserCalls(), 0);
  control_->OnStartStop();
  control_->OnSave();
  EXPECT_EQ(view_.SaveChooserCalls(), 0);
  Port().Release();
  DeliverEnd();

  EXPECT_FALSE(view_.ButtonEnabled(IDC_SAVE));
  EXPECT_TRUE(control_->buffer().empty());
  EXPECT_FALSE(fs::exists(saved));
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVA.tmp"), ToBytes(kStreamA))
      << "the last dump with bytes stays";
}

TEST_F(TransferControlTest, ASecondTransferReplacesTheBufferAndTheDump) {
  const std::string second = kStreamA.substr(0, 10) + "Number 9 second run...\r\n";
  Transfer(kStreamA);
  Transfer(second);
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVA.tmp"), ToBytes(second));
  EXPECT_EQ(control_->buffer(), testkit::ReferenceConvert(ToBytes(second), 0, 2, 0));
}

// What a reader listening at another speed than the device's receives:
// bytes that no report holds.
std::string Garbled(std::size_t length) {
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i) bytes += "\x00\x7F\xFF\xC4"[i % 4];
  return bytes;
}

// The end of a transfer says in the status line, in the window's language
// and in place of the worker's text, when the bytes look garbled (judged
// at the rate the port was opened at) or tests were announced and none
// came, unless the user stopped it; a report read right says nothing.
// Nothing else changes: the raw dump, the clean-up and Save are as always.
TEST_F(TransferControlTest, TheStatusLineSaysWhatTheReviewOfTheBytesFound) {
  const std::string reportA = kStreamA + "Patient: Jan Nowak, FEV1 3.1 l\r\n";
  const std::string silentB = std::string("B\x01\x05" "1234567") + std::string(60, '-');
  const struct {
    const char* what;
    Language language;
    int model, baudEntry, baudEntryDuring;  // the baud entry at Start, then while it runs (-1: none)
    bool stopped;
    std::string stream;
    const char* status;
  } cases[] = {
      {"garbled, 9600 chosen", Language::English, kModelA, 1, -1, false,
       "ZVA-HDR01\r" + Garbled(90),
       "Text garbled: the device may be set to another speed than 9600 b/s (usually 4800 "
       "b/s)."},
      {"garbled at the usual speed, another chosen during the transfer", Language::Polish,
       kModelA, 0, 2, false, Garbled(100),
       "Tekst zniekształcony: prędkość urządzenia inna niż zwykła (4800 b/s)?"},
      {"announced, none sent", Language::Polish, kModelB, 1, -1, false, silentB,
       "Zapowiedziano badań: 5, nie dotarło żadne: czy to ZORVEL B?"},
      {"announced, none sent, stopped", Language::English, kModelB, 1, -1, true, silentB,
       "Waiting for transmission"},
      {"a report at the right speed", Language::English, kModelA, 0, -1, false, reportA,
       "Transmited test: 2 / 02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUiLanguage(c.language);
    view_.CheckModel(c.model);
    view_.SelectListEntry(IDC_BAUD, c.baudEntry);
    Port().Deliver(c.stream).Hold();
    Start();
    ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
    if (c.baudEntryDuring >= 0) view_.SelectListEntry(IDC_BAUD, c.baudEntryDuring);
    if (c.stopped) control_->OnStartStop();
    Port().Release();
    DeliverEnd();

    EXPECT_EQ(view_.StatusText(), c.status);
    const fs::path dump = RawDumpFolder() / (c.model == kModelB ? "~ZVB.tmp" : "~ZVA.tmp");
    EXPECT_EQ(FileBytes(dump), ToBytes(c.stream));
    EXPECT_EQ(control_->buffer(), testkit::ReferenceConvert(ToBytes(c.stream), c.model, 2, 0));
    EXPECT_TRUE(view_.ButtonEnabled(IDC_SAVE));
    EXPECT_TRUE(view_.Messages().empty());
  }
  ClearUiLanguage();
}

// Start-up shows which ports are present without asking what they are;
// each opening of the list asks afresh.
TEST_F(TransferControlTest, ThePortListIsDescribedWhenItOpens) {
  struct NamingDescriber : IPortDescriber {
    PortDetails Describe(const std::string&) const override { return {"FT232R USB UART", {}, {}}; }
  };
  TransferEnvironment env = Environment();
  int describersMade = 0;
  env.makePortDescriber = [&describersMade] {
    ++describersMade;
    return std::make_unique<NamingDescriber>();
  };
  control_ = std::make_unique<TransferControl>(view_, env);

  control_->OnInitDialog();
  ASSERT_EQ(view_.PortItems().size(), 256u);
  EXPECT_TRUE(view_.PortItems()[0].present);
  EXPECT_EQ(view_.PortItems()[0].details, PortDetails{}) << "not asked at start-up";
  control_->OnPortListOpening();
  control_->OnPortListOpening();
  EXPECT_EQ(view_.PortItems()[0].details.description, "FT232R USB UART");
  EXPECT_EQ(describersMade, 2) << "a fresh look each time";
}

TEST_F(TransferControlTest, SaveWritesTheCleanedBytesAndMovesToDone) {
  const fs::path saved = home_.root() / "result.txt";
  Transfer(kStreamA);
  view_.AnswerSaveFile(saved);
  view_.ClearLog();

  SetUiLanguage(Language::English);
  control_->OnSave();
  ClearUiLanguage();

  EXPECT_EQ(view_.LastFilter(),
            "Text files (*.txt)|*.txt|PDF document (*.pdf)|*.pdf|All files (*.*)|*.*||");
  EXPECT_EQ(view_.LastDefaultExtension(), "txt");
  EXPECT_EQ(FileBytes(saved), control_->buffer());
  EXPECT_EQ(FileBytes(saved), testkit::ReferenceConvert(ToBytes(kStreamA), 0, 2, 0));
  EXPECT_THAT(view_.Log(), ElementsAre("ChooseSaveFile", "SetDefaultButton 1",
                                       "FocusControl 1"));
}

// A name's own ".pdf" or ".txt" decides, any other the type chosen in the
// list (0 text, 1 PDF). The letters come from the code page of the
// clean-up, not of the list now. No PDF text: the cleaned text file.
TEST_F(TransferControlTest, APdfNameOrThePdfTypeGetsTheReportsPdf) {
  const struct { const char* name; int type, target; const char* pdfText; } cases[] = {
      {"RESULT.Pdf", 0, 3, "B1234567 Pacjent: Łukasz Góra\n Wynik\n"},
      {"plain.pdf", 0, 0, "B1234567 Pacjent: Lukasz Gora\n Wynik\n"},
      {"Kowalski.Jan", 1, 3, "B1234567 Pacjent: Łukasz Góra\n Wynik\n"},
      {"wyniki.TXT", 1, 3, nullptr},
      {"Nowak.Anna", 0, 3, nullptr},
  };
  view_.CheckModel(kModelB);
  view_.SelectListEntry(IDC_CODE_SOURCE, 1);  // RS 232
  for (const auto& c : cases) {
    view_.SelectListEntry(IDC_CODE_DEST, c.target);
    Transfer(kStreamB);
    view_.SelectListEntry(IDC_CODE_DEST, 2);
    const fs::path saved = home_.root() / c.name;
    view_.AnswerSaveFile(saved, c.type);
    control_->OnSave();
    if (c.pdfText) {
      EXPECT_EQ(testkit::PdfShowsText(saved, c.pdfText), "") << c.name;
    } else {
      const Bytes text = testkit::ReferenceConvert(ToBytes(kStreamB), kModelB, c.target, 1);
      EXPECT_EQ(FileBytes(saved), text) << c.name;
    }
  }
}

TEST_F(TransferControlTest, ACancelledSaveDoesNothing) {
  Transfer(kStreamA);
  view_.AnswerSaveFile(std::nullopt);
  const auto writesBefore = writer_.Writes().size();
  view_.ClearLog();

  control_->OnSave();

  EXPECT_THAT(view_.Log(), ElementsAre("ChooseSaveFile"));
  EXPECT_EQ(writer_.Writes().size(), writesBefore);
}

TEST_F(TransferControlTest, AFailedSaveKeepsTheOldFileAndTheBufferForARetry) {
  const struct {
    Language language;
    const char* opening;
    const char* advice;
  } languages[] = {
      {Language::English, "Could not save the results to", "press Save again"},
      {Language::Polish, "Nie udało się zapisać wyników", "naciśnij Zapisz"}};
  Transfer(kStreamA);
  const Bytes cleaned = control_->buffer();
  for (const auto& l : languages) {
    SetUiLanguage(l.language);
    const fs::path saved = home_.root() / "result.txt";
    WriteFileText(saved, "yesterday's result");
    view_.AnswerSaveFile(saved);
    writer_.Fail("No space left on device", saved);
    view_.SetDefaultButton(IDC_SAVE);
    const std::size_t messagesBefore = view_.Messages().size();

    control_->OnSave();

    ASSERT_EQ(view_.Messages().size(), messagesBefore + 1);
    const std::string message = view_.Messages().back();
    EXPECT_THAT(message, HasSubstr(l.opening));
    EXPECT_THAT(message, HasSubstr("\"" + saved.string() + "\""));
    EXPECT_THAT(message, HasSubstr("No space left on device"));
    EXPECT_THAT(message, HasSubstr(l.advice));
    EXPECT_EQ(ReadFileText(saved), "yesterday's result");
    EXPECT_EQ(control_->buffer(), cleaned);
    EXPECT_TRUE(view_.ButtonEnabled(IDC_SAVE));
    EXPECT_EQ(view_.DefaultButton(), IDC_SAVE);

    writer_.Heal();
    control_->OnSave();
    EXPECT_EQ(FileBytes(saved), cleaned);
    EXPECT_EQ(view_.DefaultButton(), IDOK);
    EXPECT_EQ(view_.Messages().size(), messagesBefore + 1);
  }
  ClearUiLanguage();
}

TEST_F(TransferControlTest, AFailedRawDumpIsSilentAndTheBufferIsStillCleaned) {
  writer_.Fail("Permission denied", RawDumpFolder() / "~ZVA.tmp");

  Transfer(kStreamA);

  EXPECT_TRUE(view_.Messages().empty());
  EXPECT_TRUE(view_.ButtonEnabled(IDC_SAVE));
  EXPECT_EQ(view_.DefaultButton(), IDC_SAVE);
  EXPECT_FALSE(fs::exists(RawDumpFolder() / "~ZVA.tmp"));
  EXPECT_EQ(control_->buffer(), testkit::ReferenceConvert(ToBytes(kStreamA), 0, 2, 0));
}

TEST_F(TransferControlTest, AWorkerSlowToReturnIsKeptUntilItHasEnded) {
  view_.HoldNextTransferEnd();  // the worker posts, then lingers
  Port().Deliver(kStreamA);
  Start();
  ASSERT_TRUE(view_.TakeTransferEnd(kPatience));

  control_->OnTransferEnd();  // gives up after the bounded wait

  EXPECT_THAT(view_.Messages(), ElementsAre(kThreadsError));
  EXPECT_EQ(control_->State(), TransferState::StopRequested);
  EXPECT_TRUE(control_->port()->IsOpen()) << "the worker still uses it";
  EXPECT_EQ(view_.ButtonText(IDC_START), "STOP");
  EXPECT_FALSE(view_.ButtonEnabled(IDOK));
  // The worker wrote the raw dump before it posted; the buffer is not yet
  // cleaned while the worker lingers.
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVA.tmp"), ToBytes(kStreamA));
  EXPECT_EQ(control_->buffer(), ToBytes(kStreamA));
  control_->OnStartStop();
  control_->OnSave();
  EXPECT_EQ(workersStarted_, 1);
  EXPECT_EQ(view_.SaveChooserCalls(), 0);

  view_.ReleaseTransferEnd();
  DeliverEnd();  // posted again by the worker once it has returned

  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_FALSE(control_->port()->IsOpen());
  EXPECT_EQ(view_.ButtonText(IDC_START), "START");
  EXPECT_TRUE(view_.ButtonEnabled(IDOK));
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVA.tmp"), ToBytes(kStreamA));
  EXPECT_EQ(control_->buffer(), testkit::ReferenceConvert(ToBytes(kStreamA), 0, 2, 0));
  EXPECT_EQ(view_.Messages().size(), 1u);
}

TEST_F(TransferControlTest, AnEndCommandNotFromTheCurrentWorkerIsIgnored) {
  view_.CheckModel(kModelB);
  view_.SelectListEntry(IDC_CODE_DEST, 3);
  view_.SelectListEntry(IDC_CODE_SOURCE, 1);
  Port().Hold();
  Start();
  ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
  view_.ClearLog();

  control_->OnTransferEnd();  // while the worker still reads

  EXPECT_EQ(control_->State(), TransferState::Transferring);
  EXPECT_TRUE(control_->port()->IsOpen());
  EXPECT_TRUE(view_.Log().empty());

  Port().Deliver(kStreamB);
  Port().Release();
  DeliverEnd();
  const Bytes cleaned = control_->buffer();
  ASSERT_EQ(cleaned, testkit::ReferenceConvert(ToBytes(kStreamB), 1, 3, 1));
  view_.ClearLog();

  control_->OnTransferEnd();  // a repeated one after the end

  EXPECT_EQ(control_->buffer(), cleaned) << "cleaned only once";
  EXPECT_TRUE(view_.Log().empty());
}

TEST_F(TransferControlTest, DoneClosesAndReleasesThePort) {
  control_->OnOK();  // before any Start: nothing to release
  EXPECT_EQ(control_->port(), nullptr);

  Transfer(kStreamA);
  control_->OnOK();

  EXPECT_EQ(control_->port(), nullptr);
  CRS232 other;
  EXPECT_NE(other.Open(1, 9600), 0) << "the port is free for others";
}

TEST_F(TransferControlTest, DoneDuringATransferStopsAndJoinsTheWorkerFirst) {
  Port().Deliver("abc").Hold();
  Start();
  ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
  std::thread releaser([this] { Port().Release(); });

  control_->OnOK();
  releaser.join();

  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_EQ(control_->port(), nullptr);
  CRS232 other;
  EXPECT_NE(other.Open(1, 9600), 0);
}

TEST_F(TransferControlTest, StopAndJoinEndsATransferWithoutTheView) {
  Port().Deliver("abc").Hold();
  Start();
  ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
  ScriptedPort& port = Port();
  std::thread releaser([&port] { port.Release(); });
  view_.ClearLog();

  control_->StopAndJoin();
  releaser.join();

  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_TRUE(view_.Log().empty());
  EXPECT_EQ(view_.TransferEndsPosted(), 1);
  ASSERT_NE(control_->port(), nullptr);
  EXPECT_FALSE(control_->port()->IsOpen());
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVA.tmp"), ToBytes("abc"))
      << "what arrived is kept in the raw dump";

  control_->OnTransferEnd();  // the end command arriving late
  EXPECT_TRUE(view_.Log().empty());
}

TEST_F(TransferControlTest, DestructionDuringATransferJoinsTheWorker) {
  Port().Hold();
  Start();
  ASSERT_TRUE(Port().WaitUntilHeld(kPatience));
  ScriptedPort& port = Port();
  std::thread releaser([&port] { port.Release(); });

  control_.reset();
  releaser.join();

  CRS232 other;
  EXPECT_NE(other.Open(1, 9600), 0) << "closed with the control";
}

TEST_F(TransferControlTest, AWholeTransferOverTheRealPort) {
  useRealPort_ = true;
  control_->OnStartStop();
  ASSERT_EQ(control_->State(), TransferState::Transferring);
  for (std::size_t at = 0; at < kStreamA.size(); at += 7)
    ASSERT_TRUE(pty_.Write(kStreamA.substr(at, 7)));

  DeliverEnd();  // after a second of silence

  EXPECT_EQ(control_->State(), TransferState::Idle);
  EXPECT_EQ(FileBytes(RawDumpFolder() / "~ZVA.tmp"), ToBytes(kStreamA));
  EXPECT_EQ(control_->buffer(), testkit::ReferenceConvert(ToBytes(kStreamA), 0, 2, 0));
  EXPECT_EQ(pty_.SlaveSettings()->baud, 4800u);
  control_->OnOK();
  EXPECT_EQ(control_->port(), nullptr);
}

}  // namespace
}  // namespace zv
