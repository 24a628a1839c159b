// Translating a window of 200 components: the cost a user waits for when a
// window first opens and at every change of language.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "varnex/translation/translate.h"

#include "table_writer.h"

using namespace varnex::translation;

namespace {

constexpr int kComponents = 200;

struct BenchWindow {
    QMainWindow window;
    std::vector<LanguageRow> rows;

    BenchWindow()
    {
        window.setObjectName(QStringLiteral("BenchForm"));
        rows.push_back(row(QStringLiteral("BenchForm"), QStringLiteral("Window")));
        auto* central = new QWidget;
        window.setCentralWidget(central);
        QMenu* menu = window.menuBar()->addMenu(QStringLiteral("menu"));
        for (int i = 0; static_cast<int>(rows.size()) <= kComponents; ++i) {
            const QString name = QStringLiteral("Component%1").arg(i);
            LanguageRow r = row(name, QStringLiteral("Text %1").arg(i));
            QObject* component = nullptr;
            switch (i % 8) {
            case 0: component = new QLabel(central); break;
            case 1:
                component = new QPushButton(central);
                r.hint = QStringLiteral("Hint %1").arg(i);
                break;
            case 2: component = new QLineEdit(central); break;
            case 3: component = menu->addAction(QStringLiteral("item")); break;
            case 4: component = new QLabel(central); break;
            case 5: {
                auto* combo = new QComboBox(central);
                combo->addItems({"a", "b", "c"});
                r.isCombobox = true;
                r.lines = QStringLiteral("one\ntwo\nthree");
                component = combo;
                break;
            }
            case 6: {
                auto* grid = new QTableWidget(0, 4, central);
                r.isDBGrid = true;
                r.lines = QStringLiteral("Code\nName\nCity\nBalance");
                component = grid;
                break;
            }
            default: {
                component = new QPlainTextEdit(central);
                r.isMemo = true;
                r.lines = QStringLiteral("first line\nsecond line\nthird line");
                break;
            }
            }
            component->setObjectName(name);
            rows.push_back(r);
        }
    }

    static LanguageRow row(const QString& component, const QString& caption)
    {
        LanguageRow r;
        r.formName = QStringLiteral("BenchForm");
        r.componentName = component;
        r.caption = caption;
        return r;
    }
};

void BM_TranslateFormFromMemory(benchmark::State& state)
{
    BenchWindow bench;
    MemoryLanguageTables tables;
    for (const LanguageRow& r : bench.rows)
        tables.addRow(QStringLiteral("Benchen"), r);
    for (auto _ : state)
        TranslateForm(&bench.window, QStringLiteral("Benchen"), tables);
    state.counters["components"] = static_cast<double>(bench.rows.size() - 1);
}
BENCHMARK(BM_TranslateFormFromMemory)->Unit(benchmark::kMillisecond);

void BM_TranslateFormFromLanguageTable(benchmark::State& state)
{
    BenchWindow bench;
    QTemporaryDir folder;
    varnex::langc::WriteLanguageTable(folder.path(), QStringLiteral("Benchen"), bench.rows);
    SetLanguagesFolder(folder.path());
    for (auto _ : state)
        TranslateForm(&bench.window, QStringLiteral("Benchen"));
    SetLanguagesFolder(QString());
    state.counters["components"] = static_cast<double>(bench.rows.size() - 1);
}
BENCHMARK(BM_TranslateFormFromLanguageTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
