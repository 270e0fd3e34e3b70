#pragma once

#include <atomic>
#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "comms/portprobe.h"

class QThread;

// What the search found at one port, ready to show.
struct PortFinding {
  ProbeResult result;
  QString text;       // the mark: "QVA, firmware 1.1", "no answer"...
  QString diagnosis;  // cause and fix in one sentence, or empty
};

using PortProber = std::function<ProbeResult(const QString& device)>;

// Probes one port with prober (the system port when empty) and judges the
// outcome; listedEarlier: the port was among the machine's ports when the
// search began, so its absence now means it vanished.
PortFinding ExaminePort(const QString& device, bool listedEarlier, const PortProber& prober = {});

// Find QVA: probes ports one after another on a thread of its own, so the
// window stays responsive and can stop the search between two ports.
class PortSearch : public QObject {
  Q_OBJECT

 public:
  explicit PortSearch(PortProber prober = {}, QObject* parent = nullptr);
  ~PortSearch() override;  // stops the search and waits for the port in hand

  // devices in the order to probe; listed: those the machine listed.
  void Start(const QStringList& devices, const QStringList& listed);
  void Cancel();
  bool Running() const { return thread_ != nullptr; }

 signals:
  void Probed(int index, const PortFinding& finding);
  void Finished(bool cancelled);

 private:
  void Join();

  PortProber prober_;
  QThread* thread_ = nullptr;
  std::atomic<bool> cancel_{false};
  int generation_ = 0;  // of the search running now; read and written on the owner's thread
};
