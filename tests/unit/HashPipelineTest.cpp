// The copy's hashing thread: every byte, in order, whatever the speeds.
#include "base/HashPipeline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using namespace vorlund;

TEST(HashPipeline, EveryByteArrivesInOrderWhetherTheHashOrTheCopyIsSlower) {
    for (const bool slowHash : {false, true}) {
        std::string seen;
        {
            HashPipeline pipeline(
                [&](const char* data, size_t size) {
                    if (slowHash)
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                    seen.append(data, size);
                },
                8, 2);
            std::string expected;
            for (int i = 0; i < 200; ++i) {
                const std::string piece(static_cast<size_t>(i % 7 + 1),
                                        static_cast<char>('a' + i % 26));
                expected += piece;
                pipeline.Feed(piece.data(), piece.size());
                if (!slowHash)
                    std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
            pipeline.Finish();
            EXPECT_EQ(seen, expected) << slowHash;
        }
    }
    HashPipeline unused([](const char*, size_t) {}); // finished by its destructor alone
}
