#include "app/aboutform.h"

#include <QScreen>

#include "app/mainform.h"
#include "qvaversion.h"
#include "ui_aboutform.h"

namespace {
constexpr int kLogoSize = 64;
}

TFormAboutQVASetup::TFormAboutQVASetup(QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::TFormAboutQVASetup>()) {
  ui_->setupUi(this);
  ui_->Image1->setPixmap(PaintQvaLogo(kLogoSize));
  const QString version = QStringLiteral(QVA_VERSION_TEXT);
  // Without a version the label keeps its design text.
  if (!version.isEmpty()) ui_->LabelVersion->setText(QStringLiteral("Version ") + version);
  connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
  // A fixed dialog border: no resizing, no context help button.
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  adjustSize();
  setFixedSize(size());
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TFormAboutQVASetup::~TFormAboutQVASetup() = default;
