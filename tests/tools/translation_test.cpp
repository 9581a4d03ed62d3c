// The texts lupdate collects for each window and operation (scripts/lupdate),
// and a translation shipped beside the plug-in reaching a window and an
// operation's message.

#include "data/engine/unit_of_work.h"
#include "shell/translation.h"
#include "shell/ui/form_about_kestrovan.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

// Every source text of a .ts file, by context.
QMap<QString, QSet<QString>> sourcesByContext(const QString &tsFile)
{
    QFile f(tsFile);
    QMap<QString, QSet<QString>> found;
    if (!f.open(QIODevice::ReadOnly))
        return found;
    QXmlStreamReader xml(&f);
    QString context;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            found[context].insert(xml.readElementText());
    }
    return found;
}

QString lrelease()
{
    const QString beside = QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/lrelease");
    return QFileInfo(beside).isExecutable() ? beside : QStandardPaths::findExecutable(QStringLiteral("lrelease"));
}

TEST(Translation, EachWindowsTextsAreCollectedAndAShippedTranslationReachesTheWindow)
{
    const bool ci = qgetenv("CI") == "true";
    QTemporaryDir dir;
    const QString ts = dir.filePath(QStringLiteral("kestrovan_en.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral("bash"), {QStringLiteral(KESTROVAN_SOURCE_DIR "/scripts/lupdate"), ts});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    if (lupdate.exitCode() == 77 && !ci)
        GTEST_SKIP() << "lupdate is not installed (qt6-l10n-tools)";
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    // Each window's and operation's context holds its described texts, exactly
    // as described: marked where defined, or written where shown (kv::shown).
    const QMap<QString, QSet<QString>> sources = sourcesByContext(ts);
    const struct
    {
        const char *context;
        QStringList texts;
    } windows[] = {
        {"TFormAboutKestrovan", {"About...", "Brenquistal Kestrovan Plug-In", "Version 1.0.1.045", "&Close"}},
        {"TFormMessageBox", {"Brenquistal", "Saving data. Please do not interrupt!", "Total Clients:"}},
        {"TFormRegistryEditor",
         {"Brenquistal Data Options", "Operation Mode", "File Server", "Client-Server Engine", "Database location:",
          "Data Location:", "Shared Ini Directory:", "Server IP Address:", "ServerType:", "LAN", "Internet",
          "Locate Brenquistal Data Folder", "&OK", "&Cancel"}},
        {"TFormLists", {"Fulfill", "Edit Members", "Delete", "Cancel Pendg", "&File"}},
        {"TFormListMembers", {"Add", "Remove selected names from list", "Remove all names from list", "Copy selected names to another list"}},
        {"UnitOfWork", {"Nothing was written: the data is as it was before.", "A part of the operation failed."}},
        {"AddMembers", {"There were no new names to add.", "Succesfully added "}},
        {"ListFulfilment", {"Error locating the List using the List ID!", "%1 deliveries scheduled for %2 on %3, %4 members skipped."}},
        {"ImportMembers", {"Line %1 opens a quoted field that is never closed."}},
    };
    for (const auto &w : windows) {
        SCOPED_TRACE(w.context);
        for (const QString &text : w.texts)
            EXPECT_TRUE(sources.value(QString::fromLatin1(w.context)).contains(text)) << text.toStdString();
    }

    // A translation in the translations folder beside the module is installed
    // for the user's language and changes what the window shows.
    const QString release = lrelease();
    if (release.isEmpty() && !ci)
        GTEST_SKIP() << "lrelease is not installed (qt6-l10n-tools)";
    const QString de = dir.filePath(QStringLiteral("kestrovan_de.ts"));
    QFile german(de);
    ASSERT_TRUE(german.open(QIODevice::WriteOnly));
    german.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><!DOCTYPE TS><TS version=\"2.1\" language=\"de\">"
                 "<context><name>TFormAboutKestrovan</name><message><source>About...</source>"
                 "<translation>\xc3\x9c" "ber...</translation></message></context>"
                 "<context><name>UnitOfWork</name><message><source>Nothing was written: the data is as it was before.</source>"
                 "<translation>Nichts wurde geschrieben.</translation></message></context></TS>");
    german.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("translations")));
    ASSERT_EQ(QProcess::execute(release, {QStringLiteral("-silent"), de, QStringLiteral("-qm"),
                                          dir.filePath(QStringLiteral("translations/kestrovan_de.qm"))}),
              0);
    EXPECT_EQ(kv::installTranslation(dir.path(), QLocale(QLocale::French)), nullptr) << "no French file ships";
    std::unique_ptr<QTranslator> installed = kv::installTranslation(dir.path(), QLocale(QLocale::German, QLocale::Switzerland));
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(TFormAboutKestrovan().windowTitle(), QStringLiteral("\u00dcber..."));
    EXPECT_EQ(kv::RolledBack(QStringLiteral("Disk full."), false).text(), QStringLiteral("Disk full.\n\nNichts wurde geschrieben."));
    installed.reset();
    EXPECT_EQ(TFormAboutKestrovan().windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(kv::RolledBack(QStringLiteral("Disk full."), false).text(),
              QStringLiteral("Disk full.\n\n") + kv::UnitOfWork::kNothingWritten);
}

} // namespace
