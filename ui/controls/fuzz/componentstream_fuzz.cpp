// Feeds arbitrary bytes to the stream reader and, when they parse, to a live
// button: either must end in a result or a ComponentStreamError.
#include <QApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>

#include "varnex/controls/componentstream.h"
#include "varnex/controls/transparentbutton.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "componentstream_fuzz";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto stored = varnex::TryReadStream(bytes);
    if (!stored)
        return 0;
    varnex::TTransparentButton button;
    try {
        varnex::ApplyComponent(*stored, &button);
    } catch (const varnex::ComponentStreamError&) {
        return 0;
    }
    QImage canvas(32, 32, QImage::Format_ARGB32);
    button.render(&canvas);
    return 0;
}
