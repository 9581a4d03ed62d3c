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

const QString TFormClientEditor::kCaption = QStringLiteral("List Member Edit");
const QString TFormClientEditor::kDiscardQuestion = QStringLiteral("Discard your changes to this client?");
const QString TFormClientEditor::kNoMemberMessage = QStringLiteral("There is no list member to edit.");
const QString TFormClientEditor::kReloadAfterConflict =
    QStringLiteral("Read the client's record again from the database?\n\n"
                   "Yes shows the values stored now and discards your changes.\n"
                   "No keeps your changes in the editor; OK then writes them over the other user's values.");
const QString TFormClientEditor::kNotADateMessage =
    QStringLiteral("\"%1\" is not a date. Type it as %2 or %3, or empty the field for no date.");

const QString TFormClientEditor::kNotANumberMessage =
    QStringLiteral("\"%1\" is not a number. Type a whole number such as 2, or empty the field for none.");

const QList<TFormClientEditor::LineDef> &TFormClientEditor::lines()
{
    using K = Kind;
    const QStringList phone = {QStringLiteral("P"), QStringLiteral("C"), QStringLiteral("M"), QStringLiteral("F"),
                               QStringLiteral("G"), QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("N"),
                               QStringLiteral("D"), QStringLiteral("R"), QStringLiteral("O"), QStringLiteral("X")};
    static const QList<LineDef> defs = {
        {QString(),
         {{QStringLiteral("Client ID"), QStringLiteral("CLIENT_ID"), K::Text, true, 7, {}},
          {QStringLiteral("Person ID"), QStringLiteral("PERSON_ID"), K::Integer, true, 0, {}},
          {QStringLiteral("Organization"), QStringLiteral("ORG_CLIENT"), K::YesNo, false, 0, {}}}},
        {QStringLiteral("Name"),
         {{QStringLiteral("First"), QStringLiteral("FIRST_NAME"), K::Text, false, 30, {}},
          {QStringLiteral("Mid "), QStringLiteral("MID_NAME"), K::Text, false, 15, {}},
          {QStringLiteral("Last Name"), QStringLiteral("LAST_NAME"), K::Text, false, 50, {}}}},
        {QStringLiteral("Address"), {{QStringLiteral("Street1"), QStringLiteral("ADDRESS1"), K::Text, false, 35, {}}}},
        {QStringLiteral("Address"), {{QStringLiteral("Street2"), QStringLiteral("ADDRESS2"), K::Text, false, 30, {}}}},
        {QStringLiteral("Address"),
         {{QStringLiteral("City"), QStringLiteral("CITY"), K::Text, false, 25, {}},
          {QStringLiteral("State"), QStringLiteral("STATE"), K::Text, false, 2, {}},
          {QStringLiteral("ZIP"), QStringLiteral("ZIP"), K::Text, false, 10, {}}}},
        {QStringLiteral("Primary Phone"),
         {{QStringLiteral("Phone Desc"), QStringLiteral("PHONE_DESC"), K::Letters, false, 1, phone},
          {QStringLiteral("Number"), QStringLiteral("PHONE"), K::Text, false, 19, {}}}},
        {QStringLiteral("Secondary Phone"),
         {{QStringLiteral("Second Phone Desc"), QStringLiteral("ODESC"), K::Text, false, 14, {}},
          {QStringLiteral("Number"), QStringLiteral("OPHONE"), K::Text, false, 19, {}}}},
        {QString(), {{QStringLiteral("Email"), QStringLiteral("EMAIL"), K::Text, false, 65, {}}}},
        {QString(),
         {{QStringLiteral("Status"), QStringLiteral("STATUS"), K::Text, true, 1, {}},
          {QStringLiteral("Delivery Type"), QStringLiteral("DELIVERY_TYPE"), K::Letters, false, 1,
           {QStringLiteral("O"), QStringLiteral("E")}},
          {QStringLiteral("Deliv Start"), QStringLiteral("START_DTE"), K::Date, true, 0, {}},
          {QStringLiteral("Deliv Stop"), QStringLiteral("STOP_DTE"), K::Date, true, 0, {}}}},
        {QString(), {{QStringLiteral("Directions"), QStringLiteral("DIRECTIONS"), K::Memo, false, 0, {}}}},
        {QString(),
         {{QStringLiteral("Default Route"), QStringLiteral("DEF_RTE"), K::Text, true, 5, {}},
          {QStringLiteral("Default Stop"), QStringLiteral("DEF_STOP"), K::Number, true, 0, {}}}},
        {QStringLiteral("Delivery Days"),
         {{QStringLiteral("Monday"), QStringLiteral("MONDAY"), K::Boolean, false, 0, {}},
          {QStringLiteral("Route"), QStringLiteral("MON_RTE"), K::Text, true, 5, {}},
          {QStringLiteral("Tuesday"), QStringLiteral("TUESDAY"), K::Boolean, false, 0, {}},
          {QStringLiteral("Route"), QStringLiteral("TUE_RTE"), K::Text, true, 5, {}},
          {QStringLiteral("Wednesday"), QStringLiteral("WEDNESDAY"), K::Boolean, false, 0, {}},
          {QStringLiteral("Route"), QStringLiteral("WED_RTE"), K::Text, true, 5, {}}}},
        {QStringLiteral("Delivery Days"),
         {{QStringLiteral("Thursday"), QStringLiteral("THURSDAY"), K::Boolean, false, 0, {}},
          {QStringLiteral("Route"), QStringLiteral("THU_RTE"), K::Text, true, 5, {}},
          {QStringLiteral("Friday"), QStringLiteral("FRIDAY"), K::Boolean, false, 0, {}},
          {QStringLiteral("Route"), QStringLiteral("FRI_RTE"), K::Text, true, 5, {}},
          {QStringLiteral("Saturday"), QStringLiteral("SATURDAY"), K::Boolean, false, 0, {}},
          {QStringLiteral("Route"), QStringLiteral("SAT_RTE"), K::Text, true, 5, {}},
          {QStringLiteral("Sunday"), QStringLiteral("SUNDAY"), K::Boolean, false, 0, {}},
          {QStringLiteral("Route"), QStringLiteral("SUN_RTE"), K::Text, true, 5, {}}}},
        {QString(),
         {{QStringLiteral("Dependent"), QStringLiteral("DEPENDENT"), K::YesNo, false, 0, {}},
          {QStringLiteral("DOB"), QStringLiteral("DOB"), K::Date, false, 0, {}},
          {QStringLiteral("# Children"), QStringLiteral("CHILD_NBR"), K::Integer, false, 0, {}},
          {QStringLiteral("# Children Rcvg"), QStringLiteral("CHILD_RECV"), K::Integer, false, 0, {}}}},
        {QString(),
         {{QStringLiteral("Gender"), QStringLiteral("SEX"), K::Letters, false, 1,
           {QStringLiteral("M"), QStringLiteral("F"), QStringLiteral("T")}},
          {QStringLiteral("Race"), QStringLiteral("RACE"), K::Text, true, 1, {}},
          {QStringLiteral("Illiterate"), QStringLiteral("ILLITERATE"), K::YesNo, false, 0, {}},
          {QStringLiteral("Handicapped"), QStringLiteral("HANDICAPPED"), K::YesNo, false, 0, {}},
          {QStringLiteral("Rural"), QStringLiteral("RURAL"), K::YesNo, false, 0, {}},
          {QStringLiteral("Social Security #"), QStringLiteral("SOCIAL_SECURITY_NUMBER"), K::Text, false, 11, {}},
          {QStringLiteral("Income/Month"), QStringLiteral("INCOME_MONTH"), K::Number, true, 0, {}}}},
    };
    return defs;
}

