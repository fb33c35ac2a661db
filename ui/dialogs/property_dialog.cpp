#include "ui/dialogs/property_dialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/centre.h"

namespace bridgit::ui {

std::string PropertySizeText(long long total) {
  return total < 1025 ? std::to_string(total) + " B" : std::to_string(total / 1024) + " KB";
}

long long EstimatedSeconds(long long totalBytes, long long speed, bool backup) {
  const long long seconds = speed > 0 ? (totalBytes * 125) / (speed * 10) : 0;
  return backup ? seconds * 2 : seconds;
}

std::string PropertyTimeText(long long seconds) {
  const long long t = std::max(seconds, 2LL);
  return std::to_string(t / 60) + "min : " + std::to_string(t % 60) + "s";
}

TFProperty::TFProperty(QWidget* mainWindow) : QDialog(mainWindow), main_(mainWindow) {
  setObjectName("FProperty");
  setWindowTitle("Properties");
  auto* statusLabel = new QLabel("File name(s)", this);
  propertyList = new QListWidget(this);
  propertyList->setObjectName("propertyList");
  Size = new QLabel(this);
  Size->setObjectName("Size");
  Time = new QLabel(this);
  Time->setObjectName("Time");
  auto* closeButton = new QPushButton("&Close", this);
  closeButton->setObjectName("closeButton");
  closeButton->setDefault(true);
  auto* facts = new QFormLayout;
  facts->addRow("Total File size", Size);
  facts->addRow("Estimated download time", Time);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(statusLabel);
  layout->addWidget(propertyList);
  layout->addLayout(facts);
  layout->addWidget(closeButton, 0, Qt::AlignCenter);
  resize(260, 280);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TFProperty::ShowProperties(const std::string& names, long long totalBytes, long long seconds) {
  propertyList->clear();
  QStringList lines = QString::fromLatin1(names.c_str()).split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  propertyList->addItems(lines);
  Size->setText(QString::fromStdString(PropertySizeText(totalBytes)));
  Time->setText(QString::fromStdString(PropertyTimeText(seconds)));
  CentreOver(this, main_);
  exec();
}

}  // namespace bridgit::ui
