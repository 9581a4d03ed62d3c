#include "members/ui/form_client_editor.h"

#include "data/conflict_question.h"
#include "data/dates.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/trace.h"
#include "shell/ui/date_field.h"
#include "shell/ui/run_action.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#define KV_TR(text) QStringLiteral(QT_TRANSLATE_NOOP("TFormClientEditor", text))
const QString TFormClientEditor::kCaption = KV_TR("List Member Edit");
const QString TFormClientEditor::kDiscardQuestion = KV_TR("Discard your changes to this client?");
const QString TFormClientEditor::kNoMemberMessage = KV_TR("There is no list member to edit.");
const QString TFormClientEditor::kReloadAfterConflict =
    KV_TR("Read the client's record again from the database?\n\n"
          "Yes shows the values stored now and discards your changes.\n"
          "No keeps your changes in the editor; OK then writes them over the other user's values.");
const QString TFormClientEditor::kNotADateMessage =
    KV_TR("\"%1\" is not a date. Type it as %2 or %3, or empty the field for no date.");

const QString TFormClientEditor::kNotANumberMessage =
    KV_TR("\"%1\" is not a number. Type a whole number such as 2, or empty the field for none.");

struct TFormClientEditor::Controls
{
    QWidget *PanelFields = nullptr;
    QPushButton *BitBtnOK = nullptr;
    QPushButton *BitBtnCancel = nullptr;
};

