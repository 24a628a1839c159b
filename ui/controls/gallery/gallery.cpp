// Shows every own control in each of its states, for reviewers and for the
// project's screenshots. "--shots <folder>" saves one PNG per
// page and quits; without it the pages open as windows ("--page N" only one).

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QHeaderView>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "varnex/application.h"
#include "varnex/controls/maskedit.h"
#include "varnex/controls/transparentbutton.h"
#include "varnex/controls/wallpaper.h"

using namespace varnex;

namespace {

const QColor kKey(128, 128, 0); // the glyphs' transparent colour

// A strip of n document pictures: normal, disabled, pressed, spare.
QImage makeGlyph(int n, int side = 32)
{
    QImage strip(side * n, side, QImage::Format_RGB32);
    strip.fill(kKey);
    QPainter p(&strip);
    const QColor fills[] = {QColor(40, 110, 200), QColor(150, 150, 150), QColor(20, 70, 150), QColor(200, 120, 20)};
    for (int i = 0; i < n; ++i) {
        const int x = i * side;
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(x + 7, 3, side - 15, side - 7);
        p.setBrush(fills[i]);
        p.drawRect(x + 11, 8, side - 23, 5);
        p.drawRect(x + 11, 16, side - 23, 3);
        p.drawRect(x + 11, 22, side - 23, 3);
    }
    return strip;
}

QImage makeTile()
{
    QImage tile(48, 48, QImage::Format_RGB32);
    QPainter p(&tile);
    p.fillRect(tile.rect(), QColor(0, 96, 112));
    p.setPen(QColor(0, 118, 136));
    for (int k = -48; k < 48; k += 8)
        p.drawLine(k, 0, k + 48, 48);
    return tile;
}

void pointerOver(QWidget* w)
{
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(w, &e);
}

std::unique_ptr<QWidget> buttonsPage()
{
    auto page = std::make_unique<TWallpaper>();
    page->setAlign(alNone);
    page->setWallpaper(makeTile());
    page->setWindowTitle(QStringLiteral("TTransparentButton"));
    page->resize(640, 560);
    const char* styles[] = {"fsRegular", "fsIndent", "fsExplorer", "fsNone", "fsLight", "fsDark", "fsMono"};
    const char* states[] = {"up", "pointer over", "pressed", "Down", "disabled"};
    auto* header = new QLabel(page.get());
    header->setText(QStringLiteral("<b style='color:white'>Frame style × state</b>"));
    header->setGeometry(10, 6, 300, 18);
    for (int s = 0; s < 5; ++s) {
        auto* label = new QLabel(QString::fromLatin1(states[s]), page.get());
        label->setStyleSheet(QStringLiteral("color: white"));
        label->setGeometry(110 + s * 100, 26, 96, 16);
    }
    for (int row = 0; row < 7; ++row) {
        auto* label = new QLabel(QString::fromLatin1(styles[row]), page.get());
        label->setStyleSheet(QStringLiteral("color: white"));
        label->setGeometry(10, 50 + row * 72 + 24, 90, 16);
        for (int s = 0; s < 5; ++s) {
            auto* b = new TTransparentButton(page.get());
            b->setGeometry(110 + s * 100, 46 + row * 72, 80, 66);
            b->setFrameStyle(TFrameStyle(row));
            b->setGlyph(makeGlyph(3));
            b->setCaption(QStringLiteral("&Achats"));
            b->setShowPressed(true);
            b->setWordWrap(false);
            QPalette pal = b->palette();
            pal.setColor(QPalette::WindowText, Qt::white);
            b->setPalette(pal);
            switch (s) {
            case 1: pointerOver(b); break;
            case 2:
                pointerOver(b);
                {
                    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                                      Qt::LeftButton, Qt::NoModifier);
                    QApplication::sendEvent(b, &press);
                }
                break;
            case 3: b->setDown(true); break;
            case 4: b->setEnabled(false); break;
            default: break;
            }
        }
    }
    return page;
}

