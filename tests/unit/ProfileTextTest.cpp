#include "config/ProfileText.h"
#include "support/TrickyProfiles.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::testing;

TEST(ProfileText, AnswersTrickyFilesAsTheProfileFunctionsDo) {
    for (const TrickyProfile& file : TrickyProfiles()) {
        const ProfileText text(file.bytes);
        EXPECT_EQ(text.SectionNames(16384), file.sections) << file.name;
        for (const ProfileQuery& q : file.queries)
            EXPECT_EQ(text.Value(q.section, q.key, "<d>", 2048), q.expected)
                << file.name << " [" << q.section << "] " << q.key;
    }
}
