// Prints how long the praise editor ("Eigene Lobe") takes to open and to save
// with 20,000 phrases (target: under 200 ms each). Opening is from building
// the dialog to the first paint of its list; saving is OK until the file is
// on the disk. Each round opens the file that the round before saved.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_praise [phrases]

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/profile.h"
#include "benchsupport.h"
#include "rewards/praiselistdlg.h"

namespace {

constexpr int kDefaultPhrases = 20000;
constexpr int kRounds = 7;
constexpr double kTargetMs = 200;

// Notes the first paint of a widget.
class PaintProbe : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Phrases as a family types them: a few words in varied order and case.
QByteArray phrase(int i) {
    static const char* const words[] = {"Super",   "toll",   "Prima", "klasse",  "Bravo",   "spitze", "Gut",
                                        "gemacht", "weiter", "so",    "richtig", "Rechnen", "Profi",  "Held"};
    constexpr int n = int(sizeof words / sizeof *words);
    unsigned v = unsigned(i) * 2654435761u;
    QByteArray text;
    for (int w = 0; w < 4; ++w, v /= n)
        text += QByteArray(words[v % n]) + ' ';
    return text + QByteArray::number(i % 997);
}

} // namespace

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultPhrases;
    QApplication application(argc, argv);
    bench::quietOffscreenWarnings();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ollo.INI"));
    QByteArray file =
        "[Parameter]\r\nSound=1\r\nAufgaben=10\r\n[Lobe]\r\nAnzahl=" + QByteArray::number(count) + "\r\n";
    for (int i = 1; i <= count; ++i)
        file += "Lob" + QByteArray::number(i) + '=' + phrase(i) + "\r\n";
    file += "[Bilder]\r\nAnzahl=1\r\nBild0=bild01.bmp\r\n";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        return 1;
    out.close();

    CProfile profile(path);
    std::vector<double> opened;
    std::vector<double> saved;
    for (int round = 0; round < kRounds; ++round) {
        const qint64 startNs = bench::nowNs();
        CPraiseListDlg dialog(profile);
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("list"));
        PaintProbe probe;
        list->viewport()->installEventFilter(&probe);
        dialog.show();
        while (!probe.painted)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 openNs = bench::nowNs();
        if (list->count() != count) {
            std::printf("the editor shows %d phrases, not %d\n", list->count(), count);
            return 1;
        }
        dialog.accept();
        const qint64 savedNs = bench::nowNs();
        if (dialog.result() != 1) {
            std::printf("the editor could not save: %s\n", qUtf8Printable(profile.WriteError()));
            return 1;
        }
        opened.push_back(bench::msBetween(startNs, openNs));
        saved.push_back(bench::msBetween(openNs, savedNs));
    }
    const auto line = [](const char* what, double ms) {
        std::printf("%-34s %8.1f ms  (target < %.0f ms%s)\n", what, ms, kTargetMs,
                    ms < kTargetMs ? "" : ", ABOVE TARGET");
    };
    std::printf("Praise editor with %d phrases (%lld bytes), median of %d\n", count,
                static_cast<long long>(file.size()), kRounds);
    line("opened and painted", bench::median(opened));
    line("saved (one synced replacement)", bench::median(saved));
    return 0;
}
