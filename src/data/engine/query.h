#pragma once

#include "data/engine/database.h"
#include "data/engine/edit_conflict.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

class QSqlQuery;

namespace kv {

enum class FieldType { Unknown, Integer, Text, Boolean, Date, DateTime, Float };
enum class DataState { Inactive, Browse, Edit, Insert };

// A named parameter (":Name"). Its type is the type of the last value set.
// An empty text stores NULL, whatever the column's type.
class Param
{
public:
    Param() = default;
    explicit Param(const QString &name)
        : m_name(name)
    {
    }

    QString name() const { return m_name; }
    FieldType type() const { return m_type; }
    const QVariant &value() const { return m_value; }
    bool isNull() const { return !m_value.isValid(); }

    void setAsInteger(qint64 v);
    void setAsString(const QString &v);
    void setAsBoolean(bool v);
    void setAsDate(const QDate &v);
    void setAsDateTime(const QDateTime &v);
    void setAsFloat(double v);
    // Takes the type from the value: int, text, bool, QDate, QDateTime, double.
    void setValue(const QVariant &v);
    void clear();

private:
    QString m_name;
    FieldType m_type = FieldType::Unknown;
    QVariant m_value;
};

struct Field
{
    QString name;
    FieldType type = FieldType::Unknown;
};

// The engine's query: SQL text that can be replaced at run time, typed named
// parameters, a fully read result with first/next/eof navigation, locate and
// refresh, statements without a result, and live rows written back to the
// single table of the statement.
class Query : public QObject
{
    Q_OBJECT
public:
    Query(Database *database, const QString &name, QObject *parent = nullptr);
    ~Query() override;

    Database *database() const { return m_db; }

    // The statement as its lines; the engine receives them joined by line breaks.
    void setSql(const QStringList &lines);
    void setSql(const QString &text) { setSql(QStringList{text}); }
    QStringList sql() const { return m_lines; }
    QString sqlText() const { return m_lines.join(QLatin1Char('\n')); }

    Param &paramByName(const QString &name);
    bool hasParam(const QString &name) const;
    QVector<Param> params() const { return m_params; }

    // Live queries accept edit/insert/post; read-only ones refuse them.
    void setRequestLive(bool live) { m_live = live; }
    bool requestLive() const { return m_live; }
    // The key of the single table a live query writes to (found from the table if not set).
    void setKeyField(const QString &field) { m_keyField = field; }
    QString keyField() const;
    QString updateTable() const;

    void open();
    // Where a statement pays a round trip: sends the statement with the
    // parameter values of now ahead, to travel with the next read on the
    // connection; open() or refresh() with the same values then takes its
    // answer without a trip of its own. Nothing on an engine without round
    // trips, or for a statement that cannot be prepared or bound (it fails
    // where it runs). What is not taken goes with Database::dropReadAhead.
    void sendAhead();
    void close();
    bool isOpen() const { return m_state != DataState::Inactive; }
    DataState state() const { return m_state; }
    void execSql();
    // Runs an INSERT and answers the key the backend generated for it.
    QVariant execInsertReturningId(const QString &keyColumn);
    int rowsAffected() const { return m_rowsAffected; }
    // A parameter's value as this backend receives it (what execSql binds).
    QVariant bindableValue(const Param &p) const { return bindableValue(p.value(), p.type()); }

    // Result
    int fieldCount() const { return m_fields.size(); }
    const QVector<Field> &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const;
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    int recordCount() const { return int(m_rows.size()); }
    int recNo() const { return m_cur; } // 0-based, -1 when empty
    void first();
    void next();
    void prior();
    void last();
    void moveBy(int n);
    void setRecNo(int row);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return m_rows.empty() && m_state != DataState::Insert; }

    // Values of the current row (the edit buffer while editing or inserting).
    QVariant fieldValue(const QString &name) const;
    QVariant value(int field) const;
    QVariant valueAt(int row, int field) const;
    QString asString(const QString &name) const;
    qint64 asInteger(const QString &name) const;
    bool isNull(const QString &name) const { return !fieldValue(name).isValid() || fieldValue(name).isNull(); }

