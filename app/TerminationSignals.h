#pragma once

#include <QObject>

class QSocketNotifier;
class TApplication;

// Ends the program the normal way when the session or the user asks the
// process to stop (SIGTERM at log-off or shutdown, SIGHUP when the
// controlling terminal goes, SIGINT for Ctrl+C): the signal posts a quit
// request, so the event loop ends and the shutdown runs, exit code 0.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(TApplication &application);
    ~TerminationSignals() override;

private:
    void Drain();

    TApplication &application_;
    QSocketNotifier *notifier_ = nullptr;
};
