#pragma once

#include <QString>

// Time limits of the web requests: the start-up request must never hold the window for long.
constexpr int UsageTimeLimitMs = 5000;
constexpr int DownloadTimeLimitMs = 15000;

// Fetches URL into FileName and says whether it worked. Certificates are checked, redirects to
// equally safe addresses followed, and a non-2xx answer is a failure. The file is replaced only
// when the whole body arrived: after a failure it is as it was (or absent). Waits in a local
// event loop that paints windows but holds user input back; after TimeLimitMs the request is
// abandoned and counts as failed. An address whose host lies under ".invalid" (how an
// unconfigured build names the maker's servers) fails at once, without even a name look-up.
bool DownloadFile(const QString &URL, const QString &FileName, int TimeLimitMs = DownloadTimeLimitMs);

// True for a host under the reserved ".invalid" domain, which never resolves.
bool IsUnconfiguredHost(const QString &Host);

// A unique path in the user's temporary folder ending in Extension; no file is left under it.
// Empty when the temporary folder cannot be written.
QString TempFileName(const QString &Extension);
