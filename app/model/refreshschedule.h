// SPDX-License-Identifier: GPL-2.0-or-later
// When the current city is downloaded again while the window stays open: every refresh interval after
// a download that was stored and shown; after failures, sooner at first and then less often (1, 2,
// 4 and 8 retry intervals), then at the refresh interval again.
#pragma once

namespace meteo {

[[nodiscard]] constexpr int nextRefreshDelay(int failuresInARow, int refreshMs, int retryMs)
{
    return failuresInARow < 1 || failuresInARow > 4 ? refreshMs : retryMs << (failuresInARow - 1);
}

} // namespace meteo
