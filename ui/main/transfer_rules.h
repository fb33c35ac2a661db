// Small rules of the transfer commands, kept apart so they can be checked alone.
#pragma once

#include <QDate>
#include <string>

namespace bridgit::ui {

// "73_5-Dec-2026.zqbackup": the model family, the day without a leading zero,
// the short month name and the year.
std::string BackupFileName(const std::string& model, const QDate& date);

// The speed the calculator must run at for a screen capture: 0 (no change) on
// USB, "Auto" and at 9600 or 115200; else 115200 above 15600 baud, 9600 below.
int CaptureSpeed(const std::string& port, int speed);

}  // namespace bridgit::ui