TFormClientEditor::TFormClientEditor(kv::Query &clientInfo, kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_query(clientInfo)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("wwRecordViewDialog1"));
    setWindowTitle(kCaption);
    setModal(true);
    // Read-only fields look it.
    setStyleSheet(QStringLiteral("QLineEdit[readOnly=\"true\"] { background: palette(window); }"));
    build();
    // Another user's change is reported with this editor's labels.
    QHash<QString, QString> captions;
    for (const LineDef &line : lines())
        for (const FieldDef &f : line.fields)
            captions.insert(f.column, f.label);
    m_query.setColumnCaptions(captions);
    fitScreen();
    showRow();
}

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
    m_fields = new QWidget(scroll);
    m_fields->setObjectName(QStringLiteral("PanelFields"));
    auto *main = new QVBoxLayout(m_fields);
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
                auto *c = new QComboBox(this);
                c->addItem(QString());
                c->addItems(f.letters);
                c->setEnabled(!f.readOnly);
                w = c;
                break;
            }
            case Kind::Date: {
                // May be empty, and can be emptied again: no date is a value.
                auto *d = new kv::DateField(kv::AcceptedDates::shortFormat(), this);
                d->setReadOnly(f.readOnly);
                w = d;
                break;
            }
            }
            w->setObjectName(f.column);
            auto *label = new QLabel(f.label, this);
            label->setBuddy(w);
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
            box = new QGroupBox(line.group, this);
            box->setLayout(new QVBoxLayout);
            box->layout()->setContentsMargins(6, 4, 6, 4);
            boxGroup = line.group;
            main->addWidget(box);
        }
        static_cast<QVBoxLayout *>(box->layout())->addLayout(row);
    }
    scroll->setWidget(m_fields);
    outer->addWidget(scroll, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    connect(BitBtnOK, &QPushButton::clicked, this, &TFormClientEditor::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TFormClientEditor::reject);
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    outer->addLayout(buttons);
}

void TFormClientEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Wide enough, once polished, that only the vertical scroll bar is needed.
    if (auto *scroll = findChild<QScrollArea *>(QStringLiteral("ScrollBoxFields"))) {
        const int missing = m_fields->minimumSizeHint().width() - scroll->viewport()->width();
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
    const int wanted = m_fields->sizeHint().height() + BitBtnOK->sizeHint().height() + layout()->spacing() + m.top() + m.bottom();
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
            int i = c->findText(s);
            if (i < 0) {
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
        const QString s = static_cast<QComboBox *>(b.widget)->currentText();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case Kind::Date: {
        const auto *d = static_cast<kv::DateField *>(b.widget);
        if (d->isEmpty())
            return QVariant();
        // Text that is no date stays text: it counts as a change and is refused on OK.
        return d->date().isValid() ? QVariant(d->date()) : QVariant(d->lineEdit()->text());
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
                m_prompts.inform(kNotANumberMessage.arg(b.def.label));
                b.widget->setFocus();
                return;
            }
        }
        const auto *d = b.def.kind == Kind::Date ? static_cast<kv::DateField *>(b.widget) : nullptr;
        if (d && !d->isReadOnly() && !d->isEmpty() && !d->date().isValid()) {
            m_prompts.inform(kNotADateMessage.arg(b.def.label, kv::DateField::exampleShort(), kv::DateField::exampleIso()));
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
                m_prompts, e.text(), kReloadAfterConflict,
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
    if (isChanged() && !m_prompts.confirm(kDiscardQuestion))
        return;
    QDialog::reject();
}
