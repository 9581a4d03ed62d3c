#pragma once

#include <functional>
#include <optional>

class QWidget;
class TDataModuleLists;

namespace kv {

class Prompts;

// How the lists window reaches the members window without knowing it, so that
// neither window's code needs the other's: the module gives the lists window
// the opener the members window provides. A lists window without one offers
// no members window.
struct MembersWindowOpener
{
    // Shows the members window modally over parent, on the list current in
    // the data module's lists; returns when it is closed.
    std::function<void(TDataModuleLists &dm, Prompts &prompts, QWidget *parent)> showModal;
    // The list the open members window shows; none while it is not open.
    std::function<std::optional<int>()> shownListId;

    explicit operator bool() const { return bool(showModal); }
};

} // namespace kv
