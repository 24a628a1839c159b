#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>

#include "varnex/linksection.h"

using varnex::LinkRecord;
using varnex::LinkText;

namespace {

void fillRecord(LinkRecord& r)
{
    r.setText(&TLinkSection::Link_user, QStringLiteral("MARIE"));
    r.setText(&TLinkSection::Link_user_name, QStringLiteral("Marie-Ève Tremblay"));
    r.setText(&TLinkSection::Link_company, QStringLiteral("1"));
    r.setText(&TLinkSection::Link_company_name, QStringLiteral("Quincaillerie Côté"));
    r.setText(&TLinkSection::Link_pgm_dir, QStringLiteral("/opt/lgx/Lgx/bin"));
    r.setText(&TLinkSection::Link_data_dir, QStringLiteral("/srv/lgx/Lgx/data"));
    r.setText(&TLinkSection::Link_context, QStringLiteral("ap"));
    r.raw().Link_language = 2;
    r.raw().Link_session = 7;
    r.setLangCode(QStringLiteral("fr"));
}

} // namespace

TEST(StringTable, ReferencesCountAndStaleHandlesAreHarmless)
{
    const std::size_t before = vxstr_live_count();
    const VxStr h = vxstr_make("abc", 3);
    EXPECT_EQ(vxstr_refcount(h), 1u);
    vxstr_addref(h);
    EXPECT_EQ(vxstr_refcount(h), 2u);
    vxstr_release(h);
    EXPECT_EQ(LinkText(h), QStringLiteral("abc"));
    vxstr_release(h);
    EXPECT_EQ(vxstr_live_count(), before);
    // a released handle reads empty and a second release is counted, not fatal
    const std::size_t stale = vxstr_stale_uses();
    EXPECT_EQ(LinkText(h), QString());
    vxstr_release(h);
    EXPECT_GT(vxstr_stale_uses(), stale);
    // the slot is reused with a new generation: the old handle stays dead
    const VxStr again = vxstr_make("xyz", 3);
    EXPECT_NE(again, h);
    EXPECT_EQ(LinkText(h), QString());
    vxstr_release(again);
    EXPECT_EQ(vxstr_make("", 0), 0u);
    EXPECT_EQ(vxstr_make(nullptr, 5), 0u);
}

TEST(LinkRecord, CopyKeepsItsOwnReferences)
{
    const std::size_t before = vxstr_live_count();
    {
        LinkRecord launcher;
        fillRecord(launcher);
        const VxStr user = launcher.raw().Link_user;
        {
            LinkRecord moduleCopy(launcher.value());
            EXPECT_EQ(vxstr_refcount(user), 2u);
            EXPECT_EQ(moduleCopy.text(&TLinkSection::Link_user_name), QStringLiteral("Marie-Ève Tremblay"));
            LinkRecord third;
            third = moduleCopy;
            EXPECT_EQ(vxstr_refcount(user), 3u);
        }
        EXPECT_EQ(vxstr_refcount(user), 1u);
        EXPECT_EQ(launcher.text(&TLinkSection::Link_company_name), QStringLiteral("Quincaillerie Côté"));
    }
    EXPECT_EQ(vxstr_live_count(), before);
}

TEST(LinkRecord, LanguageCodeKeepsTwoCharacters)
{
    LinkRecord r;
    r.setLangCode(QStringLiteral("fra"));
    EXPECT_EQ(r.raw().Link_lang_code[0], 2);
    EXPECT_EQ(r.langCode(), QStringLiteral("fr"));
    EXPECT_EQ(r.raw().Link_lang_code[3], 0);
    r.setLangCode(QString());
    EXPECT_EQ(r.langCode(), QString());
    // a corrupt length byte never reads past the two characters
    r.raw().Link_lang_code[0] = 200;
    EXPECT_LE(r.langCode().size(), 2);
}

TEST(LinkRecord, NewRecordIsEmpty)
{
    LinkRecord r;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r.raw());
    for (int i = 0; i < 80; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
}

TEST(LinkRecord, SeparatelyBuiltLibraryReceivesTheRecordByValue)
{
    const QByteArray path = QByteArray(VARNEX_TEST_BIN_DIR) + "/abi_receiver.so";
    void* library = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using Receive = std::int32_t (*)(TLinkSection, std::int32_t*, char*, std::size_t);
    using Release = void (*)();
    using Greeting = VxStr (*)();
    auto receive = reinterpret_cast<Receive>(dlsym(library, "ReceiveRecord"));
    auto release = reinterpret_cast<Release>(dlsym(library, "ReleaseKept"));
    auto greeting = reinterpret_cast<Greeting>(dlsym(library, "MakeGreeting"));
    ASSERT_TRUE(receive && release && greeting);

    const std::size_t before = vxstr_live_count();
    const std::size_t staleBefore = vxstr_stale_uses();
    {
        LinkRecord launcher;
        fillRecord(launcher);
        std::int32_t session = 0;
        char dataDir[64] = {};
        EXPECT_EQ(receive(launcher.value(), &session, dataDir, sizeof dataDir), -1);
        EXPECT_EQ(session, 7);
        EXPECT_STREQ(dataDir, "/srv/lgx/Lgx/data");
        EXPECT_EQ(vxstr_refcount(launcher.raw().Link_data_dir), 2u);
        release();
        EXPECT_EQ(vxstr_refcount(launcher.raw().Link_data_dir), 1u);
        EXPECT_EQ(launcher.text(&TLinkSection::Link_user_name), QStringLiteral("Marie-Ève Tremblay"));

        // made over there, read and released here
        const VxStr made = greeting();
        EXPECT_EQ(LinkText(made), QStringLiteral("Comptes fournisseurs"));
        vxstr_release(made);
    }
    EXPECT_EQ(vxstr_live_count(), before);
    EXPECT_EQ(vxstr_stale_uses(), staleBefore);
    dlclose(library);
}
