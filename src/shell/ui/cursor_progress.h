#pragma once

#include "shell/progress.h"
#include "shell/ui/busy_cursor.h"

#include <memory>
#include <vector>

namespace kv {

// The windows' side of Progress::busy: the wait cursor while an operation
// says it is busy. Everything else goes on to the progress it wraps (the
// progress window of a fulfilment), or nowhere when there is none.
class CursorProgress : public Progress
{
public:
    explicit CursorProgress(Progress *shown = nullptr);
    ~CursorProgress() override;

    void begin(const QString &message, const QString &countText) override;
    void setPercent(int percent) override;
    void end() override;
    void busy(bool on) override;

private:
    Progress *m_shown;
    std::vector<std::unique_ptr<CursorScope>> m_cursors; // one per busy(true) not yet ended
};

} // namespace kv
