#pragma once

#include "data/prompts.h"
#include "shell/progress.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QSet>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class TDataModuleLists;

namespace kv {

class Query;

// The choices of one fulfilment, as the options dialog (or the command line)
// hands them over. Indexes follow the dialog's radio groups; -1 is "nothing
// selected".
struct FulfilmentOptions
{
    enum Confirmed { ConfirmedChecked = 0, ConfirmedUnchecked = 1, ConfirmedUnknown = 2, ConfirmedIrrelevant = 3 };
    enum Service { ClientsOwnService = 0, SelectedService = 1 };
    enum Items { ServiceDefaults = 0, SelectedItem = 1 };

    QDate deliveryDate;
    bool activeOnly = false;
    int confirmedIndex = -1;
    int serviceIndex = -1;
    std::optional<int> serviceId; // the chosen service, read with "Selected Service:"
    int itemsIndex = -1;
    std::optional<int> itemId; // the chosen item, read with "Selected Item:"
    // The list's quantity that competes with each member's (null reads as 0).
    int quantity = 0;
    // The name the history note carries.
    QString listName;
};

// A list's stored fulfilment defaults, read from a row of the lists table.
struct ListDefaults
{
    int listId = 0;
    QString listName;
    bool activeOnly = false;
    QString checkboxSetting;
    QString serviceMethod;
    std::optional<int> serviceUsed;
    QString itemMethod;
    std::optional<int> itemToDeliver;
    std::optional<int> quantity;

    static const QString kConfirmedKeys; // "CUNI"
    static const QString kServiceKeys; // "CS"
    static const QString kItemsKeys; // "DS"
    // The letter's position in the key string; -1 for an empty or unknown letter.
    static int indexOfCode(const QString &keys, const QString &code);

    // Reads the current row of a query over the lists table.
    static ListDefaults fromCurrentRow(const Query &lists);
    // The options the stored defaults give, the delivery date aside.
    FulfilmentOptions toOptions() const;
};

// The names that the options dialog shows for a stored service and item.
class FulfilmentNameLookups
{
public:
    static const QString kServiceNameSql;
    static const QString kItemNameSql;

    explicit FulfilmentNameLookups(TDataModuleLists &dm);
    ~FulfilmentNameLookups();

    // Empty when no row matches.
    QString serviceName(int serviceId);
    QString itemName(int itemId);

private:
    std::unique_ptr<Query> m_serviceName;
    std::unique_ptr<Query> m_itemName;
};

// Turns the qualifying members of one list into scheduled one-off deliveries,
// with one item row each when an item is chosen, and notes the run in the
// history. Questions and notices go through Prompts, all of them before the
// first row is written; the share done goes to Progress after every member.
// The rows and the note are one unit of work: a failure, a lock wait that runs
// out, a cancel from Progress or a killed process writes none of them.
class ListFulfilment
{
public:
    static const QString kListNotFoundMessage;
    static const QString kNoCandidatesMessage;
    static const QString kConfirmStart;
    static const QString kConfirmEnd;
    static const QString kProgressMessage;
    static const QString kProgressCountPrefix;
    static const QString kNoServiceChosenMessage;
    static const QString kNoItemChosenMessage;
    static const QString kNoDateMessage;
    // "N of these M members already have a delivery from this list on DATE.
    // Schedule them again?" in three pieces around the numbers and the date.
    static const QString kRerunQuestionOf;
    static const QString kRerunQuestionMembers;
    static const QString kRerunQuestionEnd;
    static QString rerunQuestion(int scheduled, int candidates, const QString &shortDate);
    // After No to that question when every member has one: "%1" the count, "%2" the date as in the question.
    static const QString kAllScheduledMessage;
    // Which members of a list already have a delivery from it on a date.
    static const QString kScheduledSql;

    // The stored lines of the candidates statement.
    static const QString kCandidatesLine1;
    static const QString kCandidatesLine2;
    static const QString kCandidatesLine3;
    static const QString kConfirmedCheckedLine; // 4a
    static const QString kConfirmedUncheckedLine; // 4b
    static const QString kConfirmedUnknownLine; // 4c
    static const QString kActiveOnlyLine; // 5

    enum class Outcome { Fulfilled, NoCandidates, Declined };
    struct Result
    {
        Outcome outcome = Outcome::Declined;
        int deliveries = 0; // written
        int skipped = 0; // members left out because they already had a delivery on the date
    };

    ListFulfilment(TDataModuleLists &dm, Prompts &prompts, Progress &progress, std::function<QString()> userName);
    ~ListFulfilment();

    // Positions the list lookup on the list (opening it when closed). Shows the
    // warning and answers false when the list is not there.
    bool locateList(int listId);

    // Why the options cannot be fulfilled, or empty text when they can. An empty
    // service or item choice is refused here so that no run ever writes a NULL
    // or an arbitrary service in its place.
    static QString check(const FulfilmentOptions &options);

    // The candidates statement for the options, built from the stored lines in order.
    static QStringList candidateSql(const FulfilmentOptions &options);

    // The route and stop of a delivery on the date's weekday: that day's pair
    // when its route is not empty, else the default pair; an empty stop is 0.
    struct RouteStop
    {
        QString route;
        double stop = 0;
    };
    static RouteStop routeFor(const QDate &date, const Query &candidates);
    // The same rule on the values of the weekday's pair and the default pair.
    static RouteStop pickRoute(const QVariant &dayRoute, const QVariant &dayStop, const QVariant &defRoute, const QVariant &defStop);
    // The larger of the member's and the list's quantity, at least 1.
    static int itemQuantity(const QVariant &memberQuantity, int listQuantity);
    // The short weekday in upper case, in the system's language.
    static QString deliveryDay(const QDate &date);

    // Runs the fulfilment of the list with the options: the candidates, the
    // question about members already scheduled on the date (Yes: all again,
    // No: only the others, Cancel: stop), the count question, then in one unit
    // of work the rows and the history note. Throws kv::RolledBack on failure
    // or cancel, with nothing written.
    Result run(int listId, const FulfilmentOptions &options);

    // Closes the list lookup (the next run reads it afresh) and the candidates.
    void finish();

private:
    // Person_IDs with a delivery from the list on the date.
    QSet<qint64> scheduledPeople(int listId, const QDate &date);

    TDataModuleLists &m_dm;
    Prompts &m_prompts;
    Progress &m_progress;
    std::function<QString()> m_userName;
    std::unique_ptr<Query> m_candidates;
};

} // namespace kv
