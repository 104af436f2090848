#pragma once
// What the start-up probes share: the moment a window has first been painted,
// written for the benchmark that started the probe, after which the probe
// ends at once. Both probes end the same way, so neither is charged for
// closing down.

#include <QApplication>
#include <QString>

namespace telvo::bench {

// The descriptor the benchmark opens for the probe's stamp: a pipe whose
// other end it reads.
inline constexpr int kStampDescriptor = 3;

// Once the window named `windowName` has had its first paint event handled
// and the event loop is idle again (its children painted, the backing store
// flushed), writes the steady clock's reading, in nanoseconds, as 8 bytes to
// kStampDescriptor and ends the process with status 0. Any other window that
// is shown first (a message box, the splash screen, the options dialog) means
// the start-up is not the one measured: it is named on standard error and the
// process ends with status 3.
void EndAtFirstPaint(QApplication& app, const QString& windowName);

}  // namespace telvo::bench
