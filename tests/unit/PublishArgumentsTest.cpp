// vorlundpublish's command line.
#include "publish/PublishArguments.h"

#include <gtest/gtest.h>

using namespace vorlund::publish;

TEST(PublishArguments, EachCommandWithItsValuesAndEveryWrongCallNamed) {
    const ParsedArguments publish =
        ParsePublishArguments({"Lager", "D:\\Neu\\lager.mdb", "/VERSION", "13", "/ini", "x.INI"});
    ASSERT_TRUE(publish.request);
    EXPECT_EQ(publish.request->kind, PublishRequest::Publish);
    EXPECT_EQ(publish.request->source, "D:\\Neu\\lager.mdb");
    EXPECT_EQ(publish.request->version, 13);
    EXPECT_EQ(publish.request->ini, "x.INI");
    const ParsedArguments lock = ParsePublishArguments({"/sperren", "Lager", "Wartung bis 14 Uhr"});
    ASSERT_TRUE(lock.request);
    EXPECT_EQ(lock.request->kind, PublishRequest::Lock);
    EXPECT_EQ(lock.request->text, "Wartung bis 14 Uhr");
    EXPECT_EQ(ParsePublishArguments({"/Zurueck", "Lager"}).request->kind, PublishRequest::Back);
    EXPECT_EQ(
        ParsePublishArguments({"/zurueck", "Lager", "/server", "\\\\SRV01\\V"}).request->server,
        "\\\\SRV01\\V");
    EXPECT_EQ(ParsePublishArguments({"/freigeben", "Lager"}).request->kind, PublishRequest::Unlock);
    EXPECT_EQ(ParsePublishArguments({"/versionen", "Lager"}).request->kind,
              PublishRequest::Versions);
    EXPECT_EQ(ParsePublishArguments({"/zurueck", "Lager", "11"}).request->backTo, 11);
    EXPECT_EQ(ParsePublishArguments({"/?"}).request->kind, PublishRequest::Help);
    const ParsedArguments key = ParsePublishArguments({"/schluessel", "D:\\k.key"});
    EXPECT_EQ(key.request->kind, PublishRequest::MakeKey);
    EXPECT_EQ(key.request->keyFile, "D:\\k.key");
    EXPECT_EQ(ParsePublishArguments({"/zurueck", "Lager", "/signieren", "k.key"}).request->keyFile,
              "k.key");
    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{},
                                               {"Lager"},
                                               {"Lager", "a.mdb", "b.mdb"},
                                               {"Lager", "a.mdb", "/version", "13a"},
                                               {"Lager", "a.mdb", "/version"},
                                               {"/sperren", "Lager"},
                                               {"/sperren", "Lager", ""},
                                               {"/freigeben", "Lager", "/version", "3"},
                                               {"/sperren", "Lager", "x", "/server", "\\\\S\\V"},
                                               {"Lager", "a.mdb", "/server"},
                                               {"/zurueck", "Lager", "elf"},
                                               {"/zurueck", "Lager", "11", "12"},
                                               {"/versionen", "Lager", "11"},
                                               {"/zurueck", "/freigeben", "Lager"},
                                               {"/neu", "Lager", "a.mdb"},
                                               {"/schluessel"},
                                               {"/schluessel", "a.key", "b.key"},
                                               {"/schluessel", "a.key", "/signieren", "b.key"},
                                               {"/sperren", "Lager", "x", "/signieren", "k"},
                                               {"Lager", "a.mdb", "/signieren"}}) {
        const ParsedArguments p = ParsePublishArguments(wrong);
        EXPECT_FALSE(p.request) << wrong.size();
        EXPECT_FALSE(p.error.empty());
    }
}
