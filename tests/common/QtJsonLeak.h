#pragma once
// Qt 5.15's QJsonDocument::fromJson leaks the earlier value of a duplicate object key when that value is
// an object or array ({"a":{},"a":{}}). The leak is Qt's, bounded by the file and paid once per load;
// fuzz targets that parse JSON hold leak checking off around that call so it does not hide their other
// findings. Memory errors and undefined behaviour are still checked there.
#if defined(__SANITIZE_ADDRESS__)
#define ZF_QT_JSON_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZF_QT_JSON_LSAN 1
#endif
#endif
#ifdef ZF_QT_JSON_LSAN
#include <sanitizer/lsan_interface.h>
#endif

// Constructor and destructor are user-provided in every build, so a scoped instance is never "unused".
struct QtJsonLeakPause {
    QtJsonLeakPause() {
#ifdef ZF_QT_JSON_LSAN
        __lsan_disable();
#endif
    }
    ~QtJsonLeakPause() {
#ifdef ZF_QT_JSON_LSAN
        __lsan_enable();
#endif
    }
};
