#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include <QString>

#include "config/qvaconfig.h"
#include "ui/fieldbindingcodes.h"
#include "ui/qvavalues.h"

class Prompter;
class QAbstractButton;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

// How a binding reads and writes its field. By value on both sides: the
// record is packed, so no reference into it may be held.
struct FieldAccess {
  std::function<int64_t(const QVA_CONFIG_DATA&)> get;
  std::function<void(QVA_CONFIG_DATA&, int64_t)> set;
};

// FieldAccess for a member of the record, for example
// QVA_FIELD(dig_input_mode[1]) or QVA_FIELD(display_config.filter_time).
#define QVA_FIELD(member)                                                                            \
  FieldAccess{[](const QVA_CONFIG_DATA& c) -> int64_t { return c.member; },                          \
              [](QVA_CONFIG_DATA& c, int64_t v) { c.member = static_cast<std::remove_cvref_t<decltype(c.member)>>(v); }}

// One control joined to one field of the record: how the field is shown,
// checked and stored. Made by FieldBindings; the options below return the
// binding so that a declaration stays one statement.
class FieldBinding {
 public:
  enum class Kind { UpDown, Scaled16, Scaled32, Hex, CodeCombo, Check, RadioGroup };

  Kind GetKind() const { return kind_; }
  QWidget* Control() const;

  // The field takes part in Store only while `active` holds (a field that
  // the current choices make irrelevant keeps its stored value).
  FieldBinding& When(std::function<bool()> active);
  // A stored 0 means "not set": the control shows `shown` instead.
  FieldBinding& ZeroShowsAs(int64_t shown);
  // An empty text passes and stores 0 (text fields).
  FieldBinding& EmptyStoresZero();
  // The list is rebuilt from the record on every Load (names that change).
  FieldBinding& ItemsFrom(std::function<CodeList(const QVA_CONFIG_DATA&)> items);

 private:
  friend class FieldBindings;
  FieldBinding(Kind kind, FieldAccess access, QString fieldName) :
      kind_(kind), access_(std::move(access)), fieldName_(std::move(fieldName)) {}

  void Load(const QVA_CONFIG_DATA& record);
  bool Validate(Prompter& prompter, QWidget* owner);
  // The control's value; only meaningful after Validate passed.
  int64_t Value() const;
  bool Active() const { return !active_ || active_(); }

  Kind kind_;
  FieldAccess access_;
  QString fieldName_;
  QWidget* control_ = nullptr;
  QSpinBox* upDown_ = nullptr;
  std::vector<std::pair<QAbstractButton*, int>> radios_;
  ValueType type_{};
  int64_t low_ = 0;
  int64_t high_ = 0;
  int digits_ = 0;
  bool showUnit_ = false;
  bool emptyStoresZero_ = false;
  std::function<bool()> active_;
  std::optional<int64_t> zeroShowsAs_;
  std::function<CodeList(const QVA_CONFIG_DATA&)> items_;
};

// The fields of one dialog, declared once each, in the order OK checks
// them: Load fills every control from a record; Store checks them in
// declaration order with the standard validators, stops at the first
// failure (its message shown, the caret in that control) and writes the
// record only when every field and every rule passed.
class FieldBindings {
 public:
  // Messages go through prompter, titled with owner's caption.
  FieldBindings(Prompter& prompter, QWidget* owner) : prompter_(prompter), owner_(owner) {}
  ~FieldBindings();
  FieldBindings(const FieldBindings&) = delete;
  FieldBindings& operator=(const FieldBindings&) = delete;

  // A whole number typed into edit or stepped with its up-down, which
  // supplies the range. The edit takes any text, so that OK can name what
  // is wrong with it (a spin box would silently put back its last value).
  FieldBinding& UpDown(QLineEdit* edit, QSpinBox* upDown, FieldAccess access, const QString& fieldName);
  // A raw 16-bit value shown through type, low..high raw.
  FieldBinding& Scaled16(QLineEdit* edit, FieldAccess access, const ValueType& type, int16_t low, int16_t high,
                         const QString& fieldName, bool showUnit);
  FieldBinding& Scaled32(QLineEdit* edit, FieldAccess access, const ValueType& type, uint32_t low,
                         uint32_t high, const QString& fieldName, bool showUnit);
  // Upper-case hexadecimal padded to digits.
  FieldBinding& Hex(QLineEdit* edit, FieldAccess access, uint32_t low, uint32_t high, const QString& fieldName,
                    int digits);
  // A drop-down list filled with items; the field is the selected code. A
  // stored code that no item carries shows the first item.
  FieldBinding& CodeCombo(QComboBox* combo, FieldAccess access, const CodeList& items = {});
  // 1 when ticked, else 0; a stored non-zero value ticks it.
  FieldBinding& Check(QAbstractButton* box, FieldAccess access);
  // Radio buttons, each standing for a code; an unknown code checks the first.
  FieldBinding& RadioGroup(std::vector<std::pair<QAbstractButton*, int>> buttons, FieldAccess access);

  // A cross-field rule, checked in declaration order on the record as the
  // fields before it would store it: a non-empty result is shown as a
  // notice and Store fails (focus, when given, gets the caret).
  void Rule(std::function<QString(const QVA_CONFIG_DATA& candidate)> rule, QWidget* focus = nullptr);
  // A step of the dialog's own (a table frame), in declaration order: it
  // checks its controls, shows its own message and writes into candidate.
  void Step(std::function<bool(QVA_CONFIG_DATA& candidate)> step);
  // Runs react after every Load and whenever control's choice changes
  // (which controls a choice enables, which page it shows).
  void React(QComboBox* control, std::function<void()> react);
  void React(QAbstractButton* control, std::function<void()> react);

  void Load(const QVA_CONFIG_DATA& record);
  bool Store(QVA_CONFIG_DATA& record);

 private:
  // The scaled kinds share everything but their width.
  FieldBinding& AddScaled(FieldBinding::Kind kind, QLineEdit* edit, FieldAccess access, const ValueType& type,
                          int64_t low, int64_t high, const QString& fieldName, bool showUnit);
  FieldBinding& Add(FieldBinding::Kind kind, QWidget* control, FieldAccess access, const QString& fieldName);

  struct Entry {
    std::unique_ptr<FieldBinding> binding;
    std::function<QString(const QVA_CONFIG_DATA&)> rule;
    QWidget* focus = nullptr;
    std::function<bool(QVA_CONFIG_DATA&)> step;
  };
  Prompter& prompter_;
  QWidget* owner_;
  std::vector<Entry> entries_;
  std::vector<std::function<void()>> reactions_;
};
