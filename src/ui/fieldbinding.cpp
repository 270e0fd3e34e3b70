#include "ui/fieldbinding.h"

#include <algorithm>

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include "platform/errorhandler.h"
#include "platform/prompter.h"
#include "ui/validators.h"
#include "ui/validatorsgui.h"

// ---- FieldBinding ----------------------------------------------------------

QWidget* FieldBinding::Control() const {
  if (kind_ == Kind::RadioGroup) return radios_.empty() ? nullptr : radios_.front().first;
  return control_;
}

FieldBinding& FieldBinding::When(std::function<bool()> active) {
  active_ = std::move(active);
  return *this;
}

FieldBinding& FieldBinding::ZeroShowsAs(int64_t shown) {
  zeroShowsAs_ = shown;
  return *this;
}

FieldBinding& FieldBinding::EmptyStoresZero() {
  emptyStoresZero_ = true;
  return *this;
}

FieldBinding& FieldBinding::ItemsFrom(std::function<CodeList(const QVA_CONFIG_DATA&)> items) {
  items_ = std::move(items);
  return *this;
}

FieldBinding& FieldBinding::RefillAfter(QAbstractButton* button, std::function<bool(int& code)> nested) {
  // The nested dialog may fail: its message is shown, the list stays.
  QObject::connect(button, &QAbstractButton::clicked, button,
                   Guarded(bindings_.prompter_, [this, nested = std::move(nested)] {
                     int code = GetComboItemCode(static_cast<const QComboBox*>(control_));
                     if (nested(code)) Refill(code);
                   }));
  return *this;
}

FieldBinding& FieldBinding::ColumnTypeFrom(int column, std::function<ValueType(const QVA_CONFIG_DATA&)> type) {
  columnTypes_.emplace_back(column, std::move(type));
  return *this;
}

