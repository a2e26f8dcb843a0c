#pragma once

#include <QByteArray>
#include <QtGlobal>

// The tests run on the built-in simulated machine unless one asks for
// another backend: the default backend is the real machine's.
inline void UseTheSimulatedMachine() {
  qputenv("FINGERPRINT_BACKEND", QByteArrayLiteral("sim"));
}
