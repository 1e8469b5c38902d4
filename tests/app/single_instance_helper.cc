// A start of its own for the single-instance tests.
//   single_instance_helper NAME COUNT WORD...
// The first start prints "first", then "got " and the words joined by "|" for each command line
// handed over, and ends after COUNT of them (exit code 4 when they do not come within 20 s). A
// later start hands WORD... over, prints "sent" and ends with 0 (1 when nobody answered).

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "app/single_instance.h"

namespace {

void Say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) return 2;
    const QString name = args[1];
    const int count = args[2].toInt();
    const QStringList words = args.mid(3);

    jb::app::SingleInstance instance(name);
    if (!instance.Start()) {
        if (!instance.Send(words)) return 1;
        Say("sent");
        return 0;
    }
    Say(instance.Listening() ? "first" : "first, not listening");
    int received = 0;
    instance.SetReceiver([&](const jb::app::HandedOver& commandLine) {
        Say("got " + commandLine.words.join('|'));
        if (++received >= count) QCoreApplication::quit();
    });
    if (count <= 0) return QCoreApplication::exec();  // until killed
    QTimer::singleShot(20000, [] { QCoreApplication::exit(4); });
    return QCoreApplication::exec();
}
