// Every input kept in the fuzzing corpora (the seeds and the crash cases found
// so far) runs through its target's entry function without a failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/PreviewTargets.h"
#include "fuzz/Targets.h"
#include "support/ArcBuilder.h"

namespace {

TEST(FuzzCorpusTest, EveryKeptInputPasses) {
    const struct {
        const char* folder;
        void (*target)(const std::uint8_t*, std::size_t);
    } targets[] = {{"reader", tessarin::fuzz::ReaderTarget},
                   {"types", tessarin::fuzz::TypeTableTarget},
                   {"listing", tessarin::fuzz::ListingTarget},
                   {"codec", tessarin::fuzz::CodecTarget},
                   {"paths", tessarin::fuzz::ExportPathTarget},
                   {"replace", tessarin::fuzz::ReplaceTarget},
                   {"newkey", tessarin::fuzz::NewKeyTarget},
                   {"record", tessarin::fuzz::ExportRecordTarget},
                   {"rewrite", tessarin::fuzz::RewriteTarget},

#ifdef TESSARIN_WITH_DDS
                   {"dds", tessarin::fuzz::DdsTarget},
#endif
                   {"tga", tessarin::fuzz::TgaTarget},
                   {"text", tessarin::fuzz::TextTarget}};
    for (const auto& t : targets) {
        std::size_t inputs = 0;
        for (const auto& item : std::filesystem::directory_iterator(std::string(TESSARIN_FUZZ_CORPUS) + "/" + t.folder)) {
            SCOPED_TRACE(item.path().string());
            const std::string bytes = tessarin::testing::ReadFileBytes(item.path().string());
            // Aborts the test on a broken promise.
            t.target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++inputs;
        }
        EXPECT_GE(inputs, 3u) << t.folder;
    }
}

}  // namespace