    bool locate(const QStringList &fieldNames, const QVariantList &values, Qt::CaseSensitivity cs = Qt::CaseSensitive);
    void refresh();
    void flush();

    // Live editing
    void edit();
    void insert();
    void setFieldValue(const QString &name, const QVariant &v);
    // Writes the changed columns of an edited row, each on condition that it
    // still holds the value read; throws EditConflict (nothing written) when
    // another user changed or removed the row meanwhile.
    void post();
    void cancel();
    bool isModified() const;
    // The fields an edited row changes (none while browsing or inserting).
    QStringList modifiedFields() const;
    // How a conflict names the row to the user: format's %1 is the values read
    // of the fields, joined by spaces ("the list %1" with List_Name).
    void setRowName(const QString &format, const QStringList &fields)
    {
        m_rowNameFormat = format;
        m_rowNameFields = fields;
    }
    // The captions a conflict message names columns by (the labels the user
    // sees), keyed by column name in any case; a column without one is named as it is.
    void setColumnCaptions(const QHash<QString, QString> &captions);
    // Takes the values stored now, as a conflict found them, as the values read:
    // the user keeps the edit and the next post writes it over them.
    void adoptStored(const EditConflict::Row &row);

    QString name() const { return objectName(); }

Q_SIGNALS:
    void afterOpen();
    void afterClose();
    void afterScroll();
    void afterInsert();
    void beforePost();
    void afterPost();
    void afterCancel();
    void stateChanged(kv::DataState state);
    void fieldChanged(const QString &field);

private:
    void prepareStatement();
    void prepareOnConnection();
    void bindParams(QSqlQuery &q) const;
    void readResult(QSqlQuery &q);
    void ensureLiveWritable() const;
    EditConflict::Row conflictOf(const QString &table, const QString &key, int keyIdx, const QVector<int> &changed) const;
    void setState(DataState s);
    void checkOpen(const char *what) const;
    QVariant bindableValue(const QVariant &v, FieldType type) const;
    // The bindable value as Qt's driver is to be handed it (SqlBackend::driverValue).
    QVariant driverValue(const QVariant &v, FieldType type) const;
    [[noreturn]] void fail(const QString &what, const QString &driverText, const QString &statement) const;

    // Retires a statement to the database (see Database::retire).
    void retire(std::unique_ptr<QSqlQuery> &statement);

    QPointer<Database> m_db;
    QStringList m_lines;
    QString m_translated;
    QVector<Param> m_params;
    qsizetype m_nextParam = 0; // where paramByName looks first
    std::unique_ptr<QSqlQuery> m_stmt;
    // PostgreSQL: the INSERT ... RETURNING form, prepared once like m_stmt.
    std::unique_ptr<QSqlQuery> m_returningStmt;
    QString m_returningText;
    QString m_preparedText;
    QString m_preparedConnection;

    QVector<Field> m_fields;
    // PostgreSQL: the names of the result as reported and as spelt for users.
    QStringList m_reportedNames;
    QStringList m_spelledNames;
    std::vector<QVector<QVariant>> m_rows;
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;
    int m_rowsAffected = 0;

    bool m_live = false;
    QString m_keyField;
    QString m_rowNameFormat;
    QStringList m_rowNameFields;
    QHash<QString, QString> m_captions; // by lower-case column name
    DataState m_state = DataState::Inactive;
    QVector<QVariant> m_buffer;
    int m_insertAt = -1;
};

QString fieldTypeName(FieldType t);
// The type SQLite declares for a column ("DATE", "VARCHAR(50)", ...), as the engine reads it.
FieldType fieldTypeFromDeclared(const char *declared);
// The type a Qt value type stands for; Unknown for none of ours.
FieldType fieldTypeFromMeta(int typeId);

} // namespace kv
