// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Runs the monitor cycle without a window: real timers, the real network
// client, and one line on standard output for every operation the cycle
// performs on its view. Ends after the given number of checks.
//
//   kelvora-headless <host> <interval-seconds> <number-of-checks>

#include "support/HeadlessView.h"

#include "base/ErrorReport.h"
#include "base/IntegerText.h"
#include "monitor/MonitorCycle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <limits>
#include <optional>

namespace {

// The largest interval whose period in milliseconds fits the check timer.
constexpr std::int32_t kMaxIntervalSeconds = 4294967;

struct Options {
    QString host;
    std::int32_t intervalSeconds = 0;
    std::int32_t checks = 0;
};

int Usage(const char *problem)
{
    std::fprintf(stderr,
                 "kelvora-headless: %s\n"
                 "usage: kelvora-headless <host> <interval-seconds> <number-of-checks>\n"
                 "  host              host name or dotted IPv4 address; port 80 is checked\n"
                 "  interval-seconds  1 to %d\n"
                 "  number-of-checks  1 or more; the program ends after that many checks\n",
                 problem, kMaxIntervalSeconds);
    return 2;
}

std::optional<std::int32_t> Number(const QString &text, std::int32_t lowest, std::int32_t highest)
{
    const auto value = TryStrToInt(text.toStdString());
    if (!value || *value < lowest || *value > highest)
        return std::nullopt;
    return value;
}

void PrintLine(const QElapsedTimer &clock, const QString &line)
{
    std::printf("%9.3f  %s\n", double(clock.nsecsElapsed()) / 1e9, line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return Usage("expected three arguments");
    Options options;
    options.host = args[1];
    const auto interval = Number(args[2], 1, kMaxIntervalSeconds);
    if (!interval)
        return Usage("the interval must be a whole number of seconds from 1 to 4294967");
    const auto checks = Number(args[3], 1, std::numeric_limits<std::int32_t>::max());
    if (!checks)
        return Usage("the number of checks must be a whole number of 1 or more");
    options.intervalSeconds = *interval;
    options.checks = *checks;

    QElapsedTimer clock;
    clock.start();
    const auto print = [&clock](const QString &line) { PrintLine(clock, line); };
    SetErrorHandler([&print](const std::exception &error) {
        print(QStringLiteral("error: ") + QString::fromUtf8(error.what()));
    });

    try {
        HeadlessView view(options.host, options.intervalSeconds, print);
        MonitorCycle cycle(view);
        view.Attach(cycle);
        view.onCheckDone = [&view, &options] {
            // Leaves the loop once the handler that ran this check is done.
            if (view.checks >= options.checks)
                QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
        };
        CallGuarded([&cycle] { cycle.FormCreate(); });
        return QCoreApplication::exec();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kelvora-headless: %s\n", error.what());
        return 1;
    }
}
