#pragma once
// The device pages' side of the link: following the selected mouse across USB changes and keeping the
// per-model cache file.

class Worker;

namespace DevicePagesLink {
// The worker that re-selection starts; set by whoever builds the device pages.
void setWorker(Worker* worker);
// One refresh after a USB change (GUI thread).
void refresh();
// The library's USB-change callback while the device pages are shown (any thread).
void usbChanged();
// Makes refresh() the library's USB-change callback, queued to the GUI thread.
void startWatching();
// Saves the current record under the selected device's own model; false (nothing written) when no
// device of a known model is selected.
bool saveCache();
} // namespace DevicePagesLink
