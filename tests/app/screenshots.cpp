// qva-screenshots FOLDER: renders the main window and every dialog of the
// desktop program into FOLDER/*.png, for the README and the metainfo.
// scripts/screenshots.sh runs it under Xvfb, so that the windows are drawn
// by the real window system with the real fonts and style.
#include <cstdio>
#include <functional>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

#include "app/aboutform.h"
#include "app/mainform.h"
#include "app/qvaconfigfilelocationform.h"
#include "comms/formlivedata.h"
#include "comms/formsendreview.h"
#include "comms/formserialport.h"
#include "comms/formtransfer.h"
#include "comms/qvaserialcomms.h"
#include "config/newconfigform.h"
#include "config/qvaconfig.h"
#include "editors/cansetup.h"
#include "editors/configcomparison.h"
#include "editors/analogoutputsetup.h"
#include "editors/digitalinputssetup.h"
#include "editors/displaysetup.h"
#include "editors/exportsheetform.h"
#include "editors/outputtablesetup.h"
#include "editors/sensorsetup.h"
#include "support/autoanswerprompter.h"
#include "support/devicesimulator.h"
#include "viewer/formviewconfig.h"
#include "fakemainformcommands.h"

namespace {

// A progress window caught while its step runs.
class ProgressShot : public TFormTransferProgress {
 public:
  ProgressShot(const QString& caption, const QString& status) : TFormTransferProgress(caption, nullptr) {
    Status(status);
  }

 protected:
  int Procedure() override { return kResultFinished; }
};

// Runs the event loop for a while, so that timed windows take readings.
void RunFor(int milliseconds) {
  QTimer timer;
  timer.setSingleShot(true);
  QEventLoop loop;
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(milliseconds);
  loop.exec();
}

bool Shoot(QWidget& window, const QString& path) {
  window.show();
  window.raise();
  // Let the window system map and paint the window.
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    RunFor(30);
  }
  const bool saved = window.grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
  window.hide();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: qva-screenshots FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  AutoAnswerPrompter prompter;
  bool ok = true;
  auto shot = [&](const char* name, QWidget& window) {
    ok = Shoot(window, folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")) && ok;
  };

  // The main window on its own: New makes a blank configuration.
  FakeMainFormCommands commands;
  TFormQVASetupMain main(prompter, commands);
  main.SetCommPort(QStringLiteral("COM1"));
  main.RunNewConfigDialog();
  shot("main-window", main);

  TFormAboutQVASetup about(&main);
  shot("about", about);
  TFormExportSheet exportSheet(&main);
  shot("export-setup-sheet", exportSheet);
  TFormNewConfig newConfig(prompter, &main);
  shot("new-configuration", newConfig);
  TFormQVAConfigFileLocation locations(prompter, &main);
  shot("configuration-file-location", locations);
  TFormSerialPort port(&main);
  port.SetPortName(QStringLiteral("COM1"));
  shot("communications-port", port);
  ProgressShot get(QStringLiteral("Get Configuration"), QStringLiteral("Reading config."));
  shot("get-configuration", get);

  // The setup windows, on a blank configuration.
  QVA_CONFIG_DATA config = MakeBlankConfig();
  TFormDigitalInputsSetup digitalInputs(prompter, config, &main);
  shot("digital-inputs", digitalInputs);
  TFormCANSetup canMessages(prompter, config, &main);
  shot("can-messages", canMessages);
  TFormDisplaySetup display(prompter, config, &main);
  shot("display", display);
  TFormAnalogOutputSetup analogOutput(prompter, config, &main);
  shot("analog-output", analogOutput);
  int tableIndex = 0;
  TFormOutputTableSetup outputTables(prompter, config, &main, tableIndex);
  shot("output-tables", outputTables);
  TFormViewConfig viewer(prompter, config, &main);
  auto* sections = viewer.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
  sections->setCurrentItem(sections->topLevelItem(0));
  shot("view-configuration", viewer);
  config.sensor_type = 2;
  config.sensor_cal_method = 2;
  config.user_gain_factor = 1562;
  TFormSensorSetup sensor(prompter, config, &main, QStringLiteral("COM1"));
  shot("sensor-setup", sensor);

  // The review of a send: the meter's configuration against the document's.
  QVA_CONFIG_DATA inMeter = config;
  inMeter.display_config.update_rate = 2;
  inMeter.display_config.filter_time = 5;
  QVA_CONFIG_DATA toSend = config;
  toSend.display_config.update_rate = 5;
  toSend.display_config.filter_time = 12;
  toSend.display_config.backlight_intensity = 80;
  TFormSendReview sendReview(
      SendReview::Kind::Differs,
      CompareConfigs(ToDeviceImage(SealForDevice(inMeter)), ToDeviceImage(SealForDevice(toSend))), &main);
  shot("send-review", sendReview);

  // Live Data against the simulator, once the trace holds a few seconds of
  // a pump current that steps and wanders.
  DeviceSimulator sim({QStringLiteral("--sensor-type"), QStringLiteral("3"), QStringLiteral("--ip-steps"),
                       QStringLiteral("0:3150,3:3250,6:3200"), QStringLiteral("--ip-noise"), QStringLiteral("12"),
                       QStringLiteral("--seed"), QStringLiteral("1")});
  if (!sim.Start()) {
    std::fprintf(stderr, "FAILED live-data: %s\n", qPrintable(sim.Error()));
    return 1;
  }
  TFormLiveData live(std::make_unique<QVASerialComms>(sim.PortPath()), prompter, &main);
  live.show();
  RunFor(9000);
  shot("live-data", live);
  return ok ? 0 : 1;
}
