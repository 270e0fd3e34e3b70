#include "editors/digitalinputs.h"

namespace {

// One list of texts for both inputs, indexed by code.
const QString kInputModeTexts[] = {
    QStringLiteral("Off"),
    QStringLiteral("Active Low"),
    QStringLiteral("Active High"),
    QStringLiteral("Measure RPM"),
    QStringLiteral("Display Other Output Table When Low"),
};

CodeList InputModeItemsWithout(int leftOut) {
  CodeList items;
  for (int code = kInputOff; code <= kInputDisplayOtherTable; ++code)
    if (code != leftOut) items.push_back({code, kInputModeTexts[code]});
  return items;
}

bool IsSwitch(int mode) {
  return mode == kInputActiveLow || mode == kInputActiveHigh;
}

}  // namespace

CodeList ActivationModeItems() {
  return {
      {kRunAlways, QStringLiteral("Run always")},
      {kRunAfterInput1Active, QStringLiteral("Run after input 1 first becomes active")},
      {kRunWhileInput1Active, QStringLiteral("Run only while input 1 is active")},
      {kRunAfterInput2Active, QStringLiteral("Run after input 2 first becomes active")},
      {kRunWhileInput2Active, QStringLiteral("Run only while input 2 is active")},
  };
}

CodeList Input1ModeItems() {
  return InputModeItemsWithout(kInputDisplayOtherTable);
}

CodeList Input2ModeItems() {
  return InputModeItemsWithout(kInputMeasureRpm);
}

bool PulsesPerRevApplies(int input1Mode) {
  return input1Mode == kInputMeasureRpm;
}

QString DigitalInputsRuleMessage(const QVA_CONFIG_DATA& record) {
  const int activation = record.activate_mode;
  const int input1 = record.dig_input_mode[0];
  const int input2 = record.dig_input_mode[1];
  // Pulses still mark activity, so an RPM input can start the device.
  const bool input1Based = activation == kRunAfterInput1Active || activation == kRunWhileInput1Active;
  if (input1Based && !IsSwitch(input1) && input1 != kInputMeasureRpm)
    return QStringLiteral("Input 1 Mode must be set as Active High, Active Low or Measure RPM if device activation is based on input 1");
  const bool input2Based = activation == kRunAfterInput2Active || activation == kRunWhileInput2Active;
  if (input2Based && !IsSwitch(input2))
    return QStringLiteral("Input 2 Mode must be set as Active High or Active Low if device activation is based on input 2");
  return QString();
}
