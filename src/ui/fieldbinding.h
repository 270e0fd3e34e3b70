#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "config/qvaconfig.h"
#include "ui/fieldbindingcodes.h"
#include "ui/qvavalues.h"

class Prompter;
class QAbstractButton;
class FieldBindings;
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

// A text field of the record (a name), by value as FieldAccess.
struct TextAccess {
  std::function<QString(const QVA_CONFIG_DATA&)> get;
  std::function<void(QVA_CONFIG_DATA&, const QString&)> set;
};

// The points of one table of the record and how many of them are used.
struct TablePoints {
  std::array<TablePoint, kMaxTablePoints> values{};
  int count = 0;
};

// The points of a table struct of the record (values and num_rows). A
// stored count beyond the table's capacity (a damaged file) shows the
// points that exist.
template <class Table>
TablePoints PointsOf(const Table& table) {
  TablePoints points;
  points.count = std::min<int>(table.num_rows, kMaxTablePoints);
  std::memcpy(points.values.data(), table.values, sizeof table.values);
  return points;
}
template <class Table>
void StorePoints(const TablePoints& points, Table& table) {
  std::memcpy(table.values, points.values.data(), sizeof table.values);
  table.num_rows = static_cast<uint8_t>(std::clamp(points.count, 0, kMaxTablePoints));
}

// How a table binding reads and writes its points, by value.
struct TableAccess {
  std::function<TablePoints(const QVA_CONFIG_DATA&)> get;
  std::function<void(QVA_CONFIG_DATA&, const TablePoints&)> set;
};

// TableAccess for a table of the record, for example QVA_TABLE(user_cal_table).
#define QVA_TABLE(member)                                                                            \
  TableAccess{[](const QVA_CONFIG_DATA& c) { return PointsOf(c.member); },                           \
              [](QVA_CONFIG_DATA& c, const TablePoints& p) { StorePoints(p, c.member); }}

// What a table binding asks of a table frame. The frame lives in the layer
// above; TableFrameOf adapts it without this layer naming it.
class TableFrame {
 public:
  virtual ~TableFrame() = default;
  virtual QWidget* Widget() const = 0;
  virtual void SetPrompter(Prompter* prompter) = 0;
  virtual void SetupTable(int rows, const ValueType& inputType, const ValueType& outputType) = 0;
  virtual void SetColumnTitle(int column, const QString& text) = 0;
  virtual void ChangeColumnFormat(int column, const ValueType& type) = 0;
  // Shows a table: its editing history starts here.
  virtual void ShowPoints(const TablePoint* points, int count) = 0;
  // Shows points read from a file, as one step the user can undo.
  virtual void LoadPoints(const TablePoint* points, int count) = 0;
  // Validates with the frame's messages; on success writes the points.
  virtual bool ReadPoints(TablePoint* points, int capacity, int& count) = 0;
  // From now on, the focus leaving the frame for anything but cancel
  // sorts the table and checks its cells.
  virtual void CommitOnExitExceptTo(QWidget* cancel) = 0;
};

template <class Frame>
class TableFrameOf final : public TableFrame {
 public:
  explicit TableFrameOf(Frame* frame) : frame_(frame) {}
  QWidget* Widget() const override { return frame_; }
  void SetPrompter(Prompter* prompter) override { frame_->SetPrompter(prompter); }
  void SetupTable(int rows, const ValueType& inputType, const ValueType& outputType) override {
    frame_->SetupTable(rows, inputType, outputType);
  }
  void SetColumnTitle(int column, const QString& text) override { frame_->SetColumnTitle(column, text); }
  void ChangeColumnFormat(int column, const ValueType& type) override { frame_->ChangeColumnFormat(column, type); }
  void ShowPoints(const TablePoint* points, int count) override { frame_->ShowPoints(points, count); }
  void LoadPoints(const TablePoint* points, int count) override { frame_->LoadPoints(points, count); }
  bool ReadPoints(TablePoint* points, int capacity, int& count) override {
    return frame_->ReadPoints(points, capacity, count);
  }
  void CommitOnExitExceptTo(QWidget* cancel) override {
    Frame* frame = frame_;
    QObject::connect(frame, &Frame::FrameExit, frame, [frame, cancel = QPointer<QWidget>(cancel)](QWidget* newFocus) {
      if (newFocus == nullptr || newFocus != cancel) frame->CommitOnExit();
    });
  }