const QList<TFormClientEditor::LineDef> &TFormClientEditor::lines()
{
    using K = Kind;
    const QStringList phone = {QStringLiteral("P"), QStringLiteral("C"), QStringLiteral("M"), QStringLiteral("F"),
                               QStringLiteral("G"), QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("N"),
                               QStringLiteral("D"), QStringLiteral("R"), QStringLiteral("O"), QStringLiteral("X")};
    static const QList<LineDef> defs = {
        {QString(),
         {{KV_TR("Client ID"), QStringLiteral("CLIENT_ID"), K::Text, true, 7, {}},
          {KV_TR("Person ID"), QStringLiteral("PERSON_ID"), K::Integer, true, 0, {}},
          {KV_TR("Organization"), QStringLiteral("ORG_CLIENT"), K::YesNo, false, 0, {}}}},
        {KV_TR("Name"),
         {{KV_TR("First"), QStringLiteral("FIRST_NAME"), K::Text, false, 30, {}},
          {KV_TR("Mid "), QStringLiteral("MID_NAME"), K::Text, false, 15, {}},
          {KV_TR("Last Name"), QStringLiteral("LAST_NAME"), K::Text, false, 50, {}}}},
        {KV_TR("Address"), {{KV_TR("Street1"), QStringLiteral("ADDRESS1"), K::Text, false, 35, {}}}},
        {KV_TR("Address"), {{KV_TR("Street2"), QStringLiteral("ADDRESS2"), K::Text, false, 30, {}}}},
        {KV_TR("Address"),
         {{KV_TR("City"), QStringLiteral("CITY"), K::Text, false, 25, {}},
          {KV_TR("State"), QStringLiteral("STATE"), K::Text, false, 2, {}},
          {KV_TR("ZIP"), QStringLiteral("ZIP"), K::Text, false, 10, {}}}},
        {KV_TR("Primary Phone"),
         {{KV_TR("Phone Desc"), QStringLiteral("PHONE_DESC"), K::Letters, false, 1, phone},
          {KV_TR("Number"), QStringLiteral("PHONE"), K::Text, false, 19, {}}}},
        {KV_TR("Secondary Phone"),
         {{KV_TR("Second Phone Desc"), QStringLiteral("ODESC"), K::Text, false, 14, {}},
          {KV_TR("Number"), QStringLiteral("OPHONE"), K::Text, false, 19, {}}}},
        {QString(), {{KV_TR("Email"), QStringLiteral("EMAIL"), K::Text, false, 65, {}}}},
        {QString(),
         {{KV_TR("Status"), QStringLiteral("STATUS"), K::Text, true, 1, {}},
          {KV_TR("Delivery Type"), QStringLiteral("DELIVERY_TYPE"), K::Letters, false, 1,
           {QStringLiteral("O"), QStringLiteral("E")}},
          {KV_TR("Deliv Start"), QStringLiteral("START_DTE"), K::Date, true, 0, {}},
          {KV_TR("Deliv Stop"), QStringLiteral("STOP_DTE"), K::Date, true, 0, {}}}},
        {QString(), {{KV_TR("Directions"), QStringLiteral("DIRECTIONS"), K::Memo, false, 0, {}}}},
        {QString(),
         {{KV_TR("Default Route"), QStringLiteral("DEF_RTE"), K::Text, true, 5, {}},
          {KV_TR("Default Stop"), QStringLiteral("DEF_STOP"), K::Number, true, 0, {}}}},
        {KV_TR("Delivery Days"),
         {{KV_TR("Monday"), QStringLiteral("MONDAY"), K::Boolean, false, 0, {}},
          {KV_TR("Route"), QStringLiteral("MON_RTE"), K::Text, true, 5, {}},
          {KV_TR("Tuesday"), QStringLiteral("TUESDAY"), K::Boolean, false, 0, {}},
          {KV_TR("Route"), QStringLiteral("TUE_RTE"), K::Text, true, 5, {}},
          {KV_TR("Wednesday"), QStringLiteral("WEDNESDAY"), K::Boolean, false, 0, {}},
          {KV_TR("Route"), QStringLiteral("WED_RTE"), K::Text, true, 5, {}}}},
        {KV_TR("Delivery Days"),
         {{KV_TR("Thursday"), QStringLiteral("THURSDAY"), K::Boolean, false, 0, {}},
          {KV_TR("Route"), QStringLiteral("THU_RTE"), K::Text, true, 5, {}},
          {KV_TR("Friday"), QStringLiteral("FRIDAY"), K::Boolean, false, 0, {}},
          {KV_TR("Route"), QStringLiteral("FRI_RTE"), K::Text, true, 5, {}},
          {KV_TR("Saturday"), QStringLiteral("SATURDAY"), K::Boolean, false, 0, {}},
          {KV_TR("Route"), QStringLiteral("SAT_RTE"), K::Text, true, 5, {}},
          {KV_TR("Sunday"), QStringLiteral("SUNDAY"), K::Boolean, false, 0, {}},
          {KV_TR("Route"), QStringLiteral("SUN_RTE"), K::Text, true, 5, {}}}},
        {QString(),
         {{KV_TR("Dependent"), QStringLiteral("DEPENDENT"), K::YesNo, false, 0, {}},
          {KV_TR("DOB"), QStringLiteral("DOB"), K::Date, false, 0, {}},
          {KV_TR("# Children"), QStringLiteral("CHILD_NBR"), K::Integer, false, 0, {}},
          {KV_TR("# Children Rcvg"), QStringLiteral("CHILD_RECV"), K::Integer, false, 0, {}}}},
        {QString(),
         {{KV_TR("Gender"), QStringLiteral("SEX"), K::Letters, false, 1,
           {QStringLiteral("M"), QStringLiteral("F"), QStringLiteral("T")}},
          {KV_TR("Race"), QStringLiteral("RACE"), K::Text, true, 1, {}},
          {KV_TR("Illiterate"), QStringLiteral("ILLITERATE"), K::YesNo, false, 0, {}},
          {KV_TR("Handicapped"), QStringLiteral("HANDICAPPED"), K::YesNo, false, 0, {}},
          {KV_TR("Rural"), QStringLiteral("RURAL"), K::YesNo, false, 0, {}},
          {KV_TR("Social Security #"), QStringLiteral("SOCIAL_SECURITY_NUMBER"), K::Text, false, 11, {}},
          {KV_TR("Income/Month"), QStringLiteral("INCOME_MONTH"), K::Number, true, 0, {}}}},
    };
    return defs;
}

#undef KV_TR

TFormClientEditor::TFormClientEditor(kv::Query &clientInfo, kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Controls>())
    , m_query(clientInfo)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("wwRecordViewDialog1"));
    setWindowTitle(tr(qUtf8Printable(kCaption)));
    setModal(true);
    // Read-only fields look it.
    setStyleSheet(QStringLiteral("QLineEdit[readOnly=\"true\"] { background: palette(window); }"));
    build();
    // Another user's change is reported with this editor's labels.
    QHash<QString, QString> captions;
    for (const LineDef &line : lines())
        for (const FieldDef &f : line.fields)
            captions.insert(f.column, tr(qUtf8Printable(f.label)));
    m_query.setColumnCaptions(captions);
    fitScreen();
    showRow();
}

