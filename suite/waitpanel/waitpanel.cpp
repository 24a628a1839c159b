// The small window shown while the launcher starts: a caption and a bar that
// advances one step per call. The launcher looks each function up by name.

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdint>

namespace {

constexpr int kSteps = 4; // the launcher steps once before its windows and twice after

QPointer<QWidget> g_window;
QPointer<QLabel> g_caption;
QPointer<QProgressBar> g_bar;

bool haveApplication()
{
    return QApplication::instance() != nullptr;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) std::int32_t loading_Dialog_open()
{
    if (!haveApplication())
        return 0;
    if (!g_window) {
        auto* window = new QWidget(nullptr, Qt::SplashScreen | Qt::WindowStaysOnTopHint);
        window->setObjectName(QStringLiteral("LoadingDialog"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(window);
        g_caption = new QLabel(window);
        g_caption->setObjectName(QStringLiteral("LoadingCaption"));
        g_bar = new QProgressBar(window);
        g_bar->setObjectName(QStringLiteral("LoadingProgress"));
        g_bar->setRange(0, kSteps);
        g_bar->setValue(0);
        g_bar->setTextVisible(false);
        layout->addWidget(g_caption);
        layout->addWidget(g_bar);
        window->resize(320, 80);
        g_window = window;
    }
    g_window->show();
    QApplication::processEvents();
    return 1;
}

// 0: the program is starting; 1: its windows are being created.
__attribute__((visibility("default"))) std::int32_t loading_Dialog_caption(std::int32_t which)
{
    if (!g_window || !g_caption)
        return 0;
    g_caption->setText(which == 0 ? QStringLiteral("Primora/Lgx : démarrage... / starting...")
                                  : QStringLiteral("Primora/Lgx : chargement... / loading..."));
    QApplication::processEvents();
    return 1;
}

__attribute__((visibility("default"))) std::int32_t loading_Dialog_step()
{
    if (!g_window || !g_bar)
        return 0;
    g_bar->setValue(std::min(g_bar->value() + 1, kSteps));
    QApplication::processEvents();
    return 1;
}

__attribute__((visibility("default"))) std::int32_t loading_Dialog_close()
{
    if (!g_window)
        return 0;
    // Deleted now, not later: the library is freed right after this call.
    delete g_window.data();
    return 1;
}

} // extern "C"
