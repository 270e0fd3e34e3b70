#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include "comms/formsendreview.h"
#include "comms/formserialport.h"
#include "comms/formtransfer.h"
#include "comms/portdevices.h"
#include "commstestsupport.h"
#include "support/qtprinters.h"
#include "support/samplerecords.h"
#include "support/scriptedprompter.h"

namespace {

// Runs action on the next modal dialog that appears.
void OnNextDialog(std::function<void(QDialog*)> action) {
  QTimer::singleShot(0, [action] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
        action(dialog);
        return;
      }
    ADD_FAILURE() << "no dialog shown";
  });
}

// The comparison a review shows is built above this layer; this stand-in
// keeps what it was asked to compare and answers with one row.
QVA_CONFIG_DATA comparedMeter{};
QVA_CONFIG_DATA comparedToSend{};

ConfigComparison OneRowComparison(const QVA_CONFIG_DATA& meter, const QVA_CONFIG_DATA& toSend) {
  comparedMeter = meter;
  comparedToSend = toSend;
  ConfigComparison comparison;
  comparison.equal = false;
  comparison.sections = {{QStringLiteral("Display"),
                          {{QStringLiteral("Update Rate"),
                            {},
                            {{QStringLiteral("Update Rate"), QString::number(meter.display_config.update_rate),
                              QString::number(toSend.display_config.update_rate)}}}}}};
  comparison.checksum = ComparisonRow{QStringLiteral("Checksum (cfg_crc16)"), QStringLiteral("0x0001"),
                                      QStringLiteral("0x0002")};
  return comparison;
}

template <typename T>
T* Find(QWidget* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

}  // namespace

TEST(FormSerialPort, ShowsTheEightPortsWithTheirCaptions) {
  TFormSerialPort form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Communications Port"));
  auto* combo = Find<QComboBox>(&form, "StdComboBox1");
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(combo->isEditable());
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  EXPECT_EQ(items, (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));
  EXPECT_EQ(Find<QLabel>(&form, "Label1")->text(), QStringLiteral("Select a communications port :"));
  auto* ok = Find<QPushButton>(&form, "ButtonOk");
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(Find<QPushButton>(&form, "ButtonCancel")->text(), QStringLiteral("Cancel"));
}

TEST(FormSerialPort, SelectsTheCurrentNameOrNothing) {
  TFormSerialPort form;
  form.SetPortName(QStringLiteral("COM3"));
  EXPECT_EQ(Find<QComboBox>(&form, "StdComboBox1")->currentIndex(), 2);
  EXPECT_EQ(form.PortName(), QStringLiteral("COM3"));
  form.SetPortName(QStringLiteral("/dev/ttyUSB0"));
  EXPECT_EQ(Find<QComboBox>(&form, "StdComboBox1")->currentIndex(), -1);
  EXPECT_TRUE(form.PortName().isEmpty());
}

TEST(FormSerialPort, ShowsTheDeviceOfTheSelectedName) {
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "names are devices on this platform";
  SetPortDevice(QStringLiteral("COM2"), QStringLiteral("/dev/ttyUSB3"));
  TFormSerialPort form;
  auto* device = Find<QComboBox>(&form, "ComboBoxDevice");
  form.SetPortName(QStringLiteral("COM2"));
  EXPECT_EQ(device->currentText(), QStringLiteral("/dev/ttyUSB3"));
  form.SetPortName(QStringLiteral("COM4"));
  EXPECT_EQ(device->currentText(), QStringLiteral("/dev/ttyS3"));
  EXPECT_TRUE(form.ChangedDevices().empty());
}