TFormClientEditor::~TFormClientEditor() = default;

void TFormClientEditor::build()
{
    // The fields scroll and OK and Cancel stay below them, so the editor fits
    // a small or scaled screen however many lines the client record has.
    auto *outer = new QVBoxLayout(this);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBoxFields"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // The fields narrow with the window down to their minimum; only their height scrolls.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->PanelFields = new QWidget(scroll);
    d->PanelFields->setObjectName(QStringLiteral("PanelFields"));
    auto *main = new QVBoxLayout(d->PanelFields);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(4);
    QGroupBox *box = nullptr;
    QString boxGroup;
    for (const LineDef &line : lines()) {
        auto *row = new QHBoxLayout;
        row->setSpacing(6);
        for (const FieldDef &f : line.fields) {
            auto *cell = new QVBoxLayout;
            cell->setSpacing(1);
            QWidget *w = nullptr;
            switch (f.kind) {
            case Kind::Text:
            case Kind::Integer:
            case Kind::Number: {
                auto *e = new QLineEdit(this);
                if (f.size > 0)
                    e->setMaxLength(f.size);
                if (f.kind == Kind::Integer)
                    e->setValidator(new QIntValidator(e));
                e->setReadOnly(f.readOnly);
                w = e;
                break;
            }
            case Kind::Memo: {
                auto *e = new QPlainTextEdit(this);
                e->setFixedHeight(e->fontMetrics().lineSpacing() * 4 + 10);
                e->setReadOnly(f.readOnly);
                w = e;
                break;
            }
            case Kind::YesNo:
            case Kind::Boolean: {
                auto *c = new QCheckBox(this);
                c->setEnabled(!f.readOnly);
                w = c;
                break;
            }
            case Kind::Letters: {
                // Only the letters the field takes; an empty value shows no choice.
                auto *c = new QComboBox(this);
                c->addItems(f.letters);
                c->setEnabled(!f.readOnly);
                w = c;
                break;
            }
            case Kind::Date: {
                // May be empty, and can be emptied again: no date is a value.
                auto *date = new kv::DateField(kv::AcceptedDates::shortFormat(), this);
                date->setReadOnly(f.readOnly);
                w = date;
                break;
            }
            }
            w->setObjectName(f.column);
            auto *label = new QLabel(tr(qUtf8Printable(f.label)), this);
            label->setBuddy(w);
            // A date field's own line edit is spoken with the field's name.
            if (f.kind == Kind::Date)
                w->setAccessibleName(label->text().trimmed());
            cell->addWidget(label);
            cell->addWidget(w);
            row->addLayout(cell, f.kind == Kind::Memo || f.size > 20 ? 3 : 1);
            m_bound.push_back({f, w, QVariant()});
        }
        if (line.group.isEmpty()) {
            box = nullptr;
            boxGroup.clear();
            main->addLayout(row);
            continue;
        }
        if (!box || boxGroup != line.group) {
            box = new QGroupBox(tr(qUtf8Printable(line.group)), this);
            box->setLayout(new QVBoxLayout);
            box->layout()->setContentsMargins(6, 4, 6, 4);
            boxGroup = line.group;
            main->addWidget(box);
        }
        static_cast<QVBoxLayout *>(box->layout())->addLayout(row);
    }
    scroll->setWidget(d->PanelFields);
    outer->addWidget(scroll, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    d->BitBtnOK = new QPushButton(tr("OK"), this);
    d->BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    d->BitBtnOK->setDefault(true);
    d->BitBtnCancel = new QPushButton(tr("Cancel"), this);
    d->BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    connect(d->BitBtnOK, &QPushButton::clicked, this, &TFormClientEditor::accept);
    connect(d->BitBtnCancel, &QPushButton::clicked, this, &TFormClientEditor::reject);
    buttons->addWidget(d->BitBtnOK);
    buttons->addWidget(d->BitBtnCancel);
    outer->addLayout(buttons);
}

void TFormClientEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Wide enough, once polished, that only the vertical scroll bar is needed.
    if (auto *scroll = findChild<QScrollArea *>(QStringLiteral("ScrollBoxFields"))) {
        const int missing = d->PanelFields->minimumSizeHint().width() - scroll->viewport()->width();
        if (missing > 0)
            resize(width() + missing, height());
    }
    // However it was centred on its parent, all of the editor lies on the screen's free area.
    const QRect free = screen()->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveBottom(std::min(frame.bottom(), free.bottom()));
    frame.moveRight(std::min(frame.right(), free.right()));
    frame.moveTop(std::max(frame.top(), free.top()));
    frame.moveLeft(std::max(frame.left(), free.left()));
    if (frame.topLeft() != frameGeometry().topLeft())
        move(frame.topLeft());
}

