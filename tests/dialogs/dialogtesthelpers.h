// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the dialog tests: the recording shell, and a way to act on a modal dialog once
// its event loop runs.
#pragma once

#include "fakeshell.h"
#include "modaldialog.h"
