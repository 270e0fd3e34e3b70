#pragma once

#include <memory>

#include <QDialog>

#include "config/qvaconfig.h"
#include "viewer/cfgviewer.h"

class Prompter;
class QTreeWidgetItem;
class TCfgCellDelegate;

namespace Ui {
class TFormViewConfig;
}

inline const QString kViewConfigCaption = QStringLiteral("View QVA Configuration");

// "View QVA Configuration": the loaded record field by field under the
// record's own names, in decimal or hexadecimal, every shown value
// editable in place. Works on the record itself: an accepted cell is in
// the record at once, a refused one beeps and shows the stored value again.
class TFormViewConfig : public QDialog {
  Q_OBJECT

 public:
  TFormViewConfig(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner = nullptr);
  ~TFormViewConfig() override;

  // Builds the viewer over the owner and runs it modally.
  static void Execute(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner);

  ConfigViewer& Viewer() { return viewer_; }

 public slots:
  // Every way of closing commits first: the Close button, Escape and the
  // window's close box.
  void done(int result) override;

 private:
  void FormCreate();
  void AddTreeItems(QTreeWidgetItem* parent, const CfgNode& node);
  void TreeView1Change(QTreeWidgetItem* current);
  void StringGrid1SelectCell();
  void CheckBoxHexModeClick();
  void ShowPage(const CfgNode* node);
  // The grid takes the shown page's settings; the cell at column and row,
  // or the first cell that is not fixed, becomes current.
  void ApplyShownPage(int column = 0, int row = 0);
  // Takes the open editor's text into the grid, then writes the grid back.
  void Commit();

  std::unique_ptr<Ui::TFormViewConfig> ui_;
  ConfigViewer viewer_;
  TCfgCellDelegate* delegate_ = nullptr;
  bool showing_ = false;
};
