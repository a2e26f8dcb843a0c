#pragma once

#include <QString>

// The backend the module runs on, for display: the host sees only the
// module's exports, so it applies the module's rule to what the module reads
// (FINGERPRINT_BACKEND, in any case) and to what lies beside it (the libfprint
// helper exists only in builds with libfprint). "sim", "libfprint", "win32",
// or "none (...)" saying why there are no readers.
QString BackendInUse(const QString& modulePath);
