#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "res/dialog_templates.h"
#include "transfer/transfer_control.h"
#include "ui/qt/dialog_builder.h"

namespace zv {
class QtViewCallQueue;
}

class QComboBox;
class QPushButton;

// The main dialog. It lays out the controls of its language's template,
// keeps the settings panel and the About box, and routes the controls to
// zv::TransferControl, for which it is the view.
//
// Threads: the IReceiveView calls come from the worker; each is queued
// (QtViewCallQueue) and applied on the UI thread in call order, so the worker
// never waits for the UI thread. Once the dialog ends, queued calls are
// dropped. Every other member runs on the UI thread.
class CReaderDlg : public QDialog, public zv::IDialogView {
  Q_OBJECT

 public:
  // What the dialog asks of the user, replaceable in tests. Empty members
  // use the real message box and file chooser.
  struct Prompts {
    std::function<void(const QString& text)> showMessage;
    // Qt filter ("Label (*.txt);;..."), default extension; nothing when
    // the user cancels.
    std::function<std::optional<zv::SaveFileChoice>(const QString& filter,
                                                    const QString& defaultExtension)>
        chooseSaveFile;
  };

  explicit CReaderDlg(zv::TransferEnvironment environment = {}, Prompts prompts = {},
                      zv::Language language = zv::UiLanguage());
  ~CReaderDlg() override;

  // The control with this ID (res/resource.h), null when there is none.
  QWidget* Control(int id) const;
  zv::TransferControl& transferControl() { return control_; }
  bool settingsShown() const { return settingsShown_; }

  // IReceiveView, called by the worker.
  void SetProgressRange(int lower, int upper) override;
  void SetProgressPos(int position) override;
  void SetStatusText(const std::string& text) override;
  void PostTransferEnd() override;

  // IDialogView, called on the UI thread.
  void SetButtonText(int id, const std::string& text) override;
  void EnableButton(int id, bool enable) override;
  void SetDefaultButton(int id) override;
  void FocusControl(int id) override;
  void ShowMessage(const std::string& text) override;
  std::optional<zv::SaveFileChoice> ChooseSaveFile(
      const std::string& filter, const std::string& defaultExtension) override;
  int ReadModelIndex() override;
  void WriteModelIndex(int modelIndex) override;
  int ListSelection(int listId) override;
  void FillList(int listId, std::span<const char* const> entries) override;
  void FillPortList(const std::vector<zv::PortListItem>& items) override;
  void UpdatePortList(const std::vector<zv::PortListItem>& items) override;
  void SelectListEntry(int listId, int index) override;
  void EnableList(int listId, bool enable) override;
  bool HasFocus(int id) override;
  void DropWorkerCalls() override;

  // Ends the dialog by any path (Done, Esc, the window's close): stops and
  // joins a running worker, saves the settings once, then closes.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void ConnectHandlers();
  void ShowSettingsPanel();
  void ShowPortEntry(int row, const zv::PortListItem& item);

  // Handlers.
  void OnSettings();
  void OnOK();
  void OnAbout();

  QPushButton* Button(int id) const;
  QComboBox* List(int id) const;

  const zv::Language language_;
  Prompts prompts_;
  zv::BuiltControls controls_;
  bool settingsShown_ = false;
  bool progressRangeEmpty_ = false;  // the worker set a range of no tests
  zv::QtViewCallQueue* workerCalls_;  // child of the dialog
  zv::TransferControl control_;
};
