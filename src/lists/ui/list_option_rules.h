#pragma once

namespace kv {
class Query;
}

// The data side of the rules that keep a list's fulfilment defaults
// consistent: a list never keeps a service together with "Client's Own
// Service", nor an item and quantity together with "Defaults for the service
// to be used". The lists window calls them when the shown method changes.
namespace ListOptionRules {

// Service method "C" with a service still set: the row goes into edit mode
// (unless already editing or inserting) and Service_Used is cleared. True when
// something was cleared.
bool clearServiceForOwnMethod(kv::Query &lists);
// Item method "D" with an item still set: Item_to_Deliver and Quantity are
// cleared in the same way.
bool clearItemForDefaultMethod(kv::Query &lists);

} // namespace ListOptionRules
