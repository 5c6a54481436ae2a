#pragma once

#include <QObject>

namespace tessary {

// Ends the event loop on SIGINT and SIGTERM, so that Ctrl+C in a terminal, `kill` and a logout
// close the program like its close button: destructors run, the sound stream is closed and the
// exit status is 0. The handler only writes a byte to a socket; the quit happens in the loop.
class QuitOnSignal : public QObject
{
    Q_OBJECT

public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;
};

} // namespace tessary
