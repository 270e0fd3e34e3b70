#pragma once

#include <map>
#include <optional>

#include <QDialog>
#include <QString>

#include "comms/portchoice.h"

class QComboBox;
class QLabel;
class QPushButton;
class TStdComboBox;

// "Communications Port": the user picks "COM1".."COM8". Where names map to
// devices (not on Windows) it also shows the device behind the selected
// name and lets the user pick another from the serial devices present or
// type one.
class TFormSerialPort : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSerialPort(QWidget* parent = nullptr);

  // Selects the item equal to name; none when no item matches.
  void SetPortName(const QString& name);
  // The selected name; empty when none is selected.
  QString PortName() const;
  // Devices the user changed, by port name.
  const std::map<QString, QString>& ChangedDevices() const { return changedDevices_; }

 private:
  void StdComboBox1Change();
  void ComboBoxDeviceEdited(const QString& text);

  TStdComboBox* StdComboBox1;
  QComboBox* ComboBoxDevice = nullptr;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
  std::map<QString, QString> changedDevices_;
  bool showingDevice_ = false;
};

// The port question of the desktop program: TFormSerialPort run modally;
// on OK the devices changed in it are stored.
class DialogPortChooser : public PortChooser {
 public:
  explicit DialogPortChooser(QWidget* parent) : parent_(parent) {}
  std::optional<QString> ChoosePort(const QString& current) override;

 private:
  QWidget* parent_;
};

// The main window's two uses (see portchoice.h): start-up (raises EAbort
// when the user cancels; commPort is then "COM1") and the menu command.
void RunCommunicationsPortStartup(QWidget* parent, QString& commPort);
void RunCommunicationsPortCommand(QWidget* parent, QString& commPort);