TEST(PortChooserDialog, OkReturnsTheChosenNameAndStoresAChangedDevice) {
  if (!PortDevicesConfigurable()) GTEST_SKIP() << "names are devices on this platform";
  OnNextDialog([](QDialog* dialog) {
    Find<QComboBox>(dialog, "StdComboBox1")->setCurrentIndex(4);
    Find<QComboBox>(dialog, "ComboBoxDevice")->setEditText(QStringLiteral("/dev/ttyACM0"));
    Find<QPushButton>(dialog, "ButtonOk")->click();
  });
  DialogPortChooser chooser(nullptr);
  EXPECT_EQ(chooser.ChoosePort(QStringLiteral("COM1")), std::optional<QString>(QStringLiteral("COM5")));
  EXPECT_EQ(PortDeviceName(QStringLiteral("COM5")), QStringLiteral("/dev/ttyACM0"));
  EXPECT_EQ(PortDeviceName(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
}

TEST(PortChooserDialog, CancelReturnsNothingAndStoresNothing) {
  OnNextDialog([](QDialog* dialog) {
    EXPECT_EQ(qobject_cast<TFormSerialPort*>(dialog)->PortName(), QStringLiteral("COM1"));
    Find<QComboBox>(dialog, "StdComboBox1")->setCurrentIndex(2);
    if (auto* device = dialog->findChild<QComboBox*>(QStringLiteral("ComboBoxDevice")))
      device->setEditText(QStringLiteral("/dev/ttyUSB9"));
    Find<QPushButton>(dialog, "ButtonCancel")->click();
  });
  QString port;
  EXPECT_THROW(RunCommunicationsPortStartup(nullptr, port), EAbort);
  EXPECT_EQ(port, QStringLiteral("COM1"));
  EXPECT_FALSE(ReadStoredCommPort().has_value());
  EXPECT_NE(PortDeviceName(QStringLiteral("COM3")), QStringLiteral("/dev/ttyUSB9"));
}

TEST(RetrieveWindow, LooksAsSpecifiedBeforeItRuns) {
  FakeDevice device;
  FakeLink link;
  link.AttachDevice(device);
  ScriptedPrompter prompter;
  TFormRetrieveQVAConfig form(*link.comms, nullptr, prompter, link.sleeper);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Retrieving Configuration from QVA"));
  EXPECT_EQ(form.size(), QSize(280, 40));
  EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(Find<QLabel>(&form, "Label1")->isHidden());
  EXPECT_TRUE(link.line->writes.empty());  // nothing runs before the window shows
}

namespace {

// Watches a progress window from the line: at every request written it
// notes whether the window is on screen and which status text the label
// last painted, and how wide it was then. A text that is set but not
// painted before its step blocks is what the user never sees.
class ScreenWitness : public QObject {
 public:
  struct Sighting {
    bool visible = false;
    bool exposed = false;
    bool windowPainted = false;
    QString labelText;    // the label's text when the request went out
    QString paintedText;  // the text of the label's last paint
    bool paintedWhole = false;  // the label was wide enough for it then
  };

  ScreenWitness(TFormTransferProgress& form, FakeLink& link, FakeDevice& device) : form_(form) {
    label_ = form.findChild<QLabel*>(QStringLiteral("Label1"));
    label_->installEventFilter(this);
    form.installEventFilter(this);
    link.line->responder = [this, answer = device.Responder()](const QByteArray& request) {
      Sighting seen;
      seen.visible = form_.isVisible();
      seen.exposed = form_.windowHandle() && form_.windowHandle()->isExposed();
      seen.windowPainted = windowPainted_;
      seen.labelText = label_->isVisible() ? label_->text() : QString();
      seen.paintedText = paintedText_;
      seen.paintedWhole = paintedWhole_;
      sightings.push_back(seen);
      return answer(request);
    };
  }

  // The status texts seen at the requests, each once in the order seen.
  QStringList TextsSeen() const {
    QStringList texts;
    for (const Sighting& seen : sightings)
      if (texts.isEmpty() || texts.last() != seen.labelText) texts << seen.labelText;
    return texts;
  }

  std::vector<Sighting> sightings;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      if (watched == label_) {
        paintedText_ = label_->text();
        paintedWhole_ = label_->width() >= label_->fontMetrics().horizontalAdvance(label_->text());
      } else if (watched == &form_) {
        windowPainted_ = true;
      }
    }
    return false;
  }

 private:
  TFormTransferProgress& form_;
  QLabel* label_ = nullptr;
  QString paintedText_;
  bool paintedWhole_ = false;
  bool windowPainted_ = false;
};

void ExpectEachTextOnScreenWhileItsStepRuns(const ScreenWitness& witness) {
  ASSERT_FALSE(witness.sightings.empty());
  const ScreenWitness::Sighting& first = witness.sightings.front();
  EXPECT_TRUE(first.visible);
  EXPECT_TRUE(first.exposed);
  EXPECT_TRUE(first.windowPainted);
  for (size_t i = 0; i < witness.sightings.size(); ++i) {
    const ScreenWitness::Sighting& seen = witness.sightings[i];
    EXPECT_FALSE(seen.labelText.isEmpty()) << "request " << i;
    EXPECT_EQ(seen.paintedText, seen.labelText) << "request " << i;
    EXPECT_TRUE(seen.paintedWhole) << "request " << i << ": " << seen.paintedText.toStdString();
  }
}

}  // namespace

