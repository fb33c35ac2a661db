// TFProperty: "Properties": the names of the selected items, their total size
// and how long copying them would take.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QListWidget;

namespace bridgit::ui {

// "1024 B" up to 1024 bytes, whole kilobytes ("1 KB") above.
std::string PropertySizeText(long long totalBytes);
// Copy time of `totalBytes` at `speed` baud: 10 bits a byte and a quarter
// more for the protocol; a backup (the whole memory) takes twice as long.
long long EstimatedSeconds(long long totalBytes, long long speed, bool backup);
// "Xmin : Ys", at least 2 seconds.
std::string PropertyTimeText(long long seconds);

class TFProperty : public QDialog {
 public:
  explicit TFProperty(QWidget* mainWindow);
  // `names`: every name followed by a line feed.
  void ShowProperties(const std::string& names, long long totalBytes, long long seconds);

 private:
  QWidget* main_;
  QListWidget* propertyList;
  QLabel* Size;
  QLabel* Time;
};

}  // namespace bridgit::ui
