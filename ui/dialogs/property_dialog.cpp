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
  auto* Label1 = new QLabel("File name(s)", this);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  Size = new QLabel(this);
  Size->setObjectName("Size");
  Time = new QLabel(this);
  Time->setObjectName("Time");
  auto* Button1 = new QPushButton("&Close", this);
  Button1->setObjectName("Button1");
  Button1->setDefault(true);
  auto* facts = new QFormLayout;
  facts->addRow("Total File size", Size);
  facts->addRow("Estimated download time", Time);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ListBox1);
  layout->addLayout(facts);
  layout->addWidget(Button1, 0, Qt::AlignCenter);
  resize(260, 280);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TFProperty::ShowProperties(const std::string& names, long long totalBytes, long long seconds) {
  ListBox1->clear();
  QStringList lines = QString::fromLatin1(names.c_str()).split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  ListBox1->addItems(lines);
  Size->setText(QString::fromStdString(PropertySizeText(totalBytes)));
  Time->setText(QString::fromStdString(PropertyTimeText(seconds)));
  CentreOver(this, main_);
  exec();
}

}  // namespace bridgit::ui
