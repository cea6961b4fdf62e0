#include "harness.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <thread>

#include "res/resource.h"
#include "support/paths.h"

namespace zv::uitest {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > limit.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents();
  }
  return true;
}

QPointer<QTimer> WhenShown(std::function<QWidget*()> ready, std::function<void(QWidget*)> action) {
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, timer, [=] {
    QWidget* widget = ready();
    if (!widget && clock->elapsed() < 10000) return;
    timer->stop();
    timer->deleteLater();
    if (widget) action(widget);
  });
  timer->start(5);
  return timer;
}

int QuietDevicePort::Read(DWORD max, BYTE* buffer, DWORD* count) {
  if (Exhausted()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the read time-out
    *count = 0;
    return 0;
  }
  return ScriptedPort::Read(max, buffer, count);
}

void DialogTest::SetUp() {
  ASSERT_TRUE(pty_.Ok()) << pty_.Error();
  WriteSettings("");
  environment_.sleep = [](std::chrono::milliseconds) {};
}

void DialogTest::TearDown() {
  Close();
  ClearUiLanguage();
}

void DialogTest::WriteSettings(const std::string& text, int ptyCom) {
  testkit::WriteFileText(SettingsFilePath(), text + "\n[Ports]\nCOM" + std::to_string(ptyCom) +
                                                 "=" + pty_.SlavePath() + "\n");
}

std::string DialogTest::SettingsText() const { return testkit::ReadFileText(SettingsFilePath()); }

std::filesystem::path DialogTest::RawDump(int model) const { return RawDumpPath(model); }

CReaderDlg& DialogTest::Open(Language language, bool scripted) {
  SetUiLanguage(language);
  TransferEnvironment environment = environment_;
  if (scripted) {
    environment.makePort = [this]() -> std::unique_ptr<CRS232> {
      auto port = std::make_unique<QuietDevicePort>();
      port_ = port.get();
      if (script_) script_(*port);
      return port;
    };
  }
  CReaderDlg::Prompts prompts;
  prompts.showMessage = [this](const QString& text) { messages_.push_back(text); };
  prompts.chooseSaveFile = [this](const QString& filter,
                                  const QString& extension) -> std::optional<SaveFileChoice> {
    filters_.push_back(filter);
    extensions_.push_back(extension);
    if (!saveChoice_) return std::nullopt;
    return SaveFileChoice{*saveChoice_};
  };
  dialog_ = std::make_unique<CReaderDlg>(std::move(environment), std::move(prompts), language);
  dialog_->show();
  dialog_->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  return *dialog_;
}

void DialogTest::Close() {
  if (!dialog_) return;
  if (port_ && dialog_->transferControl().port() == port_) port_->Release();
  dialog_.reset();
  port_ = nullptr;
}

QPushButton* DialogTest::Button(int id) const {
  return qobject_cast<QPushButton*>(dialog_->Control(id));
}

QComboBox* DialogTest::List(int id) const { return qobject_cast<QComboBox*>(dialog_->Control(id)); }

QLabel* DialogTest::Status() const { return qobject_cast<QLabel*>(dialog_->Control(IDC_STATUS)); }

QString DialogTest::ButtonText(int id) const { return Button(id)->text(); }

void DialogTest::Click(int id) {
  QWidget* control = dialog_->Control(id);
  QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
}

bool DialogTest::WaitForTransferEnd() {
  return WaitUntil([this] {
    return dialog_->transferControl().State() == TransferState::Idle &&
           Button(IDOK)->isEnabled();
  });
}

int DialogTest::WindowBottom() const {
  const QRect window = dialog_->frameGeometry();
  return window.top() + window.height();
}

int DialogTest::FrameTop() const {
  return dialog_->Control(IDC_SETTINGS_FRAME)->mapToGlobal(QPoint(0, 0)).y();
}

int DialogTest::FrameBottom() const {
  return FrameTop() + dialog_->Control(IDC_SETTINGS_FRAME)->height();
}

}  // namespace zv::uitest