namespace {

void FillCombo(QComboBox* combo, const CodeList& items) {
  combo->clear();
  for (const CodeItem& item : items) combo->addItem(item.text, item.code);
}

QLineEdit* Edit(QWidget* control) {
  return static_cast<QLineEdit*>(control);
}

// Up and Down in the edit of an up-down pair step it as its arrows do: by
// one, within the up-down's range.
class UpDownKeys : public QObject {
 public:
  UpDownKeys(QLineEdit* edit, QSpinBox* upDown) : QObject(edit), upDown_(upDown) { edit->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
      if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
        if (upDown_->isEnabled()) upDown_->stepBy(key->key() == Qt::Key_Up ? 1 : -1);
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QSpinBox* upDown_;
};

}  // namespace

void FieldBinding::Refill(int code) {
  auto* combo = static_cast<QComboBox*>(control_);
  {
    // The reactions run once, on the whole new list.
    const QSignalBlocker quiet(combo);
    if (items_ && bindings_.edited_ != nullptr) FillCombo(combo, items_(*bindings_.edited_));
    SelectComboItemByCodeOrFirst(combo, code);
  }
  bindings_.RunReactions();
}

void FieldBinding::Load(const QVA_CONFIG_DATA& record, bool fromFile) {
  if (kind_ == Kind::Text) {
    Edit(control_)->setText(textAccess_.get(record));
    return;
  }
  if (kind_ == Kind::Table) {
    // The types first: the points are shown in them.
    for (const auto& [column, type] : columnTypes_) frame_->ChangeColumnFormat(column, type(record));
    const TablePoints points = tableAccess_.get(record);
    const int count = std::clamp(points.count, 0, kMaxTablePoints);
    if (fromFile)
      frame_->LoadPoints(points.values.data(), count);
    else
      frame_->ShowPoints(points.values.data(), count);
    return;
  }
  int64_t value = access_.get(record);
  if (value == 0 && zeroShowsAs_) value = *zeroShowsAs_;
  switch (kind_) {
    case Kind::UpDown:
      // The up-down's position stays within its range, and the edit shows it.
      upDown_->setValue(static_cast<int>(value));
      Edit(control_)->setText(QString::number(upDown_->value()));
      break;
    case Kind::Scaled16:
      Edit(control_)->setText(FormatValue16(type_, static_cast<int16_t>(value), showUnit_));
      break;
    case Kind::Scaled32:
      Edit(control_)->setText(FormatValue32(type_, static_cast<uint32_t>(value), showUnit_));
      break;
    case Kind::Hex:
      Edit(control_)->setText(HexText(static_cast<uint32_t>(value), digits_));
      break;
    case Kind::CodeCombo: {
      auto* combo = static_cast<QComboBox*>(control_);
      if (items_) FillCombo(combo, items_(record));
      SelectComboItemByCodeOrFirst(combo, static_cast<int>(value));
      break;
    }
    case Kind::Check:
      static_cast<QAbstractButton*>(control_)->setChecked(value != 0);
      break;
    case Kind::Text:
    case Kind::Table:
      break;
    case Kind::RadioGroup: {
      QAbstractButton* chosen = radios_.empty() ? nullptr : radios_.front().first;
      for (const auto& [button, code] : radios_)
        if (code == value) chosen = button;
      if (chosen != nullptr) chosen->setChecked(true);
      break;
    }
  }
}

bool FieldBinding::Validate(Prompter& prompter, QWidget* owner) {
  switch (kind_) {
    case Kind::UpDown:
      return ValidateUpDownEdit(prompter, Edit(control_), upDown_, fieldName_, owner, true);
    case Kind::Scaled16:
      if (emptyStoresZero_ && Edit(control_)->text().isEmpty()) return true;
      return ValidateScaledEdit(prompter, Edit(control_), static_cast<int16_t>(low_), static_cast<int16_t>(high_),
                                fieldName_, owner, type_, true, showUnit_);
    case Kind::Scaled32:
      if (emptyStoresZero_ && Edit(control_)->text().isEmpty()) return true;
      return ValidateScaledEdit32(prompter, Edit(control_), static_cast<uint32_t>(low_),
                                  static_cast<uint32_t>(high_), fieldName_, owner, type_, true, showUnit_);
    case Kind::Hex:
      return ValidateHexEdit(prompter, Edit(control_), static_cast<uint32_t>(low_), static_cast<uint32_t>(high_),
                             fieldName_, owner, digits_);
    case Kind::Table:
      return frame_->ReadPoints(read_.values.data(), kMaxTablePoints, read_.count);
    case Kind::CodeCombo:
    case Kind::Check:
    case Kind::RadioGroup:
    case Kind::Text:
      return true;
  }
  return true;
}

void FieldBinding::Write(QVA_CONFIG_DATA& candidate) const {
  switch (kind_) {
    case Kind::Text:
      textAccess_.set(candidate, Edit(control_)->text());
      return;
    case Kind::Table: {
      // The points past the count keep what the record held.
      TablePoints points = tableAccess_.get(candidate);
      std::copy_n(read_.values.begin(), read_.count, points.values.begin());
      points.count = read_.count;
      tableAccess_.set(candidate, points);
      return;
    }
    default:
      access_.set(candidate, Value());
      return;
  }
}

int64_t FieldBinding::Value() const {
  switch (kind_) {
    case Kind::UpDown:
      return Edit(control_)->text().trimmed().toInt();
    case Kind::Scaled16:
      if (Edit(control_)->text().isEmpty()) return 0;  // only reached with EmptyStoresZero
      return ParseValue16(type_, Edit(control_)->text());
    case Kind::Scaled32:
      if (Edit(control_)->text().isEmpty()) return 0;
      return ParseValue32(type_, Edit(control_)->text());
    case Kind::Hex: {
      uint32_t value = 0;
      ParseHexText(Edit(control_)->text(), value);
      return value;
    }
    case Kind::CodeCombo:
      return GetComboItemCode(static_cast<const QComboBox*>(control_));
    case Kind::Check:
      return static_cast<const QAbstractButton*>(control_)->isChecked() ? 1 : 0;
    case Kind::RadioGroup:
      for (const auto& [button, code] : radios_)
        if (button->isChecked()) return code;
      return radios_.empty() ? 0 : radios_.front().second;
    case Kind::Text:
    case Kind::Table:
      return 0;  // written by Write from their own access
  }
  return 0;
}

// ---- FieldBindings ---------------------------------------------------------

FieldBindings::~FieldBindings() = default;

FieldBinding& FieldBindings::Add(FieldBinding::Kind kind, QWidget* control, FieldAccess access,
                                 const QString& fieldName) {
  Entry entry;
  entry.binding.reset(new FieldBinding(*this, kind, std::move(access), fieldName));
  entry.binding->control_ = control;
  entries_.push_back(std::move(entry));
  return *entries_.back().binding;
}

FieldBinding& FieldBindings::UpDown(QLineEdit* edit, QSpinBox* upDown, FieldAccess access,
                                    const QString& fieldName) {
  FieldBinding& binding = Add(FieldBinding::Kind::UpDown, edit, std::move(access), fieldName);
  binding.upDown_ = upDown;
  // The up-down shows no text of its own: its arrows step the edit's number.
  upDown->setFocusPolicy(Qt::NoFocus);
  new UpDownKeys(edit, upDown);
  QObject::connect(upDown, &QSpinBox::valueChanged, edit,
                   [edit](int value) { edit->setText(QString::number(value)); });
  QObject::connect(edit, &QLineEdit::textEdited, upDown, [upDown](const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < upDown->minimum() || value > upDown->maximum()) return;
    const QSignalBlocker quiet(upDown);
    upDown->setValue(value);
  });
  return binding;
}

FieldBinding& FieldBindings::Scaled16(QLineEdit* edit, FieldAccess access, const ValueType& type, int16_t low,
                                      int16_t high, const QString& fieldName, bool showUnit) {
  return AddScaled(FieldBinding::Kind::Scaled16, edit, std::move(access), type, low, high, fieldName, showUnit);
}

FieldBinding& FieldBindings::Scaled32(QLineEdit* edit, FieldAccess access, const ValueType& type, uint32_t low,
                                      uint32_t high, const QString& fieldName, bool showUnit) {
  return AddScaled(FieldBinding::Kind::Scaled32, edit, std::move(access), type, low, high, fieldName, showUnit);
}

