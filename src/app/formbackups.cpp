#include "app/formbackups.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/errorhandler.h"
#include "config/sensortypes.h"
#include "app/setupdocument.h"
#include "app/takeoverframe.h"
#include "editors/configcomparison.h"

namespace {

enum Column { kColumnTime, kColumnFolder, kColumnSource, kColumnSensor, kColumnDiffers, kColumnCount };
enum FolderFilter { kAllFolders, kDeviceFolder, kSaveFolder };
constexpr int kMinimumWidth = 760;
constexpr int kMinimumHeight = 560;

// How many fields differ, as the list shows it.
QString DifferenceCountText(const QVA_CONFIG_DATA& loaded, const QVA_CONFIG_DATA& backup) {
  if (ConfigsEqual(loaded, backup)) return QStringLiteral("none");
  const int count = CountDifferingFields(loaded, backup);
  if (count > 0) return QString::number(count);
  return DifferingReservedOffsets(loaded, backup).empty() ? QStringLiteral("checksum only")
                                                          : QStringLiteral("reserved bytes only");
}

}  // namespace

TFormBackups::TFormBackups(SetupDocument& document, QWidget* parent) : QDialog(parent), document_(document) {
  setObjectName(QStringLiteral("FormBackups"));
  setWindowTitle(QStringLiteral("Backups"));
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  auto* layout = new QVBoxLayout(this);

  auto* filterRow = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("&Folder :"), this);
  ComboBoxFolder = new QComboBox(this);
  ComboBoxFolder->setObjectName(QStringLiteral("ComboBoxFolder"));
  ComboBoxFolder->addItem(QStringLiteral("Both backup folders"), kAllFolders);
  ComboBoxFolder->addItem(BackupFolderText(BackupFolder::FromDevice), kDeviceFolder);
  ComboBoxFolder->addItem(BackupFolderText(BackupFolder::Save), kSaveFolder);
  label->setBuddy(ComboBoxFolder);
  filterRow->addWidget(label);
  filterRow->addWidget(ComboBoxFolder);
  filterRow->addStretch(1);
  layout->addLayout(filterRow);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  TreeBackups = new QTreeWidget(splitter);
  TreeBackups->setObjectName(QStringLiteral("TreeBackups"));
  TreeBackups->setHeaderLabels({QStringLiteral("Written"), QStringLiteral("Folder"),
                                QStringLiteral("Made From"), QStringLiteral("Sensor Type"),
                                QStringLiteral("Fields Differing")});
  TreeBackups->setRootIsDecorated(false);
  TreeBackups->setUniformRowHeights(true);
  TreeBackups->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  FrameTakeOver = new TFrameTakeOver(document_, QStringLiteral("Backup"), splitter);
  splitter->setStretchFactor(1, 1);
  layout->addWidget(splitter, 1);

  auto* buttons = new QDialogButtonBox(this);
  ButtonOpenAsCopy = buttons->addButton(QStringLiteral("&Open as Copy"), QDialogButtonBox::ActionRole);
  ButtonOpenAsCopy->setObjectName(QStringLiteral("ButtonOpenAsCopy"));
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setObjectName(QStringLiteral("ButtonClose"));
  layout->addWidget(buttons);

  connect(ComboBoxFolder, &QComboBox::currentIndexChanged, this, [this] { ComboBoxFolderChange(); });
  connect(TreeBackups, &QTreeWidget::currentItemChanged, this, [this] { TreeBackupsSelectionChange(); });
  connect(ButtonOpenAsCopy, &QPushButton::clicked, this,
          Guarded(document_.GetPrompter(), [this] { ButtonOpenAsCopyClick(); }));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(FrameTakeOver, &TFrameTakeOver::ConfigChanged, this, [this] { UpdateCounts(); });

  all_ = ListBackups();
  FillList();
}

void TFormBackups::FillList() {
  const int filter = ComboBoxFolder->currentData().toInt();
  shown_.clear();
  for (const BackupEntry& entry : all_) {
    if ((filter == kDeviceFolder && entry.folder != BackupFolder::FromDevice) ||
        (filter == kSaveFolder && entry.folder != BackupFolder::Save))
      continue;
    shown_.push_back(entry);
  }
  const QSignalBlocker block(TreeBackups);
  TreeBackups->clear();
  const QLocale locale;
  for (const BackupEntry& entry : shown_) {
    QStringList texts(kColumnCount);
    texts[kColumnTime] = locale.toString(entry.time, QLocale::ShortFormat);
    texts[kColumnFolder] = BackupFolderText(entry.folder);
    texts[kColumnSource] = entry.sourceName;
    texts[kColumnSensor] = entry.config ? SensorTypeName(entry.config->sensor_type) : QString();
    auto* item = new QTreeWidgetItem(TreeBackups, texts);
    item->setToolTip(kColumnSource, entry.path);
  }
  UpdateCounts();
  if (TreeBackups->topLevelItemCount() > 0) TreeBackups->setCurrentItem(TreeBackups->topLevelItem(0));
  TreeBackupsSelectionChange();
}

void TFormBackups::UpdateCounts() {
  const QVA_CONFIG_DATA* loaded = document_.Config();
  for (int row = 0; row < TreeBackups->topLevelItemCount() && row < static_cast<int>(shown_.size()); ++row) {
    const BackupEntry& entry = shown_[row];
    QString text;
    if (!entry.config) {
      text = QStringLiteral("Cannot be read: ") +
             QString(entry.error).replace(QLatin1Char('\n'), QLatin1Char(' '));
    } else if (loaded) {
      text = DifferenceCountText(*loaded, *entry.config);
    }
    TreeBackups->topLevelItem(row)->setText(kColumnDiffers, text);
  }
}

const BackupEntry* TFormBackups::Selected() const {
  const int row = TreeBackups->indexOfTopLevelItem(TreeBackups->currentItem());
  return row >= 0 && row < static_cast<int>(shown_.size()) ? &shown_[row] : nullptr;
}

void TFormBackups::ComboBoxFolderChange() {
  FillList();
}

void TFormBackups::TreeBackupsSelectionChange() {
  const BackupEntry* entry = Selected();
  if (!entry) {
    FrameTakeOver->SetOther(std::nullopt, all_.empty()
                                              ? QStringLiteral("There are no backups in the backup folders.")
                                              : QStringLiteral("No backup is selected."));
  } else if (!entry->config) {
    FrameTakeOver->SetOther(std::nullopt, entry->path + QLatin1Char('\n') + entry->error);
  } else {
    FrameTakeOver->SetOther(entry->config);
  }
  ButtonOpenAsCopy->setEnabled(entry && entry->config);
}

void TFormBackups::ButtonOpenAsCopyClick() {
  const BackupEntry* entry = Selected();
  if (!entry || !entry->config) return;
  // The entry is copied: the questions may save a file and the list is left.
  const BackupEntry chosen = *entry;
  if (!document_.CanDiscardConfig()) return;
  document_.OpenCopy(*chosen.config, chosen.upgraded);
  accept();
}

void RunBackupsWindow(SetupDocument& document, QWidget* parent) {
  TFormBackups form(document, parent);
  form.exec();
}
