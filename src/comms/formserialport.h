#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QDialog>
#include <QString>

#include "comms/portchoice.h"
#include "comms/portprobe.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TStdComboBox;
class PortSearch;
struct PortFinding;

// The machine's serial ports as the dialog lists them.
using PortLister = std::function<std::vector<PortDetails>()>;

// "Communications Port": the user picks "COM1".."COM8". Where names map to
// devices (not on Windows) it also shows the device behind the selected
// name, lists the machine's serial ports to pick it from (or lets the user
// type one), searches them for a meter ("Find QVA") and offers the
// simulated meter.
class TFormSerialPort : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSerialPort(QWidget* parent = nullptr, const PortLister& lister = ListSystemPorts);
  ~TFormSerialPort() override;

  // Selects the item equal to name; none when no item matches. The
  // simulated meter's port selects its entry.
  void SetPortName(const QString& name);
  // The selected name; empty when none is selected.
  QString PortName() const;
  // Devices the user changed, by port name.
  const std::map<QString, QString>& ChangedDevices() const { return changedDevices_; }
  // The simulated meter's entry is the chosen one.
  bool SimulatedChosen() const;

 private:
  void BuildPortList(QWidget* parent, class QVBoxLayout* layout);
  QTreeWidgetItem* AddPortRow(const PortDetails& port);
  void StdComboBox1Change();
  void ComboBoxDeviceEdited(const QString& text);
  void TreeWidgetPortsChange(QTreeWidgetItem* item);
  void ButtonFindQvaClick();
  void SearchProbed(int index, const PortFinding& finding);
  void SearchFinished(bool cancelled);
  QTreeWidgetItem* RowOf(const QString& device) const;
  void OfferDevice(QTreeWidgetItem* row);

  TStdComboBox* StdComboBox1;
  QComboBox* ComboBoxDevice = nullptr;
  QTreeWidget* TreeWidgetPorts = nullptr;
  QTreeWidgetItem* simulatedRow_ = nullptr;
  QPushButton* ButtonFindQva = nullptr;
  QProgressBar* ProgressBarFind = nullptr;
  QLabel* LabelFindStatus = nullptr;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
  PortSearch* search_ = nullptr;
  QStringList searched_;
  std::vector<PortDetails> listed_;
  std::map<QString, QString> changedDevices_;
  bool showingDevice_ = false;
};

// The port question of the desktop program: TFormSerialPort run modally;
// on OK the devices changed in it are stored. Choosing the simulated meter
// starts it and answers its pseudo-terminal, storing nothing.
class DialogPortChooser : public PortChooser {
 public:
  explicit DialogPortChooser(QWidget* parent, PortLister lister = ListSystemPorts)
      : parent_(parent), lister_(std::move(lister)) {}
  std::optional<QString> ChoosePort(const QString& current) override;

 private:
  QWidget* parent_;
  PortLister lister_;
};

// The main window's two uses (see portchoice.h): start-up (raises EAbort
// when the user cancels; commPort is then "COM1") and the menu command.
void RunCommunicationsPortStartup(QWidget* parent, QString& commPort);
void RunCommunicationsPortCommand(QWidget* parent, QString& commPort);
