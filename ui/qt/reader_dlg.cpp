#include "ui/qt/reader_dlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <algorithm>

#include "res/resource.h"
#include "res/string_table.h"
#include "support/port_map.h"
#include "support/strings.h"
#include "ui/qt/about_dlg.h"
#include "ui/qt/about_entry.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/qt_view_call_queue.h"

using namespace zv;

namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The port list shows "COM n (device) — connected" when open and only
// "COM n" in its closed box, which is too narrow for more.
class PortListModel : public QStandardItemModel {
 public:
  using QStandardItemModel::QStandardItemModel;

  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::EditRole) return QStandardItemModel::data(index, role);
    return FromUtf8(PortBoxText(index.row() + 1));
  }
};

// A name typed without an extension gets that of the type chosen, as the
// Windows chooser gives it, so that "report" with the PDF type becomes
// "report.pdf", and the overwrite prompt asks about that name.
std::optional<SaveFileChoice> RunSaveFileDialog(const QString& filter,
                                                const QString& defaultExtension) {
  QFileDialog chooser(nullptr, QString(), QString(), filter);
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setFileMode(QFileDialog::AnyFile);
  chooser.setDefaultSuffix(TypeExtension(chooser.selectedNameFilter(), defaultExtension));
  QObject::connect(&chooser, &QFileDialog::filterSelected, &chooser,
                   [&chooser, defaultExtension](const QString& type) {
                     chooser.setDefaultSuffix(TypeExtension(type, defaultExtension));
                   });
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
  return SaveFileChoice{
      std::filesystem::path(chooser.selectedFiles().constFirst().toStdU16String()),
      static_cast<int>(chooser.nameFilters().indexOf(chooser.selectedNameFilter()))};
}

}  // namespace

CReaderDlg::CReaderDlg(TransferEnvironment environment, Prompts prompts, Language language)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      language_(language),
      prompts_(std::move(prompts)),
      workerCalls_(new QtViewCallQueue(this)),
      control_(*this, std::move(environment)) {
  controls_ = BuildDialog(*this, MainDialogTemplate(language_), AppIcon());
  Control(IDC_PROGRESS)->setAccessibleName(FromUtf8(LoadStringA(IDS_PROGRESS_NAME, language_)));
  SetErrorReporter([this](const std::string& message) { ShowMessage(message); }, language_);
  ConnectHandlers();
  setWindowIcon(AppIcon());
  ShowSettingsPanel();
  control_.OnInitDialog();
  Button(IDC_START)->setFocus();
}

CReaderDlg::~CReaderDlg() {
  control_.OnWindowClosing();
  SetErrorReporter({});
}

QWidget* CReaderDlg::Control(int id) const {
  const auto found = controls_.byId.find(id);
  return found == controls_.byId.end() ? nullptr : found->second;
}

QPushButton* CReaderDlg::Button(int id) const { return controls_.Get<QPushButton>(id); }

QComboBox* CReaderDlg::List(int id) const { return controls_.Get<QComboBox>(id); }

// The handler table: every control notification and the end command, in
// one place and in this order; the transfer's handlers are
// TransferControl's.
void CReaderDlg::ConnectHandlers() {
  InstallAboutEntry(*this, FromUtf8(LoadStringA(IDS_ABOUTBOX, language_)), [this] { OnAbout(); });
  connect(Button(IDC_START), &QPushButton::clicked, this, [this] { control_.OnStartStop(); });
  connect(Button(IDC_SETTINGS), &QPushButton::clicked, this, &CReaderDlg::OnSettings);
  connect(Button(IDC_SAVE), &QPushButton::clicked, this, [this] { control_.OnSave(); });
  for (const int model : {IDC_MODEL_B, IDC_MODEL_A}) {
    connect(controls_.Get<QRadioButton>(model), &QRadioButton::clicked, this,
            [this] { control_.OnModel(); });
  }
  List(IDC_PORT)->installEventFilter(this);  // focus loss: OnKillFocusPort
  OnListOpening(*List(IDC_PORT), [this] { control_.OnPortListOpening(); });
  // ID_TRANSFER_END arrives through PostTransferEnd: OnTransferEnd.
  connect(Button(IDOK), &QPushButton::clicked, this, &CReaderDlg::OnOK);
}

// Cuts the window at the top of the settings frame, or extends it to just
// below the frame, keeping its left, top and width. Works on the window's
// outer rectangle so the title bar and borders keep their size.
void CReaderDlg::ShowSettingsPanel() {
  const QWidget* frame = Control(IDC_SETTINGS_FRAME);
  const int frameTop = frame->mapToGlobal(QPoint(0, 0)).y();
  const int newBottom = settingsShown_ ? frameTop + frame->height() + kPanelMargin : frameTop;
  const QRect window = frameGeometry();
  const int decoration = window.height() - height();
  setFixedSize(width(), newBottom - window.top() - decoration);
  update();
}

// The window's borders are known once it is shown; the panel's edge is
// measured on the outer rectangle, so it is placed again then.
void CReaderDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) ShowSettingsPanel();
}

