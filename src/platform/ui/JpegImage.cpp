#include "platform/ui/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace platform {

namespace {

// The library's error manager with a way back: its default error_exit
// calls exit().
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool warned;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr Info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(Info->err);
    (*Info->err->format_message)(Info, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void OnJpegMessage(j_common_ptr Info, int Level)
{
    // Level -1 is a warning: corrupt data that the library patched over.
    auto *manager = reinterpret_cast<ErrorManager *>(Info->err);
    if (Level < 0 && !manager->warned) {
        manager->warned = true;
        (*Info->err->format_message)(Info, manager->message);
    }
}

// No object with a destructor lives between setjmp and a jump back, so the
// jump skips nothing; the picture goes to the caller's image.
struct Target
{
    QImage *image;
};

bool Decode(const unsigned char *Data, unsigned long Size, Target *Out, ErrorManager *Errors)
{
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&Errors->pub);
    Errors->pub.error_exit = OnJpegError;
    Errors->pub.emit_message = OnJpegMessage;
    Errors->warned = false;
    Errors->message[0] = '\0';

    if (setjmp(Errors->jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, Data, Size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0
        || info.output_width > 16384 || info.output_height > 16384) {
        std::snprintf(Errors->message, sizeof Errors->message, "Unsupported picture");
        jpeg_destroy_decompress(&info);
        return false;
    }
    *Out->image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                         QImage::Format_RGB888);
    if (Out->image->isNull()) {
        std::snprintf(Errors->message, sizeof Errors->message, "Out of memory");
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = Out->image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return !Errors->warned;
}

} // namespace

bool DecodeJpeg(const QByteArray &Data, QImage &Image, QString *ErrorText)
{
    if (Data.isEmpty()) {
        if (ErrorText)
            *ErrorText = QStringLiteral("Empty input file");
        return false;
    }
    QImage decoded;
    Target target{&decoded};
    ErrorManager errors;
    const bool ok = Decode(reinterpret_cast<const unsigned char *>(Data.constData()),
                           static_cast<unsigned long>(Data.size()), &target, &errors);
    if (!ok) {
        if (ErrorText)
            *ErrorText = QString::fromLatin1(errors.message);
        return false;
    }
    Image = decoded;
    return true;
}

} // namespace platform
