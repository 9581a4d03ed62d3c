#pragma once

#include <memory>
#include <utility>

namespace kv {

// Owns a dialog that other code reaches through a global pointer (the
// members window, the add-members and copy dialogs are looked up that way
// while they are open). Making it sets the global; leaving the scope by any
// path, an exception included, clears the global before the dialog is
// destroyed, so nothing can reach a dialog that is being torn down.
//
//     kv::ScopedGlobalDialog<TFormAddListMembers> add(FormAddListMembers, services, clients, this);
//     if (add->exec() != QDialog::Accepted) return;
template<class Dialog>
class ScopedGlobalDialog
{
public:
    template<class... Args>
    explicit ScopedGlobalDialog(Dialog *&global, Args &&...args)
        : m_global(global)
        , m_dialog(std::make_unique<Dialog>(std::forward<Args>(args)...))
    {
        m_global = m_dialog.get();
    }
    ~ScopedGlobalDialog()
    {
        if (m_global == m_dialog.get())
            m_global = nullptr;
    }
    ScopedGlobalDialog(const ScopedGlobalDialog &) = delete;
    ScopedGlobalDialog &operator=(const ScopedGlobalDialog &) = delete;

    Dialog *get() const { return m_dialog.get(); }
    Dialog *operator->() const { return m_dialog.get(); }
    Dialog &operator*() const { return *m_dialog; }

private:
    Dialog *&m_global;
    std::unique_ptr<Dialog> m_dialog;
};

} // namespace kv
