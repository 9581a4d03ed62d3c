#include "members/ui/form_list_members.h"

#include "shell/ui/scoped_global_dialog.h"

kv::MembersWindowOpener TFormListMembers::opener()
{
    kv::MembersWindowOpener o;
    o.showModal = [](TDataModuleLists &dm, kv::Prompts &prompts, QWidget *parent) {
        kv::ScopedGlobalDialog<TFormListMembers> members(FormListMembers, dm, prompts, parent);
        members->exec();
    };
    o.shownListId = []() -> std::optional<int> {
        if (!FormListMembers)
            return std::nullopt;
        return FormListMembers->nCurrentListID;
    };
    return o;
}
