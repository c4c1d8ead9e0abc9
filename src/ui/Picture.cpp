#include "ui/Picture.h"

#include "base/AsciiText.h"
#include "config/Banner.h"
#include "ui/JpegDecoder.h"
#include "win/Unicode.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace vorlund {
namespace {

constexpr size_t kMaxPictureFile = 64u * 1024 * 1024;

std::string extensionOf(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t sep = path.find_last_of("\\/:");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return {};
    return asciiUpper(path.substr(dot + 1));
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes) {
    win::File file = win::OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxPictureFile)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
           got == bytes.size();
}

#pragma pack(push, 2)
struct PlaceableHeader { // the 22-byte header in front of a placeable metafile
    uint32_t key;
    uint16_t handle;
    int16_t left, top, right, bottom;
    uint16_t inch;
    uint32_t reserved;
    uint16_t checksum;
};
#pragma pack(pop)
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

} // namespace

void Picture::Clear() {
    bitmap_.reset();
    icon_.reset();
    metafile_.reset();
    width_ = height_ = 0;
}

bool Picture::LoadFromFile(const std::string& path) {
    Clear();
    const std::string ext = extensionOf(path);
    bool ok = false;
    if (ext == "JPG" || ext == "JPEG")
        ok = loadJpeg(path);
    else if (ext == "BMP")
        ok = loadBitmap(path);
    else if (ext == "ICO")
        ok = loadIcon(path);
    else if (ext == "EMF")
        ok = loadEnhMetafile(path);
    else if (ext == "WMF")
        ok = loadWindowsMetafile(path);
    if (!ok)
        Clear();
    return ok;
}

bool Picture::loadJpeg(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes))
        return false;
    std::optional<DecodedImage> image = decodeJpeg(bytes.data(), bytes.size());
    if (!image)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = image->height; // bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits)
        return false;
    std::memcpy(bits, image->bgrBottomUp.data(), image->bgrBottomUp.size());
    width_ = image->width;
    height_ = image->height;
    return true;
}

bool Picture::loadBitmap(const std::string& path) {
    bitmap_.reset(static_cast<HBITMAP>(LoadImageW(nullptr, win::Wide(path).c_str(), IMAGE_BITMAP, 0,
                                                  0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!bitmap_ || !GetObjectA(bitmap_.get(), sizeof info, &info))
        return false;
    width_ = info.bmWidth;
    height_ = std::abs(info.bmHeight);
    return true;
}

bool Picture::loadIcon(const std::string& path) {
    icon_.reset(static_cast<HICON>(LoadImageW(nullptr, win::Wide(path).c_str(), IMAGE_ICON, 0, 0,
                                              LR_LOADFROMFILE | LR_DEFAULTSIZE)));
    if (!icon_)
        return false;
    width_ = GetSystemMetrics(SM_CXICON);
    height_ = GetSystemMetrics(SM_CYICON);
    ICONINFO info{};
    if (GetIconInfo(icon_.get(), &info)) {
        win::UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
        BITMAP bm{};
        if (GetObjectA(colour ? colour.get() : mask.get(), sizeof bm, &bm)) {
            width_ = bm.bmWidth;
            height_ = colour ? bm.bmHeight : bm.bmHeight / 2;
        }
    }
    return true;
}

bool Picture::loadEnhMetafile(const std::string& path) {
    metafile_.reset(GetEnhMetaFileW(win::Wide(path).c_str()));
    ENHMETAHEADER header{};
    if (!metafile_ || !GetEnhMetaFileHeader(metafile_.get(), sizeof header, &header))
        return false;
    width_ = header.rclBounds.right - header.rclBounds.left + 1;
    height_ = header.rclBounds.bottom - header.rclBounds.top + 1;
    return width_ > 0 && height_ > 0;
}

bool Picture::loadWindowsMetafile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes) || bytes.size() <= sizeof(PlaceableHeader))
        return false;
    PlaceableHeader header{};
    std::memcpy(&header, bytes.data(), sizeof header);
    if (header.key != kPlaceableKey || header.inch == 0)
        return false;
    const int widthUnits = header.right - header.left;
    const int heightUnits = header.bottom - header.top;
    width_ = MulDiv(widthUnits, 96, header.inch);
    height_ = MulDiv(heightUnits, 96, header.inch);
    if (width_ <= 0 || height_ <= 0)
        return false;
    METAFILEPICT pict{MM_ANISOTROPIC, widthUnits * 2540 / header.inch,
                      heightUnits * 2540 / header.inch, nullptr};
    metafile_.reset(SetWinMetaFileBits(static_cast<UINT>(bytes.size() - sizeof header),
                                       bytes.data() + sizeof header, nullptr, &pict));
    return static_cast<bool>(metafile_);
}

void Picture::Draw(HDC dc, int x, int y) const {
    if (bitmap_) {
        win::UniqueMemoryDc memory(CreateCompatibleDC(dc));
        win::ScopedSelect select(memory.get(), bitmap_.get());
        BitBlt(dc, x, y, width_, height_, memory.get(), 0, 0, SRCCOPY);
    } else if (icon_) {
        DrawIconEx(dc, x, y, icon_.get(), width_, height_, 0, nullptr, DI_NORMAL);
    } else if (metafile_) {
        const RECT area{x, y, x + width_, y + height_};
        PlayEnhMetaFile(dc, metafile_.get(), &area);
    }
}

bool BannerLoads(const std::string& path) {
    return Picture().LoadFromFile(path);
}

} // namespace vorlund
