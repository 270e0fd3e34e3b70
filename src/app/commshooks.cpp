#include "app/commshooks.h"

#include "app/mainform.h"
#include "comms/formlivedata.h"
#include "comms/formserialport.h"
#include "comms/formtransfer.h"
#include "comms/qvaserialcomms.h"
#include "comms/sendchecks.h"
#include "editors/configcomparison.h"

void InstallCommsHooks(MainFormHooks& hooks, Prompter& prompter) {
  hooks.getConfiguration = [&prompter](const QString& commPort, QWidget* owner) {
    // The port is ours only while the command runs.
    QVASerialComms comms(commPort);
    GetOutcome outcome = RunGetConfigurationWindow(owner, comms, prompter);
    const bool finished = outcome.result != GetOutcome::Result::VersionMismatch;
    return std::pair<bool, std::optional<QVA_CONFIG_DATA>>(finished, std::move(outcome.config));
  };
  hooks.sendConfiguration = [&prompter](QVA_CONFIG_DATA& config, const QString& commPort, QWidget* owner) {
    QVASerialComms comms(commPort);
    RunSendConfigurationWindow(owner, comms, config, prompter, ReadSendChecks(), CompareConfigs);
  };
  hooks.liveData = [&prompter](const QString& commPort, QWidget* owner) {
    RunLiveDataWindow(owner, commPort, prompter);
  };
  hooks.communicationsPortDialog = [](QString& commPort, QWidget* owner) {
    RunCommunicationsPortCommand(owner, commPort);
  };
  hooks.portStartUp = [](QString& commPort, QWidget* owner) {
    RunCommunicationsPortStartup(owner, commPort);
  };
}
