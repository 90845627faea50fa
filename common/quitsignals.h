// SPDX-License-Identifier: GPL-2.0-or-later
// SIGINT and SIGTERM, turned into an ordinary call on the event loop: a service stops cleanly, and
// the viewer closes as if its close button had been pressed (its settings are saved).
#pragma once
#include <functional>

namespace meteo {

// Installs the handlers; `onQuit` runs on the event-loop thread after a signal. Call once, after the
// application object exists. Returns false when the handlers could not be installed.
bool callOnQuitSignal(std::function<void()> onQuit);

} // namespace meteo
