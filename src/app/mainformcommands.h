#pragma once

#include <optional>

#include <QString>

#include "comms/transferprocedures.h"
#include "config/qvaconfig.h"

class QWidget;
class SetupDocument;

// Which setup editor a Setup menu item runs.
enum class SetupEditor { SensorSetup, DisplaySetup, DigitalInputsSetup, CANMessagesSetup, AnalogOutputSetup };

// Every window and procedure the main window starts. The program implements
// it once (ProgramCommands) and the tests once more with fakes, so a command
// the program does not provide is a compile error, never a menu item that
// does nothing. Commands run inside the main window's error handler: what
// they raise is shown in the error box (EAbort silently) and the document
// stays as it was.
class MainFormCommands {
 public:
  virtual ~MainFormCommands() = default;

  // The new-configuration dialog: nullopt when cancelled, an empty path for
  // the blank entry, else the template's path.
  virtual std::optional<QString> NewConfigDialog(QWidget* owner) = 0;
  // A setup editor on the loaded record (the main window runs it through
  // RunConfigDialog, so the document notices any change). commPort is for
  // the sensor editor's O2 calibration.
  virtual void EditSetup(SetupEditor editor, QVA_CONFIG_DATA& config, QWidget* owner,
                           const QString& commPort) = 0;
  // The configuration viewer on the loaded record.
  virtual void ViewConfig(QVA_CONFIG_DATA& config, QWidget* owner) = 0;
  // File > Export Setup Sheet: the printable sheet of the loaded record as
  // a PDF, naming the document's file and whether the record holds changes
  // not saved to it. The document is not changed.
  virtual void ExportSetupSheet(const SetupDocument& document, QWidget* owner) = 0;
  // The Get transfer with its progress window, after the main window's
  // questions. A cancelled transfer raises EAbort.
  virtual GetOutcome GetConfiguration(const QString& commPort, QWidget* owner) = 0;
  // The Send transfer, after the main window's checks; a record it changed
  // is saved to its file afterwards.
  virtual void SendConfiguration(QVA_CONFIG_DATA& config, const QString& commPort, QWidget* owner) = 0;
  // The Live Data window on commPort; needs no configuration.
  virtual void LiveData(const QString& commPort, QWidget* owner) = 0;
  // File > Backups...: the backups window over the document (Open as Copy
  // may replace it; a take-over changes it as a setup window would).
  virtual void Backups(SetupDocument& document, QWidget* owner) = 0;
  // File > Compare With...: a setup file chosen and compared with the
  // loaded configuration, with the same take-over.
  virtual void CompareWith(SetupDocument& document, QWidget* owner) = 0;
  // The configuration folder dialog.
  virtual void FileLocationsDialog(QWidget* owner) = 0;
  // The port dialog of "Communications &Port..."; may change commPort.
  virtual void CommunicationsPortDialog(QString& commPort, QWidget* owner) = 0;
  // The communications-port start-up, run once the main window is on
  // screen: reads commPort from the settings or asks for it (EAbort:
  // cancelled).
  virtual void PortStartUp(QString& commPort, QWidget* owner) = 0;
  // Whether commPort leads to the simulated meter, which the caption then
  // names.
  virtual bool IsSimulatedMeter(const QString& commPort) = 0;
};