void CReaderDlg::OnSettings() {
  settingsShown_ = !settingsShown_;
  ShowSettingsPanel();
}

void CReaderDlg::OnOK() {
  control_.OnOK();
  accept();
}

void CReaderDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

bool CReaderDlg::eventFilter(QObject* watched, QEvent* event) {
  // A list dropping down keeps the focus from the dialog's point of view.
  if (watched == List(IDC_PORT) && event->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
      !QApplication::activePopupWidget()) {
    control_.OnKillFocusPort();
  }
  return QDialog::eventFilter(watched, event);
}

void CReaderDlg::done(int result) {
  control_.OnWindowClosing();
  QDialog::done(result);
}

// An empty range draws an empty bar, as a native progress bar does;
// QProgressBar would draw a busy animation that never stops.
void CReaderDlg::SetProgressRange(int lower, int upper) {
  workerCalls_->Push([this, lower, upper] {
    progressRangeEmpty_ = upper <= lower;
    controls_.Get<QProgressBar>(IDC_PROGRESS)->setRange(lower, std::max(upper, lower + 1));
  });
}

void CReaderDlg::SetProgressPos(int position) {
  workerCalls_->Push([this, position] {
    auto* bar = controls_.Get<QProgressBar>(IDC_PROGRESS);
    bar->setValue(progressRangeEmpty_ ? bar->minimum() : position);
  });
}

void CReaderDlg::SetStatusText(const std::string& text) {
  workerCalls_->Push(
      [this, text = FromUtf8(text)] { controls_.Get<QLabel>(IDC_STATUS)->setText(text); });
}

void CReaderDlg::PostTransferEnd() {
  workerCalls_->Push([this] { control_.OnTransferEnd(); });
}

void CReaderDlg::SetButtonText(int id, const std::string& text) {
  Button(id)->setText(FromUtf8(text));
}

void CReaderDlg::EnableButton(int id, bool enable) { Button(id)->setEnabled(enable); }

void CReaderDlg::SetDefaultButton(int id) { Button(id)->setDefault(true); }

void CReaderDlg::FocusControl(int id) { Control(id)->setFocus(); }

void CReaderDlg::ShowMessage(const std::string& text) {
  if (prompts_.showMessage) {
    prompts_.showMessage(FromUtf8(text));
  } else {
    QMessageBox::warning(this, QString::fromUtf8(kAppName), FromUtf8(text));
  }
}

std::optional<SaveFileChoice> CReaderDlg::ChooseSaveFile(
    const std::string& filter, const std::string& defaultExtension) {
  const QString qtFilter = QtFileFilter(filter);
  const QString extension = FromUtf8(defaultExtension);
  return prompts_.chooseSaveFile ? prompts_.chooseSaveFile(qtFilter, extension)
                                 : RunSaveFileDialog(qtFilter, extension);
}

int CReaderDlg::ReadModelIndex() {
  return controls_.radioGroups.at(IDC_MODEL_A)->checkedId();
}

// Checks the model's button; any other value leaves both unchecked.
void CReaderDlg::WriteModelIndex(int modelIndex) {
  QButtonGroup* group = controls_.radioGroups.at(IDC_MODEL_A);
  if (QAbstractButton* button = group->button(modelIndex)) {
    button->setChecked(true);
    return;
  }
  group->setExclusive(false);
  for (QAbstractButton* each : group->buttons()) each->setChecked(false);
  group->setExclusive(true);
}

int CReaderDlg::ListSelection(int listId) { return List(listId)->currentIndex(); }

void CReaderDlg::FillList(int listId, std::span<const char* const> entries) {
  for (const char* entry : entries) List(listId)->addItem(QString::fromUtf8(entry));
}

// The ports present on this machine are bold.
void CReaderDlg::FillPortList(const std::vector<PortListItem>& items) {
  QComboBox* list = List(IDC_PORT);
  list->setModel(new PortListModel(list));
  for (const PortListItem& item : items) {
    list->addItem(QString());
    ShowPortEntry(list->count() - 1, item);
  }
}

void CReaderDlg::UpdatePortList(const std::vector<PortListItem>& items) {
  for (std::size_t row = 0; row < items.size(); ++row) {
    ShowPortEntry(static_cast<int>(row), items[row]);
  }
}

// The closed box keeps "COM n" (PortListModel): only the open list shows
// the text set here.
void CReaderDlg::ShowPortEntry(int row, const PortListItem& item) {
  QComboBox* list = List(IDC_PORT);
  QFont bold = list->font();
  bold.setBold(true);
  list->setItemText(row, FromUtf8(PortListEntry(item, language_)));
  list->setItemData(row, item.present ? QVariant(bold) : QVariant(), Qt::FontRole);
}

void CReaderDlg::SelectListEntry(int listId, int index) { List(listId)->setCurrentIndex(index); }

void CReaderDlg::EnableList(int listId, bool enable) { List(listId)->setEnabled(enable); }

bool CReaderDlg::HasFocus(int id) { return Control(id)->hasFocus(); }

void CReaderDlg::DropWorkerCalls() { workerCalls_->Close(); }
