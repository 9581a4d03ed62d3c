#pragma once

// The windows show their shared texts through kv::shown, which lives with
// the data layer so the operations translate what they say in the same way.
#include "data/translate.h"
