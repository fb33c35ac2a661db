#include "ui/dialogs/about_form.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/centre.h"
#include "ui/main/image_list.h"

#ifndef BRIDGIT_VERSION_MAJOR
#define BRIDGIT_VERSION_MAJOR -1
#define BRIDGIT_VERSION_MINOR 0
#define BRIDGIT_VERSION_PATCH 0
#endif

namespace bridgit::ui {

std::string VersionText(int major, int minor, int build) {
  if (major < 0) return "-.-.-.-";
  return "Version " + std::to_string(major) + "." + std::to_string(minor) + " Build " + std::to_string(build);
}

std::string VersionText() { return VersionText(BRIDGIT_VERSION_MAJOR, BRIDGIT_VERSION_MINOR, BRIDGIT_VERSION_PATCH); }

TVersionLabel::TVersionLabel(QWidget* parent) : QLabel(parent) { SetPrefix(""); }

void TVersionLabel::SetPrefix(const QString& prefix) { setText(prefix + QString::fromStdString(VersionText())); }

TFAboutForm::TFAboutForm(QWidget* mainWindow) : QDialog(mainWindow), main_(mainWindow) {
  setObjectName("FAboutForm");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  versionLabel = new TVersionLabel(this);
  versionLabel->setObjectName("versionLabel");
  versionLabel->setAlignment(Qt::AlignCenter);
  auto* productPicture = new QLabel(this);
  productPicture->setObjectName("productPicture");
  productPicture->setPixmap(ProductPicture(QSize(329, 209)));
  auto* btnOK = new QPushButton("&OK", this);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(productPicture);
  layout->addWidget(versionLabel);
  layout->addWidget(btnOK, 0, Qt::AlignCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TFAboutForm::showEvent(QShowEvent* e) {
  versionLabel->SetPrefix("Confidential Test: ");
  if (main_) setWindowTitle(main_->windowTitle());
  QDialog::showEvent(e);
  CentreOver(this, main_);
}

}  // namespace bridgit::ui
