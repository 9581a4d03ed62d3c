// The command line's arguments, read into an invocation without running
// anything. One argument per line of the input (a NUL byte also ends one).
// Beyond not crashing: a run names a subcommand and only options it declares,
// an error says what is wrong, and every date the parser would accept is a
// real date from 1900 to 9999 that reads back the same.

#include "data/dates.h"
#include "tools/cli/command_line.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QStringList &args)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(args.join(QStringLiteral(" | "))));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList args;
    QByteArray current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' || data[i] == '\0') {
            args << QString::fromUtf8(current);
            current.clear();
        } else {
            current += char(data[i]);
        }
    }
    if (!current.isEmpty())
        args << QString::fromUtf8(current);

    const kv::cli::Invocation inv = kv::cli::parse(args);
    switch (inv.action) {
    case kv::cli::Invocation::Action::Error:
        if (inv.error.trimmed().isEmpty())
            fail("an error without a text", args);
        break;
    case kv::cli::Invocation::Action::Help:
        if ((inv.command ? kv::cli::commandHelp(*inv.command) : kv::cli::overviewHelp()).isEmpty())
            fail("an empty help", args);
        break;
    case kv::cli::Invocation::Action::Version:
        if (!kv::cli::versionText().startsWith(QStringLiteral("kestrovan ")))
            fail("a version without the name", args);
        break;
    case kv::cli::Invocation::Action::Run: {
        if (!inv.command)
            fail("a run without a subcommand", args);
        for (auto it = inv.values.begin(); it != inv.values.end(); ++it) {
            bool declared = false;
            for (const kv::cli::OptionSpec &o : inv.command->options)
                declared = declared || o.name == it.key();
            if (!declared)
                fail("a value for an option the subcommand does not declare", args);
        }
        break;
    }
    }

    for (const QString &a : std::as_const(args)) {
        const std::optional<QDate> d = kv::AcceptedDates::parseIso(a);
        if (d && (!kv::AcceptedDates::accepts(*d) || d->toString(Qt::ISODate) != a))
            fail("a date accepted that does not read back", args);
    }
    return 0;
}
