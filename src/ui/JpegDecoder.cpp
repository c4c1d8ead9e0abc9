#include "ui/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace vorlund {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int warnings;
};

[[noreturn]] void onError(j_common_ptr info) {
    auto* mgr = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(mgr->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level < 0)
        ++reinterpret_cast<ErrorManager*>(info->err)->warnings;
}

// Everything that must survive a longjmp lives outside the function that
// calls setjmp, so no destructor is skipped and no local is clobbered.
struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    DecodedImage image;
    std::vector<uint8_t> row;
    bool created = false;

    ~Decoder() {
        if (created)
            jpeg_destroy_decompress(&info);
    }

    bool run(const uint8_t* data, size_t size, const JpegLimits& limits) {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = onError;
        errors.base.emit_message = onMessage;
        if (setjmp(errors.jump))
            return false;
        jpeg_create_decompress(&info);
        created = true;
        info.mem->max_memory_to_use = limits.maxDecoderMemory;
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
        if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
            return false;
        if (!jpegSizeAllowed(info.image_width, info.image_height, limits))
            return false;
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        if (info.output_components != 3)
            return false;
        readRows();
        jpeg_finish_decompress(&info);
        return errors.warnings == 0;
    }

    void readRows() {
        image.width = static_cast<int>(info.output_width);
        image.height = static_cast<int>(info.output_height);
        image.stride = (image.width * 3 + 3) & ~3;
        image.bgrBottomUp.assign(static_cast<size_t>(image.stride) * image.height, 0);
        while (info.output_scanline < info.output_height) {
            const size_t y = info.output_height - 1 - info.output_scanline;
            JSAMPROW target = &image.bgrBottomUp[y * static_cast<size_t>(image.stride)];
            jpeg_read_scanlines(&info, &target, 1);
        }
    }
};

} // namespace

bool jpegSizeAllowed(int64_t width, int64_t height, const JpegLimits& limits) {
    return width > 0 && height > 0 && width <= limits.maxSide && height <= limits.maxSide &&
           width * height <= limits.maxPixels;
}

std::optional<DecodedImage> decodeJpeg(const uint8_t* data, size_t size, const JpegLimits& limits) {
    if (data == nullptr || size == 0)
        return std::nullopt;
    Decoder decoder;
    if (!decoder.run(data, size, limits))
        return std::nullopt;
    return std::move(decoder.image);
}

} // namespace vorlund
