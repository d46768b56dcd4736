// Fetching the remote configuration on a worker thread: the document, the update offer and the
// help pictures.
#pragma once

#include <functional>

#include "common/detached_thread.h"
#include "online/online_context.h"

namespace vl {

// Starts a detached thread that runs FetchRemoteConfig, unless one runs already (then the
// request is dropped). `notify` makes the update check say when there is no newer version.
// False when nothing was started. `start_thread` runs its job on a new thread and says whether
// the thread started; the default is StartDetachedThread.
bool StartRemoteConfigFetch(bool notify, const ThreadStarter& start_thread = nullptr);
bool IsRemoteConfigFetchRunning();

// One fetch with the given context: the document into the record and the settings, then, when
// it has an <update> element, the update check and the help pictures. 1 when a non-empty
// response arrived, 0 otherwise (every failure is silent).
int FetchRemoteConfig(const OnlineContext& context, bool notify);

// Downloads each help picture whose address differs from the one last applied, replacing its
// file in the program's "res" folder, and stores the address once its picture is in place (an
// empty address is stored without download). A failed download is tried again at the next fetch.
void RefreshHelpImages(const OnlineContext& context);

}  // namespace vl