 private:
  Frame* frame_;
};

// One control joined to one field of the record: how the field is shown,
// checked and stored. Made by FieldBindings; the options below return the
// binding so that a declaration stays one statement.
class FieldBinding {
 public:
  enum class Kind { UpDown, Scaled16, Scaled32, Hex, CodeCombo, Check, RadioGroup, Text, Table };

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
  // A list whose items change in a dialog opened by button (the output
  // tables' names): nested runs that dialog on the dialog's edited record,
  // taking the selected code and giving the code to select; when it
  // returns true the list is rebuilt from the edited record (ItemsFrom)
  // and the reactions run as after a Load.
  FieldBinding& RefillAfter(QAbstractButton* button, std::function<bool(int& code)> nested);
  // Table kind: the column's value type follows the record, set on every
  // Load before the points are shown (an output column in the table's
  // decimal places).
  FieldBinding& ColumnTypeFrom(int column, std::function<ValueType(const QVA_CONFIG_DATA&)> type);

 private:
  friend class FieldBindings;
  FieldBinding(FieldBindings& bindings, Kind kind, FieldAccess access, QString fieldName) :
      bindings_(bindings), kind_(kind), access_(std::move(access)), fieldName_(std::move(fieldName)) {}

  void Load(const QVA_CONFIG_DATA& record, bool fromFile);
  bool Validate(Prompter& prompter, QWidget* owner);
  // Writes the control's value into candidate; only after Validate passed.
  void Write(QVA_CONFIG_DATA& candidate) const;
  // The control's value; only meaningful after Validate passed.
  int64_t Value() const;
  bool Active() const { return !active_ || active_(); }
  void Refill(int code);

  FieldBindings& bindings_;
  Kind kind_;
  FieldAccess access_;
  TextAccess textAccess_;
  TableAccess tableAccess_;
  std::unique_ptr<TableFrame> frame_;
  // The points the last Validate read from the frame.
  TablePoints read_;
  std::vector<std::pair<int, std::function<ValueType(const QVA_CONFIG_DATA&)>>> columnTypes_;
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
  // Messages go through prompter, titled with owner's caption. edited is
  // the record the dialog edits, which its nested dialogs change too
  // (needed by RefillAfter only).
  FieldBindings(Prompter& prompter, QWidget* owner, const QVA_CONFIG_DATA* edited = nullptr) :
      prompter_(prompter), owner_(owner), edited_(edited) {}
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
  // A text typed as it is stored (the edit's validator keeps it storable).
  FieldBinding& Text(QLineEdit* edit, TextAccess access);
  // A table frame holding the points of a table of the record: set up with
  // the two columns' value types and the host's titles (an empty title
  // keeps the type's unit), given the dialog's prompter, and committed when
  // the focus leaves it for anything but ButtonCancel. Load shows the
  // points; Store validates the table with the frame's messages and writes
  // the points in input order and their count.
  template <class Frame>
  FieldBinding& Table(Frame* frame, TableAccess access, const ValueType& inputType, const ValueType& outputType,
                      const QStringList& titles = {}) {
    return AddTable(std::make_unique<TableFrameOf<Frame>>(frame), std::move(access), inputType, outputType,
                    titles);
  }

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
  // As Load, for a record whose table came from a table file: the points
  // are shown as one step the user can undo.
  void LoadFromFile(const QVA_CONFIG_DATA& record);
  bool Store(QVA_CONFIG_DATA& record);

 private:
  friend class FieldBinding;
  FieldBinding& AddTable(std::unique_ptr<TableFrame> frame, TableAccess access, const ValueType& inputType,
                         const ValueType& outputType, const QStringList& titles);
  void LoadAll(const QVA_CONFIG_DATA& record, bool fromFile);
  void RunReactions();
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
  const QVA_CONFIG_DATA* edited_;
};