std::unique_ptr<QWidget> desktopPage()
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("TWallpaper"));
    window->resize(640, 420);
    auto* wall = new TWallpaper(window.get());
    wall->setAlign(alClient);
    wall->setBevelOuter(bvRaised);
    wall->setBevelInner(bvLowered);
    wall->setBevelWidth(2);
    wall->setBorderWidth(4);
    wall->setWallpaper(makeTile());
    wall->setGeometry(0, 0, 640, 420);

    const struct {
        const char* caption;
        TTextAlign align;
        int glyphs;
        bool enabled;
    } icons[] = {{"Clients", ttaBottom, 1, true},
                 {"Fournisseurs", ttaBottom, 2, true},
                 {"Achats (désactivé)", ttaBottom, 1, false},
                 {"Right", ttaLeft, 1, true},
                 {"Things to do", ttaTop, 4, true}};
    int x = 20;
    for (const auto& icon : icons) {
        auto* b = new TTransparentButton(wall);
        b->setGeometry(x, 24, 104, 89);
        b->setBorderWidth(0);
        b->setFrameStyle(fsExplorer);
        b->setGlyph(makeGlyph(icon.glyphs));
        b->setCaption(QString::fromUtf8(icon.caption));
        b->setTextAlign(icon.align);
        QFont f(QStringLiteral("DejaVu Sans"), 9);
        b->setFont(f);
        QPalette pal = b->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        b->setPalette(pal);
        b->setEnabled(icon.enabled);
        if (x == 20)
            pointerOver(b);
        x += 120;
    }

    auto* list = new QGroupBox(QStringLiteral("Clients"), wall);
    list->setGeometry(20, 150, 313, 169);
    auto* grid = new QTableWidget(3, 3, list);
    grid->setGeometry(4, 30, 305, 169 - 34);
    grid->setHorizontalHeaderLabels({QStringLiteral("Code"), QStringLiteral("Nom"), QStringLiteral("Téléphone")});
    grid->horizontalHeader()->moveSection(2, 1);
    const char* rows[][3] = {{"C001", "Boulangerie Dubé", "418 555-0101"},
                             {"C002", "Quincaillerie Roy", "819 555-0147"},
                             {"C003", "Ferme Tremblay", "450 555-0199"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            grid->setItem(r, c, new QTableWidgetItem(QString::fromUtf8(rows[r][c])));
    return window;
}

std::unique_ptr<QWidget> maskPage()
{
    auto page = std::make_unique<QWidget>();
    page->setWindowTitle(QStringLiteral("TVarnexMaskEdit"));
    auto* form = new QFormLayout(page.get());
    struct Row {
        const char* label;
        const char* mask;
        const char* value;
        bool focus;
    } rows[] = {
        {"Date, empty (!99/99/9999;1; )", "!99/99/9999;1; ", "", false},
        {"Date, filled", "!99/99/9999;1; ", "31/12/2025", false},
        {"Telephone ((999)000-0000;0;_)", "(999)000-0000;0;_", "41855501", false},
        {"Product code (>LL-0000;1;_)", ">LL-0000;1;_", "ab12", true},
        {"Time (99:99;1;_)", "99:99;1;_", "0830", false},
        {"No mask", "", "free text", false},
    };
    TVarnexMaskEdit* focused = nullptr;
    for (const Row& r : rows) {
        auto* e = new TVarnexMaskEdit(page.get());
        e->setEditMask(QString::fromLatin1(r.mask));
        e->setText(QString::fromUtf8(r.value));
        e->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
        form->addRow(QString::fromLatin1(r.label), e);
        if (r.focus)
            focused = e;
    }
    if (focused)
        focused->setFocus();
    page->resize(520, 240);
    return page;
}

} // namespace

int main(int argc, char** argv)
{
    QString shots;
    int onlyPage = -1; // "--page N": show one page (screenshots under Xvfb, where windows overlap)
    for (int i = 1; i + 1 < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("--shots"))
            shots = QString::fromLocal8Bit(argv[i + 1]);
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("--page"))
            onlyPage = QString::fromLocal8Bit(argv[i + 1]).toInt();
    }
    if (!shots.isEmpty() && std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    VarnexApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

    std::unique_ptr<QWidget> pages[] = {buttonsPage(), desktopPage(), maskPage()};
    const char* names[] = {"controls-buttons.png", "controls-desktop.png", "controls-maskedit.png"};
    if (shots.isEmpty()) {
        for (int i = 0; i < 3; ++i)
            if (onlyPage < 0 || onlyPage == i)
                pages[i]->show();
        return app.exec();
    }
    QDir().mkpath(shots);
    for (int i = 0; i < 3; ++i) {
        const QString path = QDir(shots).filePath(QLatin1String(names[i]));
        if (!pages[i]->grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
