#pragma once

#include "device/fingerprint_error.h"
#include "platform/winbio_types.h"

// What a failed framework call means for the reader. The service's own
// answers for a reader in use elsewhere, a policy that turns biometrics off
// and a remote session name their cause; so does a machine that keeps its
// readers for Enhanced Sign-in Security, which the framework's API does not
// serve. Any other failure is `otherwise`. `hr` must be a failure.
FingerprintError FrameworkFailure(HRESULT_T hr, FingerprintError otherwise);