TEST(RetrieveWindow, EachStatusIsOnScreenBeforeItsStepBlocks) {
  FakeDevice device;
  device.SetStoredConfig(SealForDevice(MakeBlankConfig()));
  FakeLink link;
  ScriptedPrompter prompter;
  TFormRetrieveQVAConfig form(*link.comms, nullptr, prompter, link.sleeper);
  ScreenWitness witness(form, link, device);
  EXPECT_EQ(form.exec(), 1);
  ExpectEachTextOnScreenWhileItsStepRuns(witness);
  EXPECT_EQ(witness.TextsSeen(), (QStringList{"Checking firmware version.", "Reading config."}));
}

TEST(SendWindow, EachStatusIsOnScreenBeforeItsStepBlocks) {
  FakeDevice device;
  device.SetStoredConfig(WithBadCrc(SealForDevice(MakeBlankConfig())));
  device.busyPolls = 1;
  FakeLink link;
  ScriptedPrompter prompter;
  const QVA_CONFIG_DATA config = MakeBlankConfig();
  TFormSendQVAConfig form(config, nullptr, *link.comms, prompter, link.sleeper);
  ScreenWitness witness(form, link, device);
  EXPECT_EQ(form.exec(), 1);
  ExpectEachTextOnScreenWhileItsStepRuns(witness);
  EXPECT_EQ(witness.TextsSeen(), (QStringList{"Reading config.", "Checking firmware version.", "Sending config.",
                                              "Copying config to EE.", "Waiting for result."}));
}

TEST(RetrieveWindow, RunsTheProcedureOnceShownAndClosesWithTheRecord) {
  FakeDevice device;
  QVA_CONFIG_DATA stored = MakeBlankConfig();
  stored.sensor_type = 3;
  device.SetStoredConfig(SealForDevice(stored));
  FakeLink link;
  link.AttachDevice(device);
  ScriptedPrompter prompter;
  TFormRetrieveQVAConfig form(*link.comms, nullptr, prompter, link.sleeper);
  EXPECT_EQ(form.exec(), 1);
  auto* label = Find<QLabel>(&form, "Label1");
  EXPECT_EQ(label->text(), QStringLiteral("Read Config OK"));
  EXPECT_FALSE(label->isHidden());
  std::optional<QVA_CONFIG_DATA> config = form.TakeConfig();
  ASSERT_TRUE(config.has_value());
  EXPECT_EQ(config->sensor_type, 3);
  EXPECT_FALSE(form.TakeConfig().has_value());  // handed over, none kept
}

TEST(RetrieveWindow, VersionMismatchEndsWithResult2) {
  FakeDevice device;
  device.firmwareWord = 120;
  FakeLink link;
  link.AttachDevice(device);
  ScriptedPrompter prompter;
  prompter.ExpectMessage(VersionMismatchMessage(TransferDirection::Get, 12));
  TFormRetrieveQVAConfig form(*link.comms, nullptr, prompter, link.sleeper);
  EXPECT_EQ(form.exec(), 2);
  EXPECT_FALSE(form.TakeConfig().has_value());
}

TEST(RetrieveWindow, LinkFailureIsRaisedAfterTheWindowClosed) {
  FakeLink link;  // a silent line
  ScriptedPrompter prompter;
  try {
    RunGetConfigurationWindow(nullptr, *link.comms, prompter, link.sleeper);
    FAIL() << "no failure";
  } catch (const ESerialCommunications& e) {
    EXPECT_EQ(e.ErrorKind(), kCommsReadTimeout);
    for (QWidget* widget : QApplication::topLevelWidgets())
      EXPECT_FALSE(widget->isVisible()) << widget->objectName().toStdString();
  }
}

TEST(RetrieveWindow, NotValidIsFinishedWithoutARecord) {
  FakeDevice device;
  QVA_CONFIG_DATA bad = SealForDevice(MakeBlankConfig());
  bad.cfg_crc16 ^= 1;
  device.SetStoredConfig(bad);
  FakeLink link;
  link.AttachDevice(device);
  ScriptedPrompter prompter;
  const GetOutcome outcome = RunGetConfigurationWindow(nullptr, *link.comms, prompter, link.sleeper);
  EXPECT_EQ(outcome.result, GetOutcome::Result::NotValid);
  EXPECT_FALSE(outcome.config.has_value());
}