FieldBinding& FieldBindings::AddScaled(FieldBinding::Kind kind, QLineEdit* edit, FieldAccess access,
                                       const ValueType& type, int64_t low, int64_t high, const QString& fieldName,
                                       bool showUnit) {
  FieldBinding& binding = Add(kind, edit, std::move(access), fieldName);
  binding.type_ = type;
  binding.low_ = low;
  binding.high_ = high;
  binding.showUnit_ = showUnit;
  return binding;
}

FieldBinding& FieldBindings::Hex(QLineEdit* edit, FieldAccess access, uint32_t low, uint32_t high,
                                 const QString& fieldName, int digits) {
  FieldBinding& binding = Add(FieldBinding::Kind::Hex, edit, std::move(access), fieldName);
  binding.low_ = low;
  binding.high_ = high;
  binding.digits_ = digits;
  return binding;
}

FieldBinding& FieldBindings::CodeCombo(QComboBox* combo, FieldAccess access, const CodeList& items) {
  FillCombo(combo, items);
  return Add(FieldBinding::Kind::CodeCombo, combo, std::move(access), QString());
}

FieldBinding& FieldBindings::Check(QAbstractButton* box, FieldAccess access) {
  return Add(FieldBinding::Kind::Check, box, std::move(access), QString());
}

FieldBinding& FieldBindings::RadioGroup(std::vector<std::pair<QAbstractButton*, int>> buttons,
                                        FieldAccess access) {
  FieldBinding& binding = Add(FieldBinding::Kind::RadioGroup, nullptr, std::move(access), QString());
  binding.radios_ = std::move(buttons);
  return binding;
}

FieldBinding& FieldBindings::Text(QLineEdit* edit, TextAccess access) {
  FieldBinding& binding = Add(FieldBinding::Kind::Text, edit, {}, QString());
  binding.textAccess_ = std::move(access);
  return binding;
}

FieldBinding& FieldBindings::AddTable(std::unique_ptr<TableFrame> frame, TableAccess access,
                                      const ValueType& inputType, const ValueType& outputType,
                                      const QStringList& titles) {
  frame->SetPrompter(&prompter_);
  frame->SetupTable(kMaxTablePoints, inputType, outputType);
  for (int column = 0; column < std::min<int>(titles.size(), 2); ++column)
    if (!titles[column].isEmpty()) frame->SetColumnTitle(column, titles[column]);
  // Cancel must close the dialog whatever the table holds.
  frame->CommitOnExitExceptTo(owner_->findChild<QWidget*>(QStringLiteral("ButtonCancel")));
  FieldBinding& binding = Add(FieldBinding::Kind::Table, frame->Widget(), {}, QString());
  binding.frame_ = std::move(frame);
  binding.tableAccess_ = std::move(access);
  return binding;
}

void FieldBindings::Rule(std::function<QString(const QVA_CONFIG_DATA&)> rule, QWidget* focus) {
  Entry entry;
  entry.rule = std::move(rule);
  entry.focus = focus;
  entries_.push_back(std::move(entry));
}

void FieldBindings::Step(std::function<bool(QVA_CONFIG_DATA&)> step) {
  Entry entry;
  entry.step = std::move(step);
  entries_.push_back(std::move(entry));
}

void FieldBindings::React(QComboBox* control, std::function<void()> react) {
  QObject::connect(control, &QComboBox::currentIndexChanged, control, [react] { react(); });
  reactions_.push_back(std::move(react));
}

void FieldBindings::React(QAbstractButton* control, std::function<void()> react) {
  QObject::connect(control, &QAbstractButton::toggled, control, [react] { react(); });
  reactions_.push_back(std::move(react));
}

void FieldBindings::Load(const QVA_CONFIG_DATA& record) {
  LoadAll(record, false);
}

void FieldBindings::LoadFromFile(const QVA_CONFIG_DATA& record) {
  LoadAll(record, true);
}

void FieldBindings::LoadAll(const QVA_CONFIG_DATA& record, bool fromFile) {
  for (Entry& entry : entries_)
    if (entry.binding) entry.binding->Load(record, fromFile);
  RunReactions();
}

void FieldBindings::RunReactions() {
  for (const auto& react : reactions_) react();
}

bool FieldBindings::Store(QVA_CONFIG_DATA& record) {
  // Every field and rule works on a candidate; the record is written only
  // once all of them passed.
  QVA_CONFIG_DATA candidate = record;
  for (Entry& entry : entries_) {
    if (entry.binding) {
      FieldBinding& binding = *entry.binding;
      if (!binding.Active()) continue;
      if (!binding.Validate(prompter_, owner_)) return false;
      binding.Write(candidate);
    } else if (entry.step) {
      if (!entry.step(candidate)) return false;
    } else if (entry.rule) {
      const QString message = entry.rule(candidate);
      if (message.isEmpty()) continue;
      ShowInformation(prompter_, message, owner_->window()->windowTitle());
      if (entry.focus != nullptr) ShowAndFocusControl(entry.focus);
      return false;
    }
  }
  record = candidate;
  return true;
}
