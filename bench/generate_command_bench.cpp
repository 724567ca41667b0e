// GenerateCommand end to end at length 99 with complexity, and the parts it
// is made of, so that each part's share of the whole can be read off.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

#include "bench/timing_reporter.h"
#include "engine/report.h"
#include "settings/load_save.h"
#include "settings/setting_table.h"
#include "settings/user_settings_store.h"
#include "tests/support/config_home.h"
#include "text/qt_text.h"
#include "ui/ui_seams.h"
#include "ui/up_down.h"
#include "ui/veldra_dlg.h"

namespace {

struct Fixture {
    QTemporaryDir config;
    ScopedConfigHome home{config.path()};
    std::unique_ptr<UserSettingsStore> store;
    SystemSeams seams;
    std::unique_ptr<CVeldraDlg> dialog;

    Fixture()
    {
        store = std::make_unique<UserSettingsStore>(StoreIdentity::ofWindow());
        dialog = std::make_unique<CVeldraDlg>(*store, seams, store->location());
        dialog->show();
        dialog->findChild<UpDown*>(QStringLiteral("lengthSpin"))->setPosition(99);
        dialog->findChild<QCheckBox*>(QStringLiteral("complexityCheck"))->setChecked(true);
        dialog->GenerateCommand();
    }
};

// Made at first use and ended by main while the QApplication still lives:
// a static object would outlive it and take its widgets down after it.
std::unique_ptr<Fixture> theFixture;

Fixture& fixture()
{
    if (!theFixture)
        theFixture = std::make_unique<Fixture>();
    return *theFixture;
}

// Each generation takes another seed, so that its save writes: a save of
// what the store already holds writes nothing.
void GenerateCommandWhole(benchmark::State& state)
{
    CVeldraDlg& dialog = *fixture().dialog;
    auto* seedText = dialog.findChild<QLineEdit*>(QStringLiteral("seedTextEdit"));
    bool odd = false;
    for (auto _ : state) {
        seedText->setText((odd = !odd) ? QStringLiteral("A") : QStringLiteral("B"));
        dialog.GenerateCommand();
    }
}

void Engine(benchmark::State& state)
{
    const StoredSettings& settings = fixture().dialog->model();
    const GenerationRequest request = generationRequestOf(settings);
    for (auto _ : state)
        benchmark::DoNotOptimize(GeneratePasswords(request));
}

void Widgets(benchmark::State& state)
{
    CVeldraDlg& dialog = *fixture().dialog;
    for (auto _ : state) {
        dialog.exchangeData(true);
        dialog.exchangeData(false);
    }
}

void Save(benchmark::State& state)
{
    Fixture& f = fixture();
    StoredSettings model = f.dialog->model();
    bool odd = false;
    for (auto _ : state) {
        model.seedText = (odd = !odd) ? u"A" : u"B";
        benchmark::DoNotOptimize(saveSettings(*f.store, model));
    }
}

// A save of what the store holds: a look at the file, no write.
void SaveUnchanged(benchmark::State& state)
{
    Fixture& f = fixture();
    saveSettings(*f.store, f.dialog->model());
    for (auto _ : state)
        benchmark::DoNotOptimize(saveSettings(*f.store, f.dialog->model()));
}

void Clipboard(benchmark::State& state)
{
    const StoredSettings& m = fixture().dialog->model();
    const Passwords passwords = GeneratePasswords(generationRequestOf(m)).value();
    ReportFields fields;
    fields.length = m.length;
    fields.complexity = true;
    fields.seed = m.seedText;
    fields.passwords = passwords;
    for (auto _ : state) {
        const std::u16string report = BuildReport(u"2026/12/10 00:00:00", fields);
        fixture().seams.putOnClipboard(QString::fromStdU16String(report));
    }
}

BENCHMARK(GenerateCommandWhole)->Unit(benchmark::kMicrosecond);
BENCHMARK(Engine)->Unit(benchmark::kMicrosecond);
BENCHMARK(Widgets)->Unit(benchmark::kMicrosecond);
BENCHMARK(Save)->Unit(benchmark::kMicrosecond);
BENCHMARK(SaveUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(Clipboard)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double whole = reporter.times["GenerateCommandWhole"];
    if (whole > 0) {
        std::printf("share of GenerateCommand (%.1f us):\n", whole);
        for (const char* part : {"Engine", "Widgets", "Save", "Clipboard"})
            std::printf("  %-10s %5.1f %%\n", part, 100.0 * reporter.times[part] / whole);
    }
    std::fflush(stdout);
    theFixture.reset();
    benchmark::Shutdown();
}