TEST(SendWindow, CaptionHasTwoBlanksAndTheSendCompletes) {
  FakeDevice device;
  device.firmwareWord = 110;
  device.SetStoredConfig(WithBadCrc(SealForDevice(MakeBlankConfig())));
  FakeLink link;
  link.AttachDevice(device);
  ScriptedPrompter prompter;
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.sensor_type = 1;
  TFormSendQVAConfig form(config, nullptr, *link.comms, prompter, link.sleeper);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Sending Configuration  to QVA"));
  EXPECT_EQ(form.size(), QSize(280, 40));
  EXPECT_EQ(form.exec(), 1);
  EXPECT_EQ(Find<QLabel>(&form, "Label1")->text(), QStringLiteral("Config sent ok."));
  EXPECT_EQ(device.copies, 1);
}

TEST(SendWindow, CancelledRetryIsRaisedAsAbortAfterTheWindowClosed) {
  FakeDevice device;
  device.SetStoredConfig(WithBadCrc(SealForDevice(MakeBlankConfig())));
  device.copyResults = {4};
  FakeLink link;
  link.AttachDevice(device);
  ScriptedPrompter prompter;
  prompter.ExpectMessage(QStringLiteral("There was an error copying the configuration to the QVA.\n"),
                         MessageResult::Cancel);
  EXPECT_THROW(RunSendConfigurationWindow(nullptr, *link.comms, MakeBlankConfig(), prompter, link.sleeper),
               EAbort);
}

namespace {

// While the procedure asks its question, the user tries Escape and the
// close box of the progress window.
class ClosingPrompter : public ScriptedPrompter {
 public:
  MessageResult Message(const MessageRequest& request) override {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* form = qobject_cast<TFormTransferProgress*>(widget); form && form->isVisible()) {
        QMetaObject::invokeMethod(form, "reject");
        form->close();
        stillOpen = form->isVisible();
      }
    return ScriptedPrompter::Message(request);
  }
  bool stillOpen = false;
};

}  // namespace

TEST(RetrieveWindow, EscapeAndCloseDoNotStopTheProcedure) {
  FakeDevice device;
  device.firmwareWord = 125;
  FakeLink link;
  link.AttachDevice(device);
  ClosingPrompter prompter;
  prompter.ExpectMessage(VersionMismatchMessage(TransferDirection::Get, 12));
  TFormRetrieveQVAConfig form(*link.comms, nullptr, prompter, link.sleeper);
  EXPECT_EQ(form.exec(), 2);
  EXPECT_TRUE(prompter.stillOpen);
  EXPECT_FALSE(form.isVisible());
}

TEST(SendWindow, TheReviewListsTheMetersDifferencesAndCancelWritesNothing) {
  FakeDevice device;
  QVA_CONFIG_DATA old = MakeBlankConfig();
  old.sensor_type = 1;
  device.SetStoredConfig(SealForDevice(old));
  FakeLink link;
  link.AttachDevice(device);
  ScriptedPrompter prompter;
  QVA_CONFIG_DATA next = old;
  next.display_config.update_rate = 4;
  QString summary;
  QStringList rows;
  QString note;
  // The review is a dialog over the progress window; look for it until it shows.
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() != QLatin1String("FormSendReview") || !widget->isVisible()) continue;
      poll->stop();
      EXPECT_EQ(widget->windowTitle(), QStringLiteral("Sending Configuration  to QVA"));
      summary = Find<QLabel>(widget, "LabelReview")->text();
      auto* tree = Find<QTreeWidget>(widget, "TreeDifferences");
      for (QTreeWidgetItemIterator it(tree); *it; ++it)
        rows << (*it)->text(0) + QLatin1Char('|') + (*it)->text(1) + QLatin1Char('|') + (*it)->text(2);
      note = Find<QLabel>(widget, "LabelComparisonNote")->text();
      EXPECT_TRUE(Find<QPushButton>(widget, "ButtonCancel")->isDefault());
      Find<QPushButton>(widget, "ButtonCancel")->click();
    }
  });
  poll->start(10);
  const SendOutcome outcome =
      RunSendConfigurationWindow(nullptr, *link.comms, next, prompter, link.sleeper, {.review = true},
                                 OneRowComparison);
  delete poll;
  EXPECT_EQ(outcome, SendOutcome::Declined);
  EXPECT_EQ(summary, QStringLiteral("The configuration to send differs from the one in the QVA in 1 field.\n"
                                    "Send the configuration?"));
  // The meter's record and the one to send, in host order, are compared.
  EXPECT_TRUE(ConfigsEqual(comparedMeter, ToDeviceImage(SealForDevice(old))));
  EXPECT_EQ(comparedToSend.display_config.update_rate, 4);
  EXPECT_EQ(comparedToSend.cfg_crc16, ToDeviceImage(SealForDevice(next)).cfg_crc16);
  // The count names the rows: the checksum is shown apart, below the list.
  EXPECT_EQ(rows, (QStringList{QStringLiteral("Display||"),
                               QStringLiteral("Update Rate|%1|4").arg(old.display_config.update_rate)}));
  EXPECT_EQ(note, QStringLiteral("Checksum (cfg_crc16) (not a setting) — In the QVA: 0x0001, To send: 0x0002"));
  EXPECT_EQ(device.fullImageWrites, 0);
  EXPECT_EQ(device.copies, 0);
}

