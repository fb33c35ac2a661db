// The window tests drive dialogs with the same driver as the screenshot tool.
#pragma once

#include "app/dialog_driver.h"

namespace bridgit::test {
using ui::Click;
using ui::TDialogDriver;
using ui::VisibleWindow;
using ui::WaitUntil;
}  // namespace bridgit::test
