// The members window's filtered reports: complete information, phone list and
// address labels, the label sheet they print on, and the sheet's alignment page.

#include "members/ui/form_list_members.h"
#include "members/ui/form_list_members_p.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "members/member_reports.h"
#include "report/report_alignment.h"
#include "report/ui/report_preview.h"
#include "shell/ui/mnemonic.h"
#include "shell/window_placement.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <algorithm>
#include <iterator>

namespace {

using kv::MemberReports;

// The stored choice of label sheet, in the window's settings file beside its layout.
const QString kLabelStockKey = QStringLiteral("FormListMembers/LabelStock");

// A report's error, the missing template's included, is a warning box.
constexpr kv::Prompts::Kind kReportErrorShownAs = kv::Prompts::Kind::Warning;

// The busy cursor shows while the report reads its rows; the preview itself
// is looked at under the normal cursor.
void runReport(TFormListMembers &form, const QString &listName, MemberReports::Report report)
{
    // A value still in the grid's cell editor is part of what is printed.
    form.commitGridEditor();
    const MemberReports::Context context{form.dataModule(), form.prompts(), form.memberRowSet(), *form.QueryClientInfo,
                                         form.nCurrentListID, listName};
    MemberReports::print(report, context, kv::ReportPreview::output(&form));
}

MemberReports::Report chosenLabels(const QActionGroup *stocks)
{
    const QAction *checked = stocks ? stocks->checkedAction() : nullptr;
    return checked ? MemberReports::Report(checked->data().toInt()) : MemberReports::Report::AddressLabels;
}

} // namespace

void TFormListMembers::buildLabelChoices(QMenu *print)
{
    print->addSeparator();
    auto *stockMenu = print->addMenu(kv::withMnemonic(tr("Label Stock"), QStringLiteral("Label &Stock")));
    stockMenu->setObjectName(QStringLiteral("LabelStock1"));
    d->LabelStocks = new QActionGroup(this);
    d->LabelStocks->setExclusive(true);
    // The sheets the shipped label templates are laid out for; the first is the described one.
    const struct
    {
        QAction *TFormListMembersPrivate::*action;
        const char *name;
        QString caption;
        QString marked;
        MemberReports::Report report;
        const char *stored;
    } stocks[] = {
        {&TFormListMembersPrivate::LabelStock30, "LabelStock30", tr("30 to a sheet, 1 x 2 5/8 in"),
         QStringLiteral("&30 to a sheet, 1 x 2 5/8 in"), MemberReports::Report::AddressLabels, "30"},
        {&TFormListMembersPrivate::LabelStock10, "LabelStock10", tr("10 to a sheet, 2 x 4 in"),
         QStringLiteral("&10 to a sheet, 2 x 4 in"), MemberReports::Report::AddressLabels10, "10"},
        {&TFormListMembersPrivate::LabelStock14, "LabelStock14", tr("14 to a sheet, 1 1/3 x 4 in"),
         QStringLiteral("1&4 to a sheet, 1 1/3 x 4 in"), MemberReports::Report::AddressLabels14, "14"},
    };
    QString stored;
    try {
        stored = QSettings(layoutFilePath(), QSettings::IniFormat).value(kLabelStockKey).toString();
    } catch (...) {
        // No settings file to read: the described sheet.
    }
    const bool known = std::any_of(std::begin(stocks), std::end(stocks), [&](const auto &s) { return stored == QLatin1String(s.stored); });
    for (const auto &s : stocks) {
        QAction *a = stockMenu->addAction(kv::withMnemonic(s.caption, s.marked));
        d.get()->*s.action = a;
        a->setObjectName(QString::fromLatin1(s.name));
        a->setCheckable(true);
        a->setData(int(s.report));
        a->setProperty("stored", QString::fromLatin1(s.stored));
        a->setChecked(known ? stored == QLatin1String(s.stored) : s.report == MemberReports::Report::AddressLabels);
        d->LabelStocks->addAction(a);
    }
    connect(d->LabelStocks, &QActionGroup::triggered, this, [this](QAction *a) { chooseLabelStock(a); });

    d->LabelAlignmentPage1 = print->addAction(kv::withMnemonic(tr("Label Alignment Page"), QStringLiteral("&Label Alignment Page")));
    d->LabelAlignmentPage1->setObjectName(QStringLiteral("LabelAlignmentPage1"));
    d->LabelAlignmentPage1->setToolTip(tr("One page with every label cell of the chosen sheet outlined and numbered, "
                                          "to hold against a sheet of labels before printing on it"));
    connect(d->LabelAlignmentPage1, &QAction::triggered, this, [this] { LabelAlignmentPage1Click(); });
}

void TFormListMembers::chooseLabelStock(QAction *stock)
{
    // The next window starts with the sheet last chosen: a site keeps one box of labels at a time.
    const QString stored = stock->property("stored").toString();
    kv::LocalSettings::updateKeys(layoutFilePath(), [&](QSettings &settings) { settings.setValue(kLabelStockKey, stored); });
}

void TFormListMembers::PhoneList1Click()
{
    runAction(QStringLiteral("PhoneList1Click"),
              [this] { runReport(*this, d->selectedTabName(), MemberReports::Report::CompleteInformation); },
              kv::ActionCursor::Busy, kReportErrorShownAs);
}

void TFormListMembers::PhoneList2Click()
{
    runAction(QStringLiteral("PhoneList2Click"),
              [this] { runReport(*this, d->selectedTabName(), MemberReports::Report::PhoneList); },
              kv::ActionCursor::Busy, kReportErrorShownAs);
}

void TFormListMembers::Labels1Click()
{
    runAction(QStringLiteral("Labels1Click"),
              [this] { runReport(*this, d->selectedTabName(), chosenLabels(d->LabelStocks)); },
              kv::ActionCursor::Busy, kReportErrorShownAs);
}

void TFormListMembers::LabelAlignmentPage1Click()
{
    runAction(
        QStringLiteral("LabelAlignmentPage1Click"),
        [this] {
            // The labels' own template file, found and reported as the labels are.
            const QString fullName = MemberReports::fullTemplateName(m_dm.dataDirectory(), chosenLabels(d->LabelStocks));
            if (!QFileInfo::exists(fullName))
                throw kv::Error(MemberReports::missingTemplateText(fullName));
            kv::LabelAlignmentTest::run(kv::ReportTemplate::load(fullName), kv::ReportPreview::output(this));
        },
        kv::ActionCursor::Busy, kReportErrorShownAs);
}
