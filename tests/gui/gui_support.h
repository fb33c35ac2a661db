// The window tests drive dialogs with the same driver as the screenshot tool.
#pragma once

// The whole of Qt Widgets and Qt Test: the tests name many of their classes.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include "app/dialog_driver.h"

// Failures show texts, not bytes.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace bridgit::test {
using ui::Click;
using ui::TDialogDriver;
using ui::VisibleWindow;
using ui::WaitUntil;
}  // namespace bridgit::test
