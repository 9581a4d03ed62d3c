#pragma once

// One radio-group control serves every window of the plug-in; it lives with
// the members window's dialogs, which were first to need it.
#include "members/ui/radio_group.h"
