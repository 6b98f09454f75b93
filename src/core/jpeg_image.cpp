// Decodes the welcome picture (a JPEG in memory) with libjpeg, never ending the process on bad data.
#include "core/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace tamsel::core {
namespace {

// libjpeg ends the process on an error unless error_exit jumps back out.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void onJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr /*info*/) {
    // Warnings about slightly damaged data are not worth a line on stderr.
}

constexpr JDIMENSION kMaxSide = 16384;

// Only trivially destructible locals live here, so the jump back from libjpeg skips no
// destructor; the image belongs to the caller.
bool decodeInto(const unsigned char* data, unsigned long size, QImage* out, char* message) {
    jpeg_decompress_struct cinfo;
    ErrorManager manager;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&manager, 0, sizeof manager);
    cinfo.err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onJpegError;
    manager.pub.output_message = onJpegMessage;
    if (setjmp(manager.jump) != 0) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", manager.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width == 0 || cinfo.output_height == 0 || cinfo.output_width > kMaxSide ||
        cinfo.output_height > kMaxSide || cinfo.output_components != 3) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", "unsupported picture size or colour layout");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    *out = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                  QImage::Format_RGB888);
    if (out->isNull()) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", "out of memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data, QString* error) {
    QImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (data.isEmpty()) {
        if (error != nullptr) {
            *error = QStringLiteral("empty picture");
        }
        return QImage();
    }
    if (!decodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size()), &image, message)) {
        if (error != nullptr) {
            *error = QString::fromLocal8Bit(message);
        }
        return QImage();
    }
    if (error != nullptr) {
        error->clear();
    }
    return image;
}

} // namespace tamsel::core