void TFormClientEditor::fitScreen()
{
    // As tall as the fields need, but never beyond the screen's free area
    // (less the frame); smaller, the fields scroll.
    const QScreen *s = parentWidget() ? parentWidget()->screen() : screen();
    const QRect free = s ? s->availableGeometry() : QRect(0, 0, 1366, 768);
    // Room for the window frame, as much as QDialog allows for it when it places a dialog.
    constexpr int titleBar = 40;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QMargins m = layout()->contentsMargins();
    const int wanted = d->PanelFields->sizeHint().height() + d->BitBtnOK->sizeHint().height() + layout()->spacing() + m.top() + m.bottom();
    setMinimumSize(std::min(kMinimumWidth, free.width()), std::min(kMinimumHeight, free.height() - titleBar));
    resize(std::min(kWidth + scrollBar, free.width()), std::min(wanted, free.height() - titleBar));
}

void TFormClientEditor::showRow()
{
    for (Bound &b : m_bound) {
        const QVariant v = m_query.isOpen() && !m_query.isEmpty() && m_query.hasField(b.def.column)
            ? m_query.fieldValue(b.def.column)
            : QVariant();
        const bool null = !v.isValid() || v.isNull();
        switch (b.def.kind) {
        case Kind::Text:
        case Kind::Integer: static_cast<QLineEdit *>(b.widget)->setText(null ? QString() : v.toString()); break;
        case Kind::Number:
            static_cast<QLineEdit *>(b.widget)->setText(null ? QString() : QLocale().toString(v.toDouble(), 'f', 2));
            break;
        case Kind::Memo: static_cast<QPlainTextEdit *>(b.widget)->setPlainText(null ? QString() : v.toString()); break;
        case Kind::YesNo: static_cast<QCheckBox *>(b.widget)->setChecked(!null && v.toString() == QLatin1String("Y")); break;
        case Kind::Boolean: static_cast<QCheckBox *>(b.widget)->setChecked(!null && v.toBool()); break;
        case Kind::Letters: {
            auto *c = static_cast<QComboBox *>(b.widget);
            const QString s = null ? QString() : v.toString();
            int i = s.isEmpty() ? -1 : c->findText(s);
            if (i < 0 && !s.isEmpty()) {
                // A stored value outside the list is shown as it is, not lost.
                c->addItem(s);
                i = c->count() - 1;
            }
            c->setCurrentIndex(i);
            break;
        }
        case Kind::Date: static_cast<kv::DateField *>(b.widget)->setDate(null ? QDate() : v.toDate()); break;
        }
        b.loaded = valueOf(b);
    }
}

