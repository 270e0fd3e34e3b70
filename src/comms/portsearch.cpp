#include "comms/portsearch.h"

#include <QThread>

#include "comms/portdiagnosis.h"

PortFinding ExaminePort(const QString& device, bool listedEarlier, const PortProber& prober) {
  PortFinding finding;
  finding.result = prober ? prober(device) : ProbePort(device);
  const PortFacts facts = GatherPortFacts(device, listedEarlier);
  finding.text = ProbeResultText(finding.result, PermissionGroup(facts));
  finding.diagnosis = DiagnosePort(finding.result, facts);
  return finding;
}

PortSearch::PortSearch(PortProber prober, QObject* parent) : QObject(parent), prober_(std::move(prober)) {}

PortSearch::~PortSearch() {
  Cancel();
  Join();
}

void PortSearch::Start(const QStringList& devices, const QStringList& listed) {
  Cancel();
  Join();
  cancel_ = false;
  // What a search stopped by a new one still had in the queue is dropped.
  const int generation = ++generation_;
  thread_ = QThread::create([this, devices, listed, generation] {
    bool cancelled = false;
    for (int index = 0; index < devices.size(); ++index) {
      if (cancel_) {
        cancelled = true;
        break;
      }
      const QString& device = devices.at(index);
      const PortFinding finding = ExaminePort(device, listed.contains(device), prober_);
      QMetaObject::invokeMethod(
          this,
          [this, index, finding, generation] {
            if (generation == generation_) emit Probed(index, finding);
          },
          Qt::QueuedConnection);
    }
    if (cancel_) cancelled = true;
    QMetaObject::invokeMethod(
        this,
        [this, cancelled, generation] {
          if (generation != generation_) return;
          Join();
          emit Finished(cancelled);
        },
        Qt::QueuedConnection);
  });
  thread_->start();
}

void PortSearch::Cancel() {
  cancel_ = true;
}

void PortSearch::Join() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
}
