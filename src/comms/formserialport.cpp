#include "comms/formserialport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include "comms/portdevices.h"
#include "ui/stdbutton.h"
#include "ui/stdcombo.h"

TFormSerialPort::TFormSerialPort(QWidget* parent) : QDialog(parent) {
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
    auto* deviceLabel = new QLabel(QStringLiteral("&Device :"), group);
    deviceLabel->setObjectName(QStringLiteral("LabelDevice"));
    ComboBoxDevice = new QComboBox(group);
    ComboBoxDevice->setObjectName(QStringLiteral("ComboBoxDevice"));
    ComboBoxDevice->setEditable(true);
    ComboBoxDevice->setInsertPolicy(QComboBox::NoInsert);
    QStringList present;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) present << info.systemLocation();
    present.sort();
    ComboBoxDevice->addItems(present);
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
  layout->addLayout(buttons);

  connect(StdComboBox1, &QComboBox::currentIndexChanged, this, &TFormSerialPort::StdComboBox1Change);
  StdComboBox1->setCurrentIndex(-1);
  StdComboBox1Change();
}

void TFormSerialPort::SetPortName(const QString& name) {
  StdComboBox1->setCurrentIndex(StdComboBox1->findText(name, Qt::MatchExactly));
}

QString TFormSerialPort::PortName() const {
  return StdComboBox1->currentIndex() < 0 ? QString() : StdComboBox1->currentText();
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
  }
  ComboBoxDevice->setEnabled(!name.isEmpty());
  showingDevice_ = false;
}

void TFormSerialPort::ComboBoxDeviceEdited(const QString& text) {
  const QString name = PortName();
  if (showingDevice_ || name.isEmpty()) return;
  changedDevices_[name] = text.trimmed();
}

std::optional<QString> DialogPortChooser::ChoosePort(const QString& current) {
  TFormSerialPort form(parent_);
  form.SetPortName(current);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
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
