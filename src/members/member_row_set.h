#pragma once

// The member row set has a folder of its own (rowset/); this is the name the
// member operations and windows include it by.
#include "members/rowset/member_row_set.h"
