#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TFormAboutQVASetup;
}

// The about box: the product line and the program's version.
class TFormAboutQVASetup : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAboutQVASetup(QWidget* owner = nullptr);
  ~TFormAboutQVASetup() override;

 private:
  std::unique_ptr<Ui::TFormAboutQVASetup> ui_;
};
