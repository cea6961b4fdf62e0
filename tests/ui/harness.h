#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kit/pty.h"
#include "kit/scripted_port.h"
#include "kit/temp_env.h"
#include "support/strings.h"
#include "ui/qt/reader_dlg.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace zv::uitest {

// Processes events until `condition` holds; false when `limit` passed first.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs `action` on the UI thread as soon as `ready` returns a widget, from
// inside whatever event loop is running then (a modal dialog's, a menu's).
// Gives up after 10 s. Deleting the returned watch cancels it.
QPointer<QTimer> WhenShown(std::function<QWidget*()> ready, std::function<void(QWidget*)> action);

// A scripted port whose reads, once the script is used up, find silence
// after a short read time-out, as a quiet device's port would.
class QuietDevicePort : public testkit::ScriptedPort {
 public:
  int Read(DWORD max, BYTE* buffer, DWORD* count) override;
};

// A dialog test: private settings and raw-dump folders, a pseudo-terminal
// that COM 1 maps to (so Open succeeds), prompts that record instead of
// asking, and a scripted port handed to the dialog on its first Start.
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the settings file's text before the dialog loads it, adding a
  // [Ports] section that maps COM `ptyCom` to the pseudo-terminal.
  void WriteSettings(const std::string& text, int ptyCom = 1);
  std::string SettingsText() const;
  std::filesystem::path RawDump(int model) const;

  // Creates the dialog in `language`, shows it and waits until it is
  // active. With `scripted`, Start gets `port` instead of a real one.
  CReaderDlg& Open(Language language, bool scripted = true);
  void Close();  // destroys the dialog (a running worker is released first)

  QPushButton* Button(int id) const;
  QComboBox* List(int id) const;
  QLabel* Status() const;
  QString ButtonText(int id) const;

  // Clicks a control like a user would, focus change included.
  void Click(int id);
  // Waits until the worker's end command has been handled.
  bool WaitForTransferEnd();
  // Bottom edge of the window and of the settings frame, in screen pixels
  // (one past the last row).
  int WindowBottom() const;
  int FrameTop() const;
  int FrameBottom() const;

  testkit::IsolatedHome home_;
  testkit::PseudoTerminal pty_;
  std::unique_ptr<CReaderDlg> dialog_;
  testkit::ScriptedPort* port_ = nullptr;  // owned by the dialog once made
  std::function<void(testkit::ScriptedPort&)> script_;
  TransferEnvironment environment_;

  std::vector<QString> messages_;
  std::vector<QString> filters_;
  std::vector<QString> extensions_;
  std::optional<std::filesystem::path> saveChoice_;
};

}  // namespace zv::uitest
