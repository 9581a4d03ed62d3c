#include "report/expression_node.h"

#include "report/report_data_source.h"

#include <QDate>
#include <QLocale>
#include <QStringList>

namespace kv {

namespace {

using Node = ReportExpression::Node;
using NodePtr = std::shared_ptr<const Node>;

bool truthy(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return false;
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double: return v.toDouble() != 0;
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        return !s.isEmpty() && s.compare(QLatin1String("N"), Qt::CaseInsensitive) != 0
            && s.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0 && s != QLatin1String("0");
    }
    default: return true;
    }
}

QVariant evalNode(const Node &n, const ReportSourceLookup &sources, const QString &defaultSource, const ReportVariables &vars);

QString evalText(const Node &n, const ReportSourceLookup &sources, const QString &defaultSource, const ReportVariables &vars)
{
    return ReportExpression::display(evalNode(n, sources, defaultSource, vars));
}

QVariant evalNode(const Node &n, const ReportSourceLookup &sources, const QString &defaultSource, const ReportVariables &vars)
{
    switch (n.kind) {
    case Node::Kind::Literal: return n.literal;
    case Node::Kind::Field: {
        const ReportDataSource *src = sources.source(n.source.isEmpty() ? defaultSource : n.source);
        if (!src || src->eof())
            return {};
        return src->value(n.field);
    }
    case Node::Kind::Variable:
        switch (n.var) {
        case Node::Var::PageNumber: return vars.pageNumber;
        case Node::Var::RowNumber: return vars.rowNumber;
        case Node::Var::ListName: return vars.listName;
        case Node::Var::PrintDate: return vars.printTime.date();
        case Node::Var::PrintTime: return vars.printTime;
        case Node::Var::Title: return vars.title;
        }
        return {};
    case Node::Kind::Concat: {
        QString out;
        for (const NodePtr &a : n.args)
            out += evalText(*a, sources, defaultSource, vars);
        return out;
    }
    case Node::Kind::Call: break;
    }

    auto arg = [&](int i) { return evalNode(*n.args[size_t(i)], sources, defaultSource, vars); };
    auto text = [&](int i) { return evalText(*n.args[size_t(i)], sources, defaultSource, vars); };
    switch (n.func) {
    case Node::Func::FormatDate: {
        QVariant v = arg(0);
        const QString fmt = text(1);
        if (v.typeId() == QMetaType::QString) { // a date kept as text in the engine's form
            const QString s = v.toString();
            const QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            v = dt.isValid() ? QVariant(dt) : QVariant(QDate::fromString(s, Qt::ISODate));
        }
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().isValid() ? QLocale::c().toString(v.toDateTime(), fmt) : QString();
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().isValid() ? QLocale::c().toString(v.toDate(), fmt) : QString();
        return QString();
    }
    case Node::Func::FormatNumber: {
        const QVariant v = arg(0);
        if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
            return QString();
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            return v.toString();
        return QString::number(d, 'f', qBound(0, int(arg(1).toLongLong()), 10));
    }
    case Node::Func::Upper: return text(0).toUpper();
    case Node::Func::Lower: return text(0).toLower();
    case Node::Func::Trim: return text(0).trimmed();
    case Node::Func::If:
        if (truthy(arg(0)))
            return arg(1);
        return n.args.size() > 2 ? arg(2) : QVariant(QString());
    case Node::Func::IfEmpty: {
        const QString a = text(0);
        return a.trimmed().isEmpty() ? text(1) : a;
    }
    case Node::Func::Join: {
        const QString sep = text(0);
        QStringList parts;
        for (int i = 1; i < int(n.args.size()); ++i) {
            const QString p = text(i).trimmed();
            if (!p.isEmpty())
                parts << p;
        }
        return parts.join(sep);
    }
    case Node::Func::Lookup: {
        const Node &ref = *n.args[0];
        const ReportDataSource *src = sources.source(ref.source);
        const QVariant key = arg(1);
        if (!src || !key.isValid() || key.isNull())
            return {};
        return src->lookup(ref.field, key);
    }
    case Node::Func::YesNo: {
        const QVariant v = arg(0);
        if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
            return QString();
        return truthy(v) ? QStringLiteral("Yes") : QStringLiteral("No");
    }
    }
    return {};
}

void collectRefs(const Node &n, QVector<ReportExpression::FieldRef> &out)
{
    if (n.kind == Node::Kind::Field)
        out.push_back({n.source, n.field, QString()});
    for (const NodePtr &a : n.args)
        collectRefs(*a, out);
}
} // namespace

QString ReportExpression::evaluate(const ReportSourceLookup &sources, const QString &defaultSource,
                                   const ReportVariables &vars) const
{
    if (!m_root)
        return QString();
    if (m_root->kind == Node::Kind::Literal)
        return display(m_root->literal);
    return evalText(*m_root, sources, defaultSource, vars);
}

QVector<ReportExpression::FieldRef> ReportExpression::fieldRefs() const
{
    QVector<FieldRef> refs;
    if (m_root)
        collectRefs(*m_root, refs);
    return refs;
}

QString ReportExpression::display(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QString: return v.toString();
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
    case QMetaType::QDate: return QLocale::c().toString(v.toDate(), QStringLiteral("MM/dd/yyyy"));
    case QMetaType::QDateTime: return QLocale::c().toString(v.toDateTime(), QStringLiteral("MM/dd/yyyy h:mm AP"));
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 12);
    default: return v.toString();
    }
}
} // namespace kv
