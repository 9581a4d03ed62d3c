// The plug-in interface as a host sees it: slot order, identity answers, the
// menu entry and the host interface taken in Init.

#include "lists/ui/form_lists.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <kestrovan/plugin_interfaces.h>

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

// Declared outside an anonymous namespace: the compiler must not conclude
// that no class implements them and resolve the calls itself.
namespace foreign {

// A host written against the slot order alone: its own declarations of the
// two tables, unrelated to ours, laid over the same objects.
struct ForeignPlugIn
{
    virtual kestrovan::HResult slot0(const QUuid &iid, void **out) = 0;
    virtual std::uint32_t slot1() = 0;
    virtual std::uint32_t slot2() = 0;
    virtual void slot3(QWidget *control) = 0;
    virtual void slot4(QMenu *menu) = 0;
    virtual void slot5(const QDateTime &when) = 0;
    virtual bool slot6(const QString &name) = 0;
};

// A host control answering the identifier with a table of its own making.
class ForeignHost : public QWidget
{
public:
    struct Table
    {
        virtual kestrovan::HResult q(const QUuid &iid, void **out) = 0;
        virtual std::uint32_t a() = 0;
        virtual std::uint32_t r() = 0;
        virtual QString name() = 0;
    };
    struct Impl : Table
    {
        kestrovan::HResult q(const QUuid &iid, void **out) override
        {
            if (iid != kestrovan::IID_IHostInterface)
                return kestrovan::E_NoInterface;
            *out = this;
            ++refs;
            return kestrovan::S_Ok;
        }
        std::uint32_t a() override { return ++refs; }
        std::uint32_t r() override { return --refs; }
        QString name() override { return names.value(calls++, QStringLiteral("someone")); }
        int refs = 0;
        int calls = 0;
        QStringList names;
    } impl;
};

} // namespace foreign

using foreign::ForeignHost;
using foreign::ForeignPlugIn;

class PlugInInterfaceTest : public ::testing::Test
{
protected:
    SettingsSandbox sandbox;
    ScriptedPrompts prompts;
    TFormLists form{nullptr, &prompts};
    kestrovan::IPlugInModule *plugin()
    {
        void *out = nullptr;
        EXPECT_EQ(kestrovan::unknownOf(&form)->QueryInterface(kestrovan::IID_IPlugInModule, &out), kestrovan::S_Ok);
        return static_cast<kestrovan::IPlugInModule *>(out);
    }
};

TEST_F(PlugInInterfaceTest, SlotsAnswerInTheirOrderThroughAForeignTable)
{
    auto *foreign = reinterpret_cast<ForeignPlugIn *>(plugin());
    void *out = nullptr;
    EXPECT_EQ(foreign->slot0(kestrovan::IID_IPlugInModule, &out), kestrovan::S_Ok);
    EXPECT_EQ(out, static_cast<void *>(plugin()));
    EXPECT_EQ(foreign->slot0(QUuid::createUuid(), &out), kestrovan::E_NoInterface);
    EXPECT_EQ(foreign->slot1(), 1u);
    EXPECT_EQ(foreign->slot2(), 1u);

    ForeignHost host;
    foreign->slot3(&host);
    EXPECT_FALSE(form.hostServices().hasHost()); // a plain widget offers nothing

    QMenu menu;
    foreign->slot4(&menu);
    ASSERT_EQ(menu.actions().size(), 1);
    EXPECT_EQ(menu.actions().first()->text(), TFormLists::kMenuCaption);

    foreign->slot5(QDateTime::currentDateTime());
    EXPECT_TRUE(foreign->slot6(QStringLiteral("Kestrovan")));
    EXPECT_FALSE(foreign->slot6(QStringLiteral("kestrovan")));
}

TEST_F(PlugInInterfaceTest, ModuleNameIsExactAndCaseSensitive)
{
    EXPECT_TRUE(plugin()->GetIsModuleInstalled(QStringLiteral("Kestrovan")));
    for (const char *other : {"KESTROVAN", "kestrovan", "Kestrovan ", " Kestrovan", "", "Kestrova"})
        EXPECT_FALSE(plugin()->GetIsModuleInstalled(QString::fromLatin1(other))) << other;
}

TEST_F(PlugInInterfaceTest, SetMenuTwiceAddsTwoEntriesAndPrepareMenuDateChangesNothing)
{
    QMenu menu;
    plugin()->SetMenu(&menu);
    plugin()->PrepareMenuDate(QDateTime(QDate(1999, 12, 31), QTime(23, 59)));
    plugin()->SetMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 2);
    for (QAction *a : menu.actions()) {
        EXPECT_EQ(a->text(), QStringLiteral("Kestrovan"));
        EXPECT_EQ(a->parent(), &menu); // owned by the item passed in
    }
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(DataModuleLists, nullptr);
}

class TestHostControl : public QWidget, public kestrovan::IHostInterface
{
    Q_OBJECT
    Q_INTERFACES(kestrovan::IUnknown)
public:
    kestrovan::HResult QueryInterface(const QUuid &iid, void **out) override
    {
        if (iid != kestrovan::IID_IHostInterface) {
            *out = nullptr;
            return kestrovan::E_NoInterface;
        }
        *out = static_cast<kestrovan::IHostInterface *>(this);
        ++refs;
        return kestrovan::S_Ok;
    }
    std::uint32_t AddRef() override { return ++refs; }
    std::uint32_t Release() override { return --refs; }
    QString GetCurrentUserName() override { return names.value(calls++); }
    int refs = 0;
    int calls = 0;
    QStringList names;
};

TEST_F(PlugInInterfaceTest, UserNameIsAskedAnewEachTimeAndEmptyWithoutHost)
{
    EXPECT_EQ(form.hostServices().currentUserName(), QString());

    TestHostControl host;
    host.names = {QStringLiteral("anna"), QStringLiteral("ben"), QString()};
    plugin()->Init(&host);
    EXPECT_EQ(form.hostControl(), &host);
    ASSERT_TRUE(form.hostServices().hasHost());
    EXPECT_EQ(host.refs, 1); // one counted reference kept
    auto source = form.hostServices().userNameSource();
    EXPECT_EQ(source(), QStringLiteral("anna"));
    EXPECT_EQ(source(), QStringLiteral("ben"));
    EXPECT_EQ(source(), QString()); // used as it comes
    EXPECT_EQ(host.calls, 3);

    // A second Init with a control that offers nothing drops the reference.
    QWidget plain;
    plugin()->Init(&plain);
    EXPECT_FALSE(form.hostServices().hasHost());
    EXPECT_EQ(host.refs, 0);
    EXPECT_EQ(form.hostServices().currentUserName(), QString());
}

TEST_F(PlugInInterfaceTest, HostControlIsAskedThroughItsOwnTable)
{
    // The plug-in reaches GetCurrentUserName through slot 3 of whatever table
    // the control hands out, not through our class.
    class Wrapper : public QWidget, public kestrovan::IUnknown
    {
    public:
        ForeignHost::Impl impl;
        kestrovan::HResult QueryInterface(const QUuid &iid, void **out) override { return impl.q(iid, out); }
        std::uint32_t AddRef() override { return 1; }
        std::uint32_t Release() override { return 1; }
    };
    Wrapper w;
    w.impl.names = {QStringLiteral("from slot 3")};
    form.hostServices().attach(&w);
    EXPECT_EQ(form.hostServices().currentUserName(), QStringLiteral("from slot 3"));
    form.hostServices().detach();
    EXPECT_EQ(w.impl.refs, 0);
}

#include "plugin_interface_test.moc"
