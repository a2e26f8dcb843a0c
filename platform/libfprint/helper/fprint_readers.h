#pragma once

#include <cstdint>
#include <fprint.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/libfprint/helper/glib_owner.h"
#include "platform/libfprint/helper_protocol.h"
#include "platform/winbio_types.h"

namespace platform::libfprint::helper {

// libfprint's devices as the backend sees them: readers numbered from 1 in
// libfprint's order, sessions on the readers that can be tested, and the wait
// for a finger. Runs on the thread that runs the default GLib main context;
// every call that waits on a device answers through its callback later.
class FprintReaders {
 public:
  using Reader = protocol::ListedReader;
  using Done = std::function<void(HRESULT_T result, uint32_t value)>;

  // The first call discovers the devices.
  std::vector<Reader> List();
  // Answers the new session's handle.
  void Open(Done done);
  // Answers the unit id of the reader touched first.
  void Wait(uint32_t session, Done done);
  // Reaches only a wait already under way.
  void Cancel(uint32_t session);
  void Close(uint32_t session, Done done);

 private:
  struct Waiting;
  struct Session;
  struct Opening;
  struct WaitCall;

  std::vector<GObjectOwner<FpDevice>> Devices();
  void FinishOpening(Opening& opening);
  void FinishWaiting(Session& session);
  static void Opened(GObject* source, GAsyncResult* result, gpointer data);
  static void Closed(GObject* source, GAsyncResult* result, gpointer data);
  static void FingerStatusChanged(FpDevice* device, GParamSpec*, gpointer data);
  static void Captured(GObject* source, GAsyncResult* result, gpointer data);
  static void ListedPrints(GObject* source, GAsyncResult* result, gpointer data);
  static void Identify(FpDevice* device, GPtrArray* prints, WaitCall* call);
  static void Identified(GObject* source, GAsyncResult* result, gpointer data);
  // One device's part of a wait has ended: with a finger read, a failure or
  // neither (cancelled).
  static void Ended(FpDevice* device, WaitCall* call, bool fingerRead, const GError* error);

  GObjectOwner<FpContext> context_;
  std::map<uint32_t, std::shared_ptr<Session>> sessions_;
  uint32_t nextHandle_ = 1;
};

}  // namespace platform::libfprint::helper
