#pragma once
// The device pages' side of the link: following the selected mouse across USB changes and keeping the
// per-model cache file.

#include "app/core/FlashDataMap.h"

class Worker;

namespace DevicePagesLink {
// The worker that re-selection starts; set by whoever builds the device pages.
void setWorker(Worker* worker);
// That worker; nullptr before one is set (a page's restore then does nothing).
Worker* currentWorker();
// One refresh after a USB change (GUI thread).
void refresh();
// The library's USB-change callback while the device pages are shown (any thread).
void usbChanged();
// Makes refresh() the library's USB-change callback, queued to the GUI thread.
void startWatching();
// Saves the current record under the model whose record it is (the ids taken when it was read from the
// mouse or loaded from its cache); false, nothing written, when no record was read or loaded since the
// last selection or its model is not in the device table.
bool saveCache();
// The selected device's cache file, checked (DeviceCache::loadChecked).
bool loadCache(FlashDataMap& out);
} // namespace DevicePagesLink