QVariant TFormClientEditor::valueOf(const Bound &b) const
{
    switch (b.def.kind) {
    case Kind::Text: {
        const QString s = static_cast<QLineEdit *>(b.widget)->text();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case Kind::Integer: {
        const QString s = static_cast<QLineEdit *>(b.widget)->text().trimmed();
        bool ok = false;
        const qlonglong n = s.toLongLong(&ok);
        // A sign alone is no number: it stays text, counts as a change and is refused on OK.
        return s.isEmpty() ? QVariant() : ok ? QVariant(n) : QVariant(s);
    }
    case Kind::Number: return static_cast<QLineEdit *>(b.widget)->text();
    case Kind::Memo: {
        const QString s = static_cast<QPlainTextEdit *>(b.widget)->toPlainText();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case Kind::YesNo: return static_cast<QCheckBox *>(b.widget)->isChecked() ? QStringLiteral("Y") : QStringLiteral("N");
    case Kind::Boolean: return static_cast<QCheckBox *>(b.widget)->isChecked();
    case Kind::Letters: {
        const auto *c = static_cast<QComboBox *>(b.widget);
        const QString s = c->currentIndex() < 0 ? QString() : c->currentText();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case Kind::Date: {
        const auto *date = static_cast<kv::DateField *>(b.widget);
        if (date->isEmpty())
            return QVariant();
        // Text that is no date stays text: it counts as a change and is refused on OK.
        return date->date().isValid() ? QVariant(date->date()) : QVariant(date->lineEdit()->text());
    }
    }
    return QVariant();
}

bool TFormClientEditor::sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isValid() != b.isValid())
        return false;
    return !a.isValid() || a == b;
}

QWidget *TFormClientEditor::editorOf(const QString &column) const
{
    for (const Bound &b : m_bound)
        if (b.def.column.compare(column, Qt::CaseInsensitive) == 0)
            return b.widget;
    return nullptr;
}

QVariant TFormClientEditor::widgetValue(const QString &column) const
{
    for (const Bound &b : m_bound)
        if (b.def.column.compare(column, Qt::CaseInsensitive) == 0)
            return valueOf(b);
    return QVariant();
}

bool TFormClientEditor::isChanged() const
{
    for (const Bound &b : m_bound)
        if (!b.def.readOnly && !sameValue(b.loaded, valueOf(b)))
            return true;
    return false;
}

void TFormClientEditor::accept()
{
    kv::TraceScope trace(QStringLiteral("TFormClientEditor.accept"));
    if (!isChanged()) {
        QDialog::accept();
        return;
    }
    for (const Bound &b : m_bound) {
        if (b.def.kind == Kind::Integer && !b.def.readOnly) {
            const QVariant v = valueOf(b);
            if (v.isValid() && v.typeId() == QMetaType::QString) {
                m_prompts.inform(tr(qUtf8Printable(kNotANumberMessage)).arg(tr(qUtf8Printable(b.def.label))));
                b.widget->setFocus();
                return;
            }
        }
        const auto *date = b.def.kind == Kind::Date ? static_cast<kv::DateField *>(b.widget) : nullptr;
        if (date && !date->isReadOnly() && !date->isEmpty() && !date->date().isValid()) {
            m_prompts.inform(tr(qUtf8Printable(kNotADateMessage))
                                 .arg(tr(qUtf8Printable(b.def.label)), kv::DateField::exampleShort(), kv::DateField::exampleIso()));
            b.widget->setFocus();
            return;
        }
    }
    // On failure the dialog stays open with the user's values, so that nothing
    // typed is lost: the user can try again (a lock may be gone) or cancel.
    bool refused = false;
    const bool posted = kv::runAction(m_prompts, QStringLiteral("TFormClientEditor.post"), [this, &refused] {
        auto undo = qScopeGuard([this] {
            if (m_query.state() == kv::DataState::Edit)
                m_query.cancel();
        });
        m_query.edit();
        for (const Bound &b : m_bound) {
            if (b.def.readOnly)
                continue;
            const QVariant v = valueOf(b);
            if (!sameValue(b.loaded, v))
                m_query.setFieldValue(b.def.column, v);
        }
        try {
            kv::UnitOfWork::run(*m_query.database(), [this] { m_query.post(); });
        } catch (const kv::RolledBack &e) {
            if (!e.conflict())
                throw;
            // Another user saved this client after it was read: nothing was
            // written, and the user decides whose values stand.
            refused = true;
            m_query.cancel();
            kv::askReadAgainOrKeep(
                m_prompts, e.text(), tr(qUtf8Printable(kReloadAfterConflict)),
                [this] {
                    m_query.refresh();
                    showRow();
                },
                [this, &e] {
                    for (const kv::EditConflict::Row &row : e.conflict()->rows())
                        m_query.adoptStored(row);
                });
            return;
        }
        undo.dismiss();
    });
    if (!posted || refused)
        return;
    QDialog::accept();
}

void TFormClientEditor::reject()
{
    if (isChanged() && !m_prompts.confirm(tr(qUtf8Printable(kDiscardQuestion))))
        return;
    QDialog::reject();
}
