// The members window's filtered reports: complete information, phone list and
// address labels.

#include "members/ui/form_list_members.h"

#include "data/data_module.h"
#include "members/member_reports.h"
#include "report/ui/report_preview.h"

#include <QTabBar>

namespace {

// The busy cursor shows while the report reads its rows; the preview itself
// is looked at under the normal cursor.
void runReport(TFormListMembers &form, kv::MemberReports::Report report)
{
    // A value still in the grid's cell editor is part of what is printed.
    form.commitGridEditor();
    const QString listName = form.RzTabControl1 && form.RzTabControl1->currentIndex() >= 0
        ? form.RzTabControl1->tabText(form.RzTabControl1->currentIndex())
        : QString();
    const kv::MemberReports::Context context{form.dataModule(), form.prompts(), form.memberRowSet(), *form.QueryClientInfo,
                                             form.nCurrentListID, listName};
    kv::MemberReports::print(report, context, kv::ReportPreview::output(&form));
}

} // namespace

void TFormListMembers::PhoneList1Click()
{
    runAction(QStringLiteral("PhoneList1Click"), [this] { runReport(*this, kv::MemberReports::Report::CompleteInformation); });
}

void TFormListMembers::PhoneList2Click()
{
    runAction(QStringLiteral("PhoneList2Click"), [this] { runReport(*this, kv::MemberReports::Report::PhoneList); });
}

void TFormListMembers::Labels1Click()
{
    runAction(QStringLiteral("Labels1Click"), [this] { runReport(*this, kv::MemberReports::Report::AddressLabels); });
}