TEST(SendReviewForm, SaysWhatStandsInsteadOfAList) {
  EXPECT_EQ(TFormSendReview::Summary(SendReview::Kind::Identical, {}),
            QStringLiteral("The QVA already holds this configuration.\nSend it anyway?"));
  EXPECT_EQ(TFormSendReview::Summary(SendReview::Kind::MeterNotValid, {}),
            QStringLiteral("The configuration stored in the QVA is not valid, so there is nothing to compare "
                           "with.\nSend the configuration?"));
  ConfigComparison reservedOnly;
  reservedOnly.equal = false;
  reservedOnly.checksum = ComparisonRow{QStringLiteral("Checksum (cfg_crc16)"), QStringLiteral("0x0001"),
                                        QStringLiteral("0x0002")};
  reservedOnly.reservedOffsets = {40, 41};
  EXPECT_EQ(TFormSendReview::Summary(SendReview::Kind::Differs, reservedOnly),
            QStringLiteral("The configuration to send differs from the one in the QVA only in reserved bytes.\n"
                           "Send the configuration?"));
}

TEST(SendReviewForm, CountsItsRowsAndWrapsALongListOfReservedBytes) {
  ConfigComparison comparison;
  comparison.equal = false;
  comparison.sections = {
      {QStringLiteral("Display"),
       {{QStringLiteral("Filter Time"), {}, {{QStringLiteral("Filter Time"), QStringLiteral("2.5 s"), QStringLiteral("7.7 s")}}}}},
      {QStringLiteral("Output Table 1"),
       {{QStringLiteral("Table"),
         {},
         {{QStringLiteral("Point 1"), QStringLiteral("0.000 mA → 1.00"), QStringLiteral("0.000 mA → -0.05")},
          {QStringLiteral("Point 2"), QStringLiteral("1.000 mA → 2.00"), QStringLiteral("1.000 mA → -0.06")}}}}}};
  comparison.checksum = ComparisonRow{QStringLiteral("Checksum (cfg_crc16)"), QStringLiteral("0x1234"),
                                      QStringLiteral("0xEDCB")};
  QStringList offsets;
  for (std::size_t offset = 600; offset < 672; ++offset) {
    comparison.reservedOffsets.push_back(offset);
    offsets << QString::number(offset);
  }
  TFormSendReview form(SendReview::Kind::Differs, comparison, nullptr);
  form.show();
  auto* tree = Find<QTreeWidget>(&form, "TreeDifferences");
  int valueRows = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if (!(*it)->text(2).isEmpty()) ++valueRows;
  EXPECT_EQ(valueRows, 3);
  EXPECT_EQ(Find<QLabel>(&form, "LabelReview")->text(),
            QStringLiteral("The configuration to send differs from the one in the QVA in 3 fields.\n"
                           "Reserved bytes differ as well.\nSend the configuration?"));
  auto* note = Find<QLabel>(&form, "LabelComparisonNote");
  EXPECT_EQ(note->text(), QStringLiteral("Checksum (cfg_crc16) (not a setting) — In the QVA: 0x1234, To send: 0xEDCB\n"
                                         "Reserved bytes differ at offsets: ") +
                              offsets.join(QStringLiteral(", ")));
  // The offsets wrap within the window instead of widening it past the screen.
  EXPECT_TRUE(note->wordWrap());
  EXPECT_LE(form.width(), 900);
}
