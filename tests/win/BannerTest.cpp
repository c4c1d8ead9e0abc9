// Banner pictures of every supported type, and broken ones that must stay empty.
#include "support/JpegWriter.h"
#include "support/WinTestSupport.h"
#include "ui/Picture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

std::string asBytes(const void* p, size_t n) {
    return std::string(static_cast<const char*>(p), n);
}

std::string bmpFile(int w, int h) {
    const int stride = (w * 3 + 3) & ~3;
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(14 + 40 + stride * h), 0, 0, 14 + 40};
    return asBytes(&file, sizeof file) + asBytes(&info, sizeof info) +
           std::string(static_cast<size_t>(stride * h), '\x7F');
}

std::string icoFile(int size) {
    const int pixels = size * size * 4, mask = ((size + 31) / 32) * 4 * size;
    BITMAPINFOHEADER info{sizeof info, size, size * 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD bytes = sizeof info + pixels + mask;
    const uint16_t dir[3] = {0, 1, 1};
    struct {
        uint8_t w, h, colours, reserved;
        uint16_t planes, bits;
        uint32_t size, offset;
    } entry{static_cast<uint8_t>(size), static_cast<uint8_t>(size), 0, 0, 1, 32, bytes, 6 + 16};
    return asBytes(dir, 6) + asBytes(&entry, 16) + asBytes(&info, sizeof info) +
           std::string(static_cast<size_t>(pixels), '\x40') +
           std::string(static_cast<size_t>(mask), '\0');
}

void writeEmf(const std::string& path) {
    RECT frame{0, 0, 2000, 1000}; // 0.01 mm
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
    Rectangle(dc, 0, 0, 60, 30);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

std::string wmfFile() {
    HDC dc = CreateMetaFileA(nullptr);
    Rectangle(dc, 0, 0, 100, 50);
    HMETAFILE mf = CloseMetaFile(dc);
    std::string bits(GetMetaFileBitsEx(mf, 0, nullptr), '\0');
    GetMetaFileBitsEx(mf, static_cast<UINT>(bits.size()), bits.data());
    DeleteMetaFile(mf);
    uint16_t header[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 1440, 720, 1440, 0, 0, 0};
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= header[i];
    header[10] = sum;
    return asBytes(header, 22) + bits;
}

class BannerTest : public ::testing::Test {
  protected:
    TempDir dir{"banner"};
    Picture picture;
    bool load(const std::string& name, const std::string& bytes) {
        WriteFileBytes(dir / name, bytes);
        return picture.LoadFromFile(dir / name);
    }
};

} // namespace

TEST_F(BannerTest, EachSupportedTypeLoadsWithItsSize) {
    const std::vector<uint8_t> jpeg = makeJpeg(400, 120);
    ASSERT_TRUE(load("banner.JPG", asBytes(jpeg.data(), jpeg.size())));
    EXPECT_EQ(picture.Width(), 400);
    EXPECT_EQ(picture.Height(), 120);
    ASSERT_TRUE(load("banner.jpeg", asBytes(jpeg.data(), jpeg.size())));
    ASSERT_TRUE(load("banner.bmp", bmpFile(50, 20)));
    EXPECT_EQ(picture.Width(), 50);
    EXPECT_EQ(picture.Height(), 20);
    ASSERT_TRUE(load("banner.Ico", icoFile(32)));
    EXPECT_EQ(picture.Width(), 32);
    writeEmf(dir / "banner.emf");
    ASSERT_TRUE(picture.LoadFromFile(dir / "banner.emf"));
    EXPECT_GT(picture.Width(), 0);
    ASSERT_TRUE(load("banner.wmf", wmfFile()));
    EXPECT_EQ(picture.Width(), 96);
    EXPECT_EQ(picture.Height(), 48);
}

TEST_F(BannerTest, BrokenOrUnknownFilesLeaveTheBannerEmpty) {
    const std::vector<uint8_t> jpeg = makeJpeg(64, 64);
    const std::string good = asBytes(jpeg.data(), jpeg.size());
    std::vector<uint8_t> huge = makeJpeg(16, 16);
    setDeclaredSize(huge, 30000, 30000);
    std::string corrupt = good;
    std::memset(corrupt.data() + corrupt.size() / 3, 0xFF, 64);
    const std::vector<std::pair<std::string, std::string>> cases{
        {"truncated.jpg", good.substr(0, good.size() / 2)},
        {"corrupt.jpg", corrupt},
        {"empty.jpg", ""},
        {"absurd.jpg", asBytes(huge.data(), huge.size())},
        {"wrong.png", good},
        {"noextension", good},
        {"text.bmp", "not a bitmap"},
        {"text.ico", "not an icon"},
        {"text.wmf", std::string(40, 'w')},
        {"text.emf", std::string(40, 'e')},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_FALSE(load(name, bytes)) << name;
        EXPECT_TRUE(picture.Empty()) << name;
    }
    EXPECT_FALSE(picture.LoadFromFile(dir / "missing.jpg"));
    EXPECT_TRUE(picture.Empty());
}
