// The members window's filtered reports: complete information, phone list and
// address labels.

#include "members/ui/form_list_members.h"
#include "members/ui/form_list_members_p.h"

#include "data/data_module.h"
#include "members/member_reports.h"
#include "report/ui/report_preview.h"

namespace {

// A report's error, the missing template's included, is a warning box.
constexpr kv::Prompts::Kind kReportErrorShownAs = kv::Prompts::Kind::Warning;

// The busy cursor shows while the report reads its rows; the preview itself
// is looked at under the normal cursor.
void runReport(TFormListMembers &form, const QString &listName, kv::MemberReports::Report report)
{
    // A value still in the grid's cell editor is part of what is printed.
    form.commitGridEditor();
    const kv::MemberReports::Context context{form.dataModule(), form.prompts(), form.memberRowSet(), *form.QueryClientInfo,
                                             form.nCurrentListID, listName};
    kv::MemberReports::print(report, context, kv::ReportPreview::output(&form));
}

} // namespace

void TFormListMembers::PhoneList1Click()
{
    runAction(QStringLiteral("PhoneList1Click"),
              [this] { runReport(*this, d->selectedTabName(), kv::MemberReports::Report::CompleteInformation); },
              kv::ActionCursor::Busy, kReportErrorShownAs);
}

void TFormListMembers::PhoneList2Click()
{
    runAction(QStringLiteral("PhoneList2Click"),
              [this] { runReport(*this, d->selectedTabName(), kv::MemberReports::Report::PhoneList); },
              kv::ActionCursor::Busy, kReportErrorShownAs);
}

void TFormListMembers::Labels1Click()
{
    runAction(QStringLiteral("Labels1Click"),
              [this] { runReport(*this, d->selectedTabName(), kv::MemberReports::Report::AddressLabels); },
              kv::ActionCursor::Busy, kReportErrorShownAs);
}
