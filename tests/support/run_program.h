// Kept for its users: running a program lives in child_process.h.
#pragma once

#include "support/child_process.h"
