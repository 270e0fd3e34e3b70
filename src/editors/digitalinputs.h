#pragma once

#include <cstdint>

#include <QString>

#include "config/qvaconfig.h"
#include "ui/fieldbindingcodes.h"

// The rules of the digital inputs editor: the device's two inputs, the
// engine-speed pulses of input 1 and the activation mode that can make the
// device run only while (or after) an input is active.

inline const QString kDigitalInputsCaption = QStringLiteral("Digital Inputs Setup");

// Input mode codes, shared by both inputs so that a code means the same on
// either; input 1 alone can measure RPM, input 2 alone can switch tables.
enum DigitalInputMode : int {
  kInputOff = 0,
  kInputActiveLow = 1,
  kInputActiveHigh = 2,
  kInputMeasureRpm = 3,
  kInputDisplayOtherTable = 4,
};

// Activation mode codes (activate_mode).
enum ActivationMode : int {
  kRunAlways = 0,
  kRunAfterInput1Active = 1,
  kRunWhileInput1Active = 2,
  kRunAfterInput2Active = 3,
  kRunWhileInput2Active = 4,
};

constexpr int kMinPulsesPerRev = 1;
constexpr int kMaxPulsesPerRev = 255;
// What the pulses field shows for a stored 0 (never set).
constexpr int kDefaultPulsesPerRev = 10;

// The activation list, codes 0..4.
CodeList ActivationModeItems();
// Input 1: codes 0, 1, 2, 3; input 2: codes 0, 1, 2, 4, in that order.
CodeList Input1ModeItems();
CodeList Input2ModeItems();

// The pulses field is in use only while input 1 measures RPM.
bool PulsesPerRevApplies(int input1Mode);

// The first activation rule the record breaks, as the text the user reads;
// empty when the inputs support the chosen activation.
QString DigitalInputsRuleMessage(const QVA_CONFIG_DATA& record);
