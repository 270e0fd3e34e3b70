#include "comms/formserialport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "comms/portdevices.h"
#include "comms/portsearch.h"
#include "comms/simulatedmeter.h"
#include "ui/stdbutton.h"
#include "ui/stdcombo.h"

namespace {

enum PortColumn { kColumnDevice, kColumnDescription, kColumnManufacturer, kColumnSerialNumber, kColumnStableName,
                  kColumnFound };
constexpr int kDeviceRole = Qt::UserRole;
constexpr int kStableNameRole = Qt::UserRole + 1;
constexpr int kMeterRole = Qt::UserRole + 2;  // the search found a meter there

const QString kSimulatedMeterEntry = QStringLiteral("Simulated QVA (no meter needed)");

// What the device box gets for a port: its stable name where it has one, so
// the choice survives the adapter being plugged into another socket.
QString ChoiceOf(const QTreeWidgetItem* row) {
  const QString stable = row->data(kColumnDevice, kStableNameRole).toString();
  return stable.isEmpty() ? row->data(kColumnDevice, kDeviceRole).toString() : stable;
}

}  // namespace

TFormSerialPort::TFormSerialPort(QWidget* parent, const PortLister& lister) : QDialog(parent) {
  setObjectName(QStringLiteral("FormSerialPort"));
  setWindowTitle(QStringLiteral("Communications Port"));

  auto* group = new QGroupBox(this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  auto* label = new QLabel(QStringLiteral("Select a communications port :"), group);
  label->setObjectName(QStringLiteral("Label1"));
  StdComboBox1 = new TStdComboBox(group);
  StdComboBox1->setObjectName(QStringLiteral("StdComboBox1"));
  StdComboBox1->setEditable(false);
  StdComboBox1->addItems(CommPortNames());
  label->setBuddy(StdComboBox1);

  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(label);
  groupLayout->addWidget(StdComboBox1);

  if (PortDevicesConfigurable()) {
    listed_ = lister ? lister() : std::vector<PortDetails>();
    auto* deviceLabel = new QLabel(QStringLiteral("&Device :"), group);
    deviceLabel->setObjectName(QStringLiteral("LabelDevice"));
    ComboBoxDevice = new QComboBox(group);
    ComboBoxDevice->setObjectName(QStringLiteral("ComboBoxDevice"));
    ComboBoxDevice->setEditable(true);
    ComboBoxDevice->setInsertPolicy(QComboBox::NoInsert);
    for (const PortDetails& port : listed_) ComboBoxDevice->addItem(port.device);
    deviceLabel->setBuddy(ComboBoxDevice);
    groupLayout->addWidget(deviceLabel);
    groupLayout->addWidget(ComboBoxDevice);
    connect(ComboBoxDevice, &QComboBox::currentTextChanged, this, &TFormSerialPort::ComboBoxDeviceEdited);
  }

  ButtonOk = new TStdButton(QStringLiteral("OK"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonCancel = new TStdButton(QStringLiteral("Cancel"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  if (PortDevicesConfigurable()) BuildPortList(this, layout);
  layout->addLayout(buttons);

  connect(StdComboBox1, &QComboBox::currentIndexChanged, this, &TFormSerialPort::StdComboBox1Change);
  StdComboBox1->setCurrentIndex(-1);
  StdComboBox1Change();
}

TFormSerialPort::~TFormSerialPort() = default;

void TFormSerialPort::BuildPortList(QWidget* parent, QVBoxLayout* layout) {
  auto* group = new QGroupBox(QStringLiteral("Serial ports of this computer"), parent);
  group->setObjectName(QStringLiteral("GroupBoxPorts"));
  TreeWidgetPorts = new QTreeWidget(group);
  TreeWidgetPorts->setObjectName(QStringLiteral("TreeWidgetPorts"));
  TreeWidgetPorts->setRootIsDecorated(false);
  TreeWidgetPorts->setHeaderLabels({QStringLiteral("Device"), QStringLiteral("Description"),
                                    QStringLiteral("Manufacturer"), QStringLiteral("Serial number"),
                                    QStringLiteral("Stable name"), QStringLiteral("Found")});
  TreeWidgetPorts->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  TreeWidgetPorts->setMinimumWidth(560);
  for (const PortDetails& port : listed_) AddPortRow(port);
  if (SimulatedMeter::Available()) {
    simulatedRow_ = new QTreeWidgetItem(TreeWidgetPorts, QStringList{kSimulatedMeterEntry});
    simulatedRow_->setFirstColumnSpanned(true);
  }
  connect(TreeWidgetPorts, &QTreeWidget::currentItemChanged, this, &TFormSerialPort::TreeWidgetPortsChange);

  ButtonFindQva = new TStdButton(QStringLiteral("&Find QVA"), group);
  ButtonFindQva->setObjectName(QStringLiteral("ButtonFindQva"));
  ButtonFindQva->setAutoDefault(false);
  connect(ButtonFindQva, &QPushButton::clicked, this, &TFormSerialPort::ButtonFindQvaClick);
  ProgressBarFind = new QProgressBar(group);
  ProgressBarFind->setObjectName(QStringLiteral("ProgressBarFind"));
  ProgressBarFind->setVisible(false);
  LabelFindStatus = new QLabel(group);
  LabelFindStatus->setObjectName(QStringLiteral("LabelFindStatus"));
  LabelFindStatus->setWordWrap(true);
  LabelFindStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* findRow = new QHBoxLayout;
  findRow->addWidget(ButtonFindQva);
  findRow->addWidget(ProgressBarFind, 1);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(TreeWidgetPorts);
  groupLayout->addLayout(findRow);
  groupLayout->addWidget(LabelFindStatus);
  layout->addWidget(group);
}

QTreeWidgetItem* TFormSerialPort::AddPortRow(const PortDetails& port) {
  auto* row = new QTreeWidgetItem;
  row->setText(kColumnDevice, port.device);
  row->setText(kColumnDescription, port.description);
  row->setText(kColumnManufacturer, port.manufacturer);
  row->setText(kColumnSerialNumber, port.serialNumber);
  row->setText(kColumnStableName, port.stableName);
  row->setData(kColumnDevice, kDeviceRole, port.device);
  row->setData(kColumnDevice, kStableNameRole, port.stableName);
  // Ports go above the simulated meter's entry.
  const int at = simulatedRow_ ? TreeWidgetPorts->indexOfTopLevelItem(simulatedRow_)
                               : TreeWidgetPorts->topLevelItemCount();
  TreeWidgetPorts->insertTopLevelItem(at, row);
  return row;
}

void TFormSerialPort::SetPortName(const QString& name) {
  StdComboBox1->setCurrentIndex(StdComboBox1->findText(name, Qt::MatchExactly));
  if (simulatedRow_ && IsSimulatedMeterPort(name)) TreeWidgetPorts->setCurrentItem(simulatedRow_);
}

QString TFormSerialPort::PortName() const {
  return StdComboBox1->currentIndex() < 0 ? QString() : StdComboBox1->currentText();
}

bool TFormSerialPort::SimulatedChosen() const {
  return simulatedRow_ && TreeWidgetPorts->currentItem() == simulatedRow_;
}

void TFormSerialPort::StdComboBox1Change() {
  if (!ComboBoxDevice) return;
  const QString name = PortName();
  showingDevice_ = true;
  if (name.isEmpty()) {
    ComboBoxDevice->setEditText(QString());
  } else {
    const auto changed = changedDevices_.find(name);
    ComboBoxDevice->setEditText(changed != changedDevices_.end() ? changed->second : PortDeviceName(name));
    // A port name chosen after the simulated meter means a real port again.
    if (SimulatedChosen()) TreeWidgetPorts->setCurrentItem(nullptr);
  }
  ComboBoxDevice->setEnabled(!name.isEmpty());
  showingDevice_ = false;
}

void TFormSerialPort::ComboBoxDeviceEdited(const QString& text) {
  const QString name = PortName();
  if (showingDevice_ || name.isEmpty()) return;
  changedDevices_[name] = text.trimmed();
}

void TFormSerialPort::TreeWidgetPortsChange(QTreeWidgetItem* item) {
  if (!item) return;
  if (item == simulatedRow_) {
    LabelFindStatus->setText(
        QStringLiteral("OK uses the simulated meter until the program ends; the port settings stay as they are."));
    return;
  }
  LabelFindStatus->setText(item->toolTip(kColumnFound));
  if (!PortName().isEmpty()) ComboBoxDevice->setEditText(ChoiceOf(item));
}

QTreeWidgetItem* TFormSerialPort::RowOf(const QString& device) const {
  for (int i = 0; i < TreeWidgetPorts->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = TreeWidgetPorts->topLevelItem(i);
    if (row != simulatedRow_ && row->data(kColumnDevice, kDeviceRole).toString() == device) return row;
  }
  return nullptr;
}

void TFormSerialPort::ButtonFindQvaClick() {
  if (search_ && search_->Running()) {
    search_->Cancel();
    ButtonFindQva->setEnabled(false);
    return;
  }
  searched_ = ProbeCandidates(listed_);
  QStringList listedDevices;
  for (const PortDetails& port : listed_) listedDevices << port.device;
  for (int i = 0; i < TreeWidgetPorts->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = TreeWidgetPorts->topLevelItem(i);
    row->setText(kColumnFound, QString());
    row->setToolTip(kColumnFound, QString());
    row->setData(kColumnFound, kMeterRole, false);
  }
  // The devices behind the port names are searched as well; those the
  // system did not list get a row of their own.
  for (const QString& device : searched_) {
    if (RowOf(device)) continue;
    PortDetails mapped;
    mapped.device = device;
    QStringList names;
    for (const QString& name : CommPortNames())
      if (PortDeviceName(name) == device) names << name;
    mapped.description = QStringLiteral("device of %1").arg(names.join(QStringLiteral(", ")));
    AddPortRow(mapped);
  }
  if (!search_) {
    search_ = new PortSearch({}, this);
    connect(search_, &PortSearch::Probed, this, &TFormSerialPort::SearchProbed);
    connect(search_, &PortSearch::Finished, this, &TFormSerialPort::SearchFinished);
  }
  ProgressBarFind->setRange(0, static_cast<int>(searched_.size()));
  ProgressBarFind->setValue(0);
  ProgressBarFind->setVisible(true);
  ButtonFindQva->setText(QStringLiteral("&Stop"));
  LabelFindStatus->setText(searched_.size() == 1 ? QStringLiteral("Searching 1 port for a QVA...")
                                                 : QStringLiteral("Searching %1 ports for a QVA...").arg(searched_.size()));
  search_->Start(searched_, listedDevices);
}

void TFormSerialPort::SearchProbed(int index, const PortFinding& finding) {
  ProgressBarFind->setValue(index + 1);
  if (QTreeWidgetItem* row = RowOf(finding.result.device)) {
    row->setText(kColumnFound, finding.text);
    row->setToolTip(kColumnFound, finding.diagnosis);
    row->setData(kColumnFound, kMeterRole, finding.result.outcome == ProbeOutcome::Meter);
  }
}

void TFormSerialPort::SearchFinished(bool cancelled) {
  ButtonFindQva->setText(QStringLiteral("&Find QVA"));
  ButtonFindQva->setEnabled(true);
  ProgressBarFind->setVisible(false);
  std::vector<QTreeWidgetItem*> meters;
  QStringList diagnoses;
  for (const QString& device : searched_) {
    QTreeWidgetItem* row = RowOf(device);
    if (!row) continue;
    if (row->data(kColumnFound, kMeterRole).toBool()) meters.push_back(row);
    const QString diagnosis = row->toolTip(kColumnFound);
    if (!diagnosis.isEmpty() && !diagnoses.contains(diagnosis)) diagnoses << diagnosis;
  }
  QString status;
  if (cancelled)
    status = QStringLiteral("Search stopped.");
  else if (meters.empty())
    status = QStringLiteral("No QVA found.");
  else if (meters.size() > 1)
    status = QStringLiteral("%1 meters found: select the one to use.").arg(meters.size());
  if (meters.size() == 1 && !cancelled) {
    OfferDevice(meters.front());
    return;
  }
  LabelFindStatus->setText((QStringList{status} + diagnoses).join(QLatin1Char('\n')));
}

// One meter found: it becomes the choice for the selected port name.
void TFormSerialPort::OfferDevice(QTreeWidgetItem* row) {
  const QString device = ChoiceOf(row);
  TreeWidgetPorts->setCurrentItem(row);
  if (PortName().isEmpty()) {
    LabelFindStatus->setText(
        QStringLiteral("QVA found on %1: select the port name to use it for, then OK.").arg(device));
    return;
  }
  ComboBoxDevice->setEditText(device);
  LabelFindStatus->setText(QStringLiteral("QVA found on %1: OK makes it the device of %2.").arg(device, PortName()));
}

std::optional<QString> DialogPortChooser::ChoosePort(const QString& current) {
  TFormSerialPort form(parent_, lister_);
  form.SetPortName(current);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  if (form.SimulatedChosen()) return SimulatedMeter::Instance().Start();
  for (const auto& [name, device] : form.ChangedDevices())
    if (device != PortDeviceName(name)) SetPortDevice(name, device);
  return form.PortName();
}

void RunCommunicationsPortStartup(QWidget* parent, QString& commPort) {
  DialogPortChooser chooser(parent);
  CommunicationsPortStartup(commPort, chooser);
}

void RunCommunicationsPortCommand(QWidget* parent, QString& commPort) {
  DialogPortChooser chooser(parent);
  CommunicationsPortCommand(commPort, chooser);
}
